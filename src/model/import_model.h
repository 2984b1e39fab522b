// The model of one import run: the importer that owns every record, the objects found by the
// pre-scan, and the meshes filled by the parse pass.
#pragma once
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "host/xsi_arrays.h"
#include "host/xsi_sdk.h"
#include "model/fixed_array.h"
#include "model/import_options.h"

namespace qf {

constexpr int kObjectNameSize = 256;
constexpr int kMeshNameSize = 260;
constexpr int kErrorTextSize = 259;
constexpr int kMapFolderSize = 264;
// The read window of the OBJ passes: every line up to this size is read in place, without a copy.
constexpr size_t kLineBufferSize = size_t(256) << 10;
// Floats kept per texture vertex: u and v. The host's texture values take w as 0 whatever the
// file gives (a w is still read and checked).
constexpr size_t kTexCoordFloats = 2;

struct ObjectInfo {
    char name[kObjectNameSize] = "default";
    bool selected = false;
    int32_t vertexCount = 0;
    int32_t normalCount = 0;
    int32_t texCoordCount = 0;
    int32_t polygonCount = 0;
    int32_t indexCount = 0;
    int32_t maxVertexIndex = -1;
    int32_t maxNormalIndex = -1;
    int32_t maxTexCoordIndex = -1;
    int32_t polygonsStored = 0;
    int32_t lastBlock = 0;
    bool grouped = false;
    XSI::CLongArray clusterPolygons;

    void raiseMaxVertexIndex(int32_t i) { if (i > maxVertexIndex) maxVertexIndex = i; }
    void raiseMaxNormalIndex(int32_t i) { if (i > maxNormalIndex) maxNormalIndex = i; }
    void raiseMaxTexCoordIndex(int32_t i) { if (i > maxTexCoordIndex) maxTexCoordIndex = i; }
    // Adds the five counts of another record; false (nothing changed) when a sum would overflow.
    bool addCounts(const ObjectInfo& other);
};

// One number per polygon of a mesh. Most meshes have one value for all their polygons (one
// material, one size once triangulated, every corner textured): the entries are written only
// from the first polygon that breaks the run of equal values, so the pages of a uniform column
// are never touched. A polygon never set reads 0.
class PolygonColumn {
public:
    // Room for every polygon, sized from the counts.
    FixedArray<int32_t> entries;

    // Callers keep p within the entries.
    void set(int32_t p, int32_t value) {
        if (spread_) entries[size_t(p)] = value;
        else if (p == setCount_ && (p == 0 || value == shared_)) {
            shared_ = value;
            ++setCount_;
        } else {
            spread(p, value);
        }
    }
    int32_t operator[](size_t p) const { return spread_ ? entries[p] : p < size_t(setCount_) ? shared_ : 0; }
    // True when the first count polygons were set, all to shared().
    bool uniformOver(size_t count) const { return !spread_ && size_t(setCount_) >= count; }
    // True while nothing is written to the entries.
    bool uniform() const { return !spread_; }
    int32_t shared() const { return shared_; }
    size_t size() const { return entries.size(); }
    bool empty() const { return entries.empty(); }
    // No polygon set: before new entries are allocated, or with the entries gone (release).
    void restart() {
        shared_ = 0;
        setCount_ = 0;
        spread_ = false;
    }
    void release() {
        entries.release();
        restart();
    }

private:
    void spread(int32_t p, int32_t value);
    // Polygons 0 to setCount_ - 1 were set, all to shared_ (while not spread).
    int32_t shared_ = 0;
    int32_t setCount_ = 0;
    bool spread_ = false;
};

class Mesh {
public:
    virtual ~Mesh() = default;

