// The stand-in host's scene: what the SDK calls of xsi_sdk.h create and change, kept in memory,
// with a record of every call, command and log line, and a JSON view of it all.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <ostream>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "host/name_index.h"
#include "host/scene_memory.h"
#include "host/xsi_sdk.h"

namespace XSI::standin {

enum class ItemKind {
    Root, Object, Cluster, UVProperty, MaterialLibrary, Material, Shader, BumpGenerator, ImageClip,
    Container, Project, Scene, Menu, MenuItem
};

struct ClusterData {
    std::string name;
    SceneArray<int32_t> polygons;  // 32 bits, as the object's polygon arrays
    std::string material;  // full name of the material assigned through this cluster, if any
};

struct Connection {
    std::string port;    // parameter of the item that receives the connection
    std::string source;  // what was connected: "Clips.<name>" or a shader's name
};

struct XSI_SDK_API Item {
    ItemKind kind = ItemKind::Root;
    std::string name;
    int parent = -1;
    bool deleted = false;
    // Objects: the built mesh.
    SceneArray<double> positions;     // 3 per vertex
    // Kept as the host keeps them, in 32 bits (its LONG on 64-bit Windows), whatever the width
    // of this platform's long.
    SceneArray<int32_t> polygonSizes;    // corners per polygon
    SceneArray<int32_t> polygonIndices;  // vertex index of every corner, polygon after polygon
    double pivot[3] = {0, 0, 0};
    bool built = false;
    std::vector<ClusterData> clusters;
    // UV properties: 3 floats per node.
    SceneArray<float> values;
    // Materials, shaders, generators: every parameter set, by its path, as text.
    std::vector<std::pair<std::string, std::string>> parameters;
    std::vector<Connection> connections;
    // Image clips.
    std::string file;
    // Objects: their mesh under construction in pending(), while there is one.
    int pending = -1;

    std::vector<std::vector<long>> polygonList() const;
};

// A mesh under construction in a CMeshBuilder.
struct PendingMesh {
    int object = -1;
    // Vertices added so far. Positions holds the first of them; the rest are at the origin until
    // positions are set or the mesh is built, so that a mesh whose positions come in parts is
    // written once, not zeroed first.
    size_t vertexCount = 0;
    SceneArray<double> positions;
    SceneArray<int32_t> polygonSizes;
    SceneArray<int32_t> polygonIndices;
};

class XSI_SDK_API HostScene {
public:
    // The one scene of the process, as the host has one.
    static HostScene& instance();

    // Back to a new scene: the root, the material library with its scene material.
    void reset();
    // Everything, including calls, log and preferences, as a first start of the host has it.
    void resetAll();

    int add(ItemKind kind, const std::string& name, int parent);
    Item& item(int id) { return items_.at(static_cast<size_t>(id)); }
    // Renaming, moving and deleting keep the index of full names up to date for the item and
    // everything below it, so that a scene of many materials is not indexed again for each.
    void renameItem(int id, const std::string& name);
    void moveItem(int id, int parent);
    void deleteItem(int id);
    const Item& item(int id) const { return items_.at(static_cast<size_t>(id)); }
    bool valid(int id) const { return id >= 0 && size_t(id) < items_.size() && !items_[size_t(id)].deleted; }
    std::string fullName(int id) const;
    // The same, appended to out: one buffer for the whole name instead of one per level.
    void appendFullName(int id, std::string& out) const;
    std::vector<int> children(int parent, ItemKind kind) const;
    size_t countChildren(int parent, ItemKind kind) const;  // children(...).size(), without the list
    // The item whose full name is the longest start of path, with the rest of the path.
    int resolve(const std::string& path, std::string& rest) const;
    // wanted, or the first of wanted1, wanted2, ... that taken refuses. The numbers found taken are
    // remembered by key until an item is renamed, moved or deleted, so that a thousand items
    // wanting one name cost no count from 1 each.
    std::string numberedName(const std::string& key, const std::string& wanted,
                             const std::function<bool(const std::string&)>& taken);

    int root() const { return root_; }
    int materialLibrary() const { return library_; }
    int project() const { return project_; }
    int scene() const { return sceneItem_; }