    // Where the arrays come from when set: one block shared by all meshes of the run for the
    // vertex indices, and one each for arrays that are often never written: the polygon columns
    // (unwritten while uniform) and the texture indices (unwritten while they follow the vertex
    // indices). Their pages are then never touched; beside arrays that are written they would be.
    MeshArena* arena = nullptr;
    MeshArena* columnArena = nullptr;
    MeshArena* texCoordIndexArena = nullptr;
    // Where the runs of the file-wide positions and texture vertices that the mesh borrows come
    // from, when set: arrays go back to whichever of these holds them. Where the runs of two
    // meshes overlap, the first gives back only its share (the bytes before the second run), so
    // that one going back leaves the others whole.
    MeshArena* lenders[2] = {};
    size_t vertexReturnBytes = SIZE_MAX;
    size_t texCoordReturnBytes = SIZE_MAX;

    bool resizeVertices(int32_t count);
    bool allocTexCoords(int32_t count);
    // Without texture coordinates the texture index arrays stay empty.
    bool allocPolygons(int32_t polygons, int32_t indices, bool withTexCoords = true);
    // Bytes an object's mesh takes of the block of vertex indices (the block of texture indices
    // takes as many) and of the block of polygon columns, for sizing the MeshArenas.
    static size_t arenaBytes(const ObjectInfo& object);
    static size_t columnArenaBytes(const ObjectInfo& object, bool withTexCoords);
    // Callers keep p below polygonCount and the fills within the index arrays.
    // Inline: called once per face, mostly with three or four corners.
    void setPolygonVertices(int32_t p, int32_t n, const int32_t* indices, int32_t material) {
        int32_t* to = vertexIndices.data() + vertexIndexFill;
        for (int32_t k = 0; k < n; ++k) to[k] = indices[k];
        polygonSizes.set(p, n);
        vertexIndexFill += n;
        polygonMaterials.set(p, material);
    }
    // After setPolygonVertices for the same polygon: while texture indices follow the vertex
    // indices, the ones that equal them are not written.
    void setPolygonTexCoords(int32_t p, int32_t n, const int32_t* indices) {
        if (texCoordsFollowVertices) {
            keepTexCoordIndices(indices, n);
        } else {
            int32_t* to = texCoordIndices.data() + texCoordIndexFill;
            for (int32_t k = 0; k < n; ++k) to[k] = indices[k];
        }
        polygonTexCoordCounts.set(p, n);
        texCoordIndexFill += n;
    }
    // The next n texture indices, for a mesh whose texture indices follow its vertex indices:
    // nothing is written while they equal the vertex indices at the same places; the first that
    // differs writes out the ones before (and these) and ends the following. The fill is the
    // caller's to move.
    void keepTexCoordIndices(const int32_t* indices, int32_t n) {
        const size_t at = size_t(texCoordIndexFill);
        bool same = at + size_t(n) <= size_t(vertexIndexFill);
        for (int32_t k = 0; same && k < n; ++k) same = indices[k] == vertexIndices[at + size_t(k)];
        if (same) return;
        stopFollowingVertices();
        std::copy(indices, indices + n, texCoordIndices.data() + at);
    }
    // Writes out the texture indices stored so far, which equal the vertex indices at the same
    // places, and stores each from now on.
    void stopFollowingVertices();
    // The texture index of corner i (below texCoordIndexFill) is entry i of this array.
    FixedArray<int32_t>& texCoordIndexArray() { return texCoordsFollowVertices ? vertexIndices : texCoordIndices; }
    const FixedArray<int32_t>& texCoordIndexArray() const {
        return texCoordsFollowVertices ? vertexIndices : texCoordIndices;
    }
    bool usesMaterial(int32_t material) const;
    // The first count entries of one of the mesh's arrays will not be read again: the memory of
    // the whole pages they fill goes back to the system, when the mesh owns it or has it from its
    // arena (never what it borrows from elsewhere).
    template <typename T>
    void giveBackFront(FixedArray<T>& array, size_t count) {
        if (array.owned() || arenaOf(array.data()))
            discardPages(array.data(), std::min(count, array.size()) * sizeof(T));
    }
    // Done with one of the mesh's arrays: its memory goes back (from the arena once the arrays
    // handed out before it are back too) and the array is empty.
    template <typename T>
    void giveBack(FixedArray<T>& array) {
        if (MeshArena* from = array.owned() ? nullptr : arenaOf(array.data())) {
            // A borrowed run goes back exactly to the end of the mesh's share of it.
            const bool lent = from == lenders[0] || from == lenders[1];
            const size_t share = &array == static_cast<const void*>(&vertices)    ? vertexReturnBytes
                                 : &array == static_cast<const void*>(&texCoords) ? texCoordReturnBytes
                                                                                   : SIZE_MAX;
            from->giveBack(array.data(), std::min(array.size() * sizeof(T), lent ? share : SIZE_MAX), lent);
        }
        array.release();
    }
    // The same for a column; a uniform one has written nothing that needs to go back early.
    void giveBackFront(PolygonColumn& column, size_t count) {
        if (!column.uniform()) giveBackFront(column.entries, count);
    }
    void giveBack(PolygonColumn& column) {
        giveBack(column.entries);
        column.release();
    }
    // Done with every array; the counts stay.
    void giveBackArrays();
    void collectPolygonsWithMaterial(int32_t material, XSI::CLongArray& out, int32_t offset) const;