    // The first kRecordedCalls calls are kept; after them only their number, so that an import of a
    // million meshes does not keep a million lines.
    static constexpr size_t kRecordedCalls = 65536;
    void recordCall(std::string call) {
        if (calls_.size() < kRecordedCalls) calls_.push_back(std::move(call));
        ++callCount_;
    }
    // Whether the next call's text is still kept; when not, countCall is enough.
    bool recordsCalls() const { return calls_.size() < kRecordedCalls; }
    void countCall() { ++callCount_; }
    size_t callCount() const { return callCount_; }
    void log(const std::string& line, int severity) { log_.push_back({line, severity}); }
    CStatus runCommand(const std::string& name, CValueArray& args, CValue& out);
    void setParameter(int id, const std::string& path, const std::string& value);

    std::map<std::string, std::string>& preferences() { return preferences_; }
    const std::map<std::string, std::string>& preferences() const { return preferences_; }
    // Every item ever added, deleted ones included: ids run from 0 to itemCount() - 1.
    size_t itemCount() const { return items_.size(); }
    const std::vector<std::string>& calls() const { return calls_; }
    const std::vector<std::pair<std::string, int>>& logLines() const { return log_; }
    // Every command run, as its text; a text is made when the list is first read after the command
    // ran (or at once while calls are recorded or followed), since most are never read.
    const std::vector<std::string>& commands() const;

    std::vector<PendingMesh>& pending() { return pending_; }
    // A build of an object of this name is refused, as the host refuses a mesh it cannot make.
    void refuseBuildOf(const std::string& name) { refusedBuilds_.push_back(name); }
    bool isRefused(const std::string& name) const;

    // The scene as one JSON object: objects, materials, clips, commands, log and preferences,
    // without a run's record (host/scene_json.h writes it with one).
    void writeJson(std::ostream& out) const;

    // Called with each command the scene runs, so a user interface can follow them.
    std::function<void(const std::string&)> onCommand;

private:
    HostScene();
    // wanted, or the first of wanted1, wanted2, ... that no other child of parent bears.
    std::string uniqueName(const std::string& wanted, int parent);
    // The names of the parent's children, counted once when first asked about.
    struct ChildNames;
    ChildNames& childNamesOf(int parent);
    // Follows a child of parent taking (delta 1) or giving up (delta -1) a name.
    void countChildName(int parent, const std::string& name, int delta);
    // The item and everything below it, by the children lists.
    std::vector<int> subtree(int id) const;
    void unindexFullNames(const std::vector<int>& ids);
    // The full name, written into fullNameText_: no allocation per item indexed.
    const std::string& fullNameInPlace(int id) const;
    void indexFullNames(const std::vector<int>& ids);

    ChunkedArray<Item> items_;  // in the scene's memory: tens of thousands of items grow it
    std::vector<std::vector<int>> childrenOf_;  // by parent id; entry 0 holds the items without one
    // Full names to items (the first item, by id, of a name two items share); built on first use
    // and kept up to date after that. When names are shared, taking one away may uncover another:
    // the index is then built again.
    mutable NameIndex byFullName_;
    mutable std::string fullNameText_;  // room for the full name being indexed
    // By key of numberedName: every number up to this one is taken.
    std::unordered_map<std::string, int> numbersTaken_;
    // The names of the live children of each parent uniqueName was asked about, kept up to date
    // from then on, so that tens of thousands of clips each look their name up once.
    struct ChildNames {
        std::unordered_map<std::string, int> count;  // how many children bear each name
        // By wanted name: every numbered name up to this one is taken. Forgotten once a name is
        // given up, as a number may be free again.
        std::unordered_map<std::string, int> numberedUpTo;
    };
    std::unordered_map<int, ChildNames> childNames_;
    mutable bool fullNamesValid_ = false;
    mutable bool fullNamesShared_ = false;
    int root_ = -1, library_ = -1, project_ = -1, sceneItem_ = -1, container_ = -1;
    std::vector<std::string> calls_;
    size_t callCount_ = 0;
    // The commands whose texts are made (in order), then those whose texts are not made yet: the
    // text without its numbers (the costly part), and each number with the place it goes.
    struct CommandCall {
        std::string text;
        std::vector<std::pair<size_t, double>> numbers;
    };
    static CommandCall unwrittenCommand(const std::string& name, const CValueArray& args);
    static std::string writtenCommand(const CommandCall& call);
    mutable std::vector<std::string> commands_;
    mutable std::vector<CommandCall> unwrittenCommands_;
    std::vector<std::pair<std::string, int>> log_;
    std::map<std::string, std::string> preferences_;
    std::vector<PendingMesh> pending_;
    std::vector<std::string> refusedBuilds_;
};

}  // namespace XSI::standin