    // The arena or lender that holds p, if any.
    MeshArena* arenaOf(const void* p) const {
        for (MeshArena* a : {arena, columnArena, texCoordIndexArena, lenders[0], lenders[1]})
            if (a && a->holds(p)) return a;
        return nullptr;
    }

    int32_t vertexCount = 0;
    FixedArray<float> vertices;
    // Set when every vertex is named by a stored corner, as the parse numbers them: nothing
    // needs to find the vertices no polygon uses.
    bool everyVertexUsed = false;
    int32_t texCoordCount = 0;
    FixedArray<float> texCoords;
    int32_t normalCount = 0;
    FixedArray<float> normals;
    PolygonColumn polygonMaterials;
    int32_t polygonCount = 0;
    FixedArray<int32_t> vertexIndices;
    PolygonColumn polygonSizes;
    int32_t vertexIndexFill = 0;
    FixedArray<int32_t> normalIndices;
    FixedArray<int32_t> polygonNormalCounts;
    int32_t normalIndexFill = 0;
    FixedArray<int32_t> texCoordIndices;
    PolygonColumn polygonTexCoordCounts;
    int32_t texCoordIndexFill = 0;
    // Set while every texture index stored equals the vertex index at the same place (as files
    // write them that give each vertex its own texture vertex, `f 1/1 2/2 3/3`): texCoordIndices
    // is then left unwritten and the vertex indices stand for it.
    bool texCoordsFollowVertices = false;
};

struct NamedMesh {
    char name[kMeshNameSize] = {};
    Mesh mesh;
};

struct MtlMaterial;  // materials/mtl_material.h
struct MapLookupState;  // scene/map_lookup.cpp

// An input the readers can rewind: an open file, or bytes in memory.
class InputSource;

class ObjImporter {
public:
    ObjImporter();
    ~ObjImporter();
    ObjImporter(const ObjImporter&) = delete;
    ObjImporter& operator=(const ObjImporter&) = delete;

    ObjectInfo* findObject(const char* name) const;
    // The same, trying the record at likelyPlace in objects first: a reader that meets the names
    // in the order of the records finds each without hashing it.
    ObjectInfo* findObject(const char* name, size_t likelyPlace) const;
    // Appends a record with the name (cut to its field); names of records change only through
    // renameObject, so that lookups by name stay fast on files of many thousand groups.
    ObjectInfo& appendObject(const char* name);
    void renameObject(ObjectInfo& object, const char* name);
    // True when two records may share a name; false only when every record bears a name of its own.
    bool hasDuplicateNames() const;
    int countSelectedObjects() const;
    // The first record of that name; failing that, the first whose name differs only in letter
    // case (files written on systems that ignore it); materials.size() when none; 0 for "".
    int32_t materialIndexOf(const char* name) const;
    void addWarning(const char* text);
    void addMaterialLibrary(const char* name);
    // Formats a string-table text into errorText.
    void setError(int textId);
    void setError(int textId, long long value);
    // Ends the run on memory that ran out while it did what names (text 157, "to %s"): the
    // error, on no line of the file, and the run aborted.
    void setOutOfMemory(const char* what);

    // Written by the UI thread while a worker reads it between lines: atomic, so that the
    // worker is sure to see it.
    std::atomic<bool> aborted{false};
    void* moduleHandle = nullptr;
    void* hostWindow = nullptr;
    ImportOptions options;
    char objDirectory[kPathSize] = {};
    char baseName[kObjectNameSize] = {};
    bool askForMissingMaps = true;
    char missingMapName[kPathSize] = {};
    char errorText[kErrorTextSize] = {};
    // The line of the OBJ file at which the error of errorText was found; 0 when it belongs to
    // no line (no memory, no thread, cancelled).
    uint64_t errorLine = 0;
    // File size in bytes while the file is read; later the step counts of the builders.
    uint64_t progressTotal = 0;
    std::vector<std::string> warnings;
    char configPath[kPathSize] = {};
    InputSource* objFile = nullptr;  // not owned: the run opens and closes it
    FILE* mtlFile = nullptr;
    // The read window of every reader; sized by the run.
    FixedArray<char> lineBuffer;

    int32_t vertexTotal = 0;
    int32_t normalTotal = 0;
    int32_t texCoordTotal = 0;
    // The file-wide positions and texture vertices, each in a block of its own where it can be
    // had: meshes borrow runs of them and give those back while they are built.
    MeshArena positionArena;
    MeshArena texCoordArena;
    FixedArray<float> positions;
    FixedArray<float> normalVectors;
    FixedArray<float> texCoordValues;
    std::unique_ptr<ObjectInfo> combinedObject;
    std::vector<std::unique_ptr<ObjectInfo>> objects;
    // Declared before the meshes, so that they outlive the arrays they borrow from them.
    MeshArena meshArena;
    MeshArena columnArena;
    MeshArena texCoordIndexArena;
    std::vector<std::unique_ptr<NamedMesh>> meshes;
    char lastMapFolder[kMapFolderSize] = {};
    std::vector<std::string> materialLibraries;
    std::vector<std::string> libraryFilesRead;  // the files the material libraries were read from
    std::unordered_set<std::string> createdClipNames;  // names of the clips asked for
    // The clip made of each map file, by the file's path: one file is one clip, and two files are
    // two clips even where their base names meet ("body.diffuse.png", "body.normal.png").
    std::unordered_map<std::string, std::string> clipOfFile;
    std::vector<std::string> mapSearchPaths;
    // The map lookup's working state for the run (folder trees still to walk, what became of each
    // map); its type is private to the lookup.
    std::shared_ptr<MapLookupState> mapLookupState;
    std::vector<std::unique_ptr<MtlMaterial>> materials;
    std::vector<XSI::Material> hostMaterials;

private:
    // First record of each name; rebuilt when records were added behind its back.
    mutable std::unordered_map<std::string, ObjectInfo*> objectIndex_;
    mutable size_t indexedObjects_ = 0;
    mutable bool duplicateNames_ = false;
    void indexObjects() const;
    // First record of each material name, and of each name in lower case, indexed as materials
    // grows.
    mutable std::unordered_map<std::string, int32_t> materialIndex_;
    mutable std::unordered_map<std::string, int32_t> foldedMaterialIndex_;
    mutable size_t indexedMaterials_ = 0;
    // The warnings in lower case and the library names, so that a repeat is found at once.
    std::unordered_set<std::string> warningKeys_;
    size_t indexedWarnings_ = 0;
    std::unordered_set<std::string> libraryNames_;
    size_t indexedLibraries_ = 0;
};

}  // namespace qf
