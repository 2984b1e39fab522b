#include "host/host_scene.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <variant>

#include "host/scene_json.h"

namespace XSI::standin {

namespace {

std::string text(const CValue& v) { return AsciiText(v); }

std::string commandText(const std::string& name, const CValueArray& args) {
    std::string line = name + "(";
    for (LONG i = 0; i < args.GetCount(); ++i) line.append(i ? ", " : "").append(text(args[i]));
    line += ")";
    return line;
}

}  // namespace

// A command as commandText writes it, all but its numbers (doubles) written now: references
// by the names they have now.
HostScene::CommandCall HostScene::unwrittenCommand(const std::string& name, const CValueArray& args) {
    CommandCall call;
    call.text = name + "(";
    for (LONG i = 0; i < args.GetCount(); ++i) {
        if (i) call.text += ", ";
        if (const double* number = std::get_if<double>(&args[i].storage()))
            call.numbers.emplace_back(call.text.size(), *number);
        else
            call.text += text(args[i]);
    }
    call.text += ")";
    return call;
}

std::string HostScene::writtenCommand(const CommandCall& call) {
    std::string line;
    size_t at = 0;
    for (const auto& [place, number] : call.numbers) {
        line.append(call.text, at, place - at).append(text(CValue(number)));
        at = place;
    }
    return line.append(call.text, at, std::string::npos);
}

namespace {

std::vector<std::string> splitList(const std::string& list) {
    std::vector<std::string> parts;
    std::stringstream s(list);
    std::string part;
    while (std::getline(s, part, ',')) parts.push_back(part);
    return parts;
}

}  // namespace

std::vector<std::vector<long>> Item::polygonList() const {
    std::vector<std::vector<long>> list;
    size_t at = 0;
    for (long size : polygonSizes) {
        list.emplace_back(polygonIndices.begin() + std::ptrdiff_t(at), polygonIndices.begin() + std::ptrdiff_t(at + size_t(size)));
        at += size_t(size);
    }
    return list;
}

HostScene& HostScene::instance() {
    // Lives as long as the process, as the host's scene does: it is never destroyed, so that
    // taking a scene of tens of thousands of items apart costs nothing at exit, and nothing it
    // holds (its scene memory) can be gone before it.
    static HostScene* const scene = new HostScene;
    return *scene;
}

HostScene::HostScene() { resetAll(); }

void HostScene::resetAll() {
    calls_.clear();
    callCount_ = 0;
    commands_.clear();
    unwrittenCommands_.clear();
    log_.clear();
    preferences_.clear();
    refusedBuilds_.clear();
    preferences_["preferences.scripting.cmdlog"] = "true";
    reset();
}

void HostScene::reset() {
    items_.clear();
    childrenOf_.clear();
    numbersTaken_.clear();
    childNames_.clear();
    fullNamesValid_ = false;
    fullNamesShared_ = false;
    pending_.clear();
    root_ = add(ItemKind::Root, "Scene_Root", -1);
    project_ = add(ItemKind::Project, "Project", -1);
    sceneItem_ = add(ItemKind::Scene, "Scene", project_);
    library_ = add(ItemKind::MaterialLibrary, "DefaultLib", sceneItem_);
    container_ = add(ItemKind::Container, "TransientObjectContainer", -1);
    const int sceneMaterial = add(ItemKind::Material, "Scene_Material", library_);
    add(ItemKind::Shader, "Phong", sceneMaterial);
}

int HostScene::add(ItemKind kind, const std::string& name, int parent) {
    Item& item = items_.emplace_back();
    item.kind = kind;
    item.name = name;
    item.parent = parent;
    const int id = static_cast<int>(items_.size() - 1);
    const size_t slot = size_t(parent + 1);
    if (childrenOf_.size() <= size_t(id + 1)) childrenOf_.resize(size_t(id + 2));
    childrenOf_[slot].push_back(id);
    if (fullNamesValid_ && !byFullName_.emplace(fullNameInPlace(id), id).second) fullNamesShared_ = true;
    countChildName(parent, name, 1);
    return id;
}

std::vector<int> HostScene::subtree(int id) const {
    std::vector<int> ids{id};
    for (size_t next = 0; next < ids.size(); ++next) {
        const int parent = ids[next];
        const size_t slot = size_t(parent + 1);
        if (slot >= childrenOf_.size()) continue;
        // An item moved to another parent stays listed under its first one: check it still belongs.
        for (int child : childrenOf_[slot])
            if (items_[size_t(child)].parent == parent) ids.push_back(child);
    }
    return ids;
}

void HostScene::unindexFullNames(const std::vector<int>& ids) {
    if (!fullNamesValid_) return;
    for (int id : ids) {
        const std::string& name = fullNameInPlace(id);
        if (byFullName_.find(name) != id) continue;
        byFullName_.erase(name);
        if (fullNamesShared_) fullNamesValid_ = false;  // another item of that name may show now
    }
}

void HostScene::indexFullNames(const std::vector<int>& ids) {
    if (!fullNamesValid_) return;
    for (int id : ids) {
        if (items_[size_t(id)].deleted) continue;
        const auto [kept, inserted] = byFullName_.emplace(fullNameInPlace(id), id);
        if (inserted) continue;
        fullNamesShared_ = true;
        if (kept > id) kept = id;
    }
}

void HostScene::renameItem(int id, const std::string& name) {
    numbersTaken_.clear();  // a number may be free again
    const std::vector<int> ids = subtree(id);
    unindexFullNames(ids);
    Item& renamed = items_.at(size_t(id));
    if (!renamed.deleted) {
        countChildName(renamed.parent, renamed.name, -1);
        countChildName(renamed.parent, name, 1);
    }
    renamed.name = name;
    indexFullNames(ids);
}

void HostScene::moveItem(int id, int parent) {
    numbersTaken_.clear();  // a number may be free again
    const std::vector<int> ids = subtree(id);
    unindexFullNames(ids);
    Item& moved = items_.at(size_t(id));
    if (!moved.deleted) {
        countChildName(moved.parent, moved.name, -1);
        countChildName(parent, moved.name, 1);
    }
    moved.parent = parent;
    if (childrenOf_.size() <= size_t(parent + 1)) childrenOf_.resize(size_t(parent + 2));
    childrenOf_[size_t(parent + 1)].push_back(id);
    indexFullNames(ids);
}

void HostScene::deleteItem(int id) {
    numbersTaken_.clear();  // a number may be free again
    const std::vector<int> ids = subtree(id);
    unindexFullNames(ids);
    Item& deleted = items_.at(size_t(id));
    if (!deleted.deleted) countChildName(deleted.parent, deleted.name, -1);
    deleted.deleted = true;
    indexFullNames(ids);
}

std::string HostScene::fullName(int id) const {
    std::string name;
    appendFullName(id, name);
    return name;
}

const std::string& HostScene::fullNameInPlace(int id) const {
    fullNameText_.clear();
    appendFullName(id, fullNameText_);
    return fullNameText_;
}

void HostScene::appendFullName(int id, std::string& out) const {
    if (id < 0 || size_t(id) >= items_.size()) return;
    const Item& it = items_[size_t(id)];
    switch (it.kind) {
    case ItemKind::MaterialLibrary:
        out += "Sources.Materials.";
        break;
    case ItemKind::ImageClip:
        out += "Clips.";
        break;
    case ItemKind::Cluster:
        appendFullName(it.parent, out);
        out += ".polymsh.cls.";
        break;
    case ItemKind::UVProperty:
        appendFullName(it.parent, out);
        out += ".polymsh.cls.Texture_Coordinates_AUTO.";
        break;
    case ItemKind::Material:
    case ItemKind::Shader:
    case ItemKind::BumpGenerator:
        appendFullName(it.parent, out);
        out += '.';
        break;
    default:
        break;
    }
    out += it.name;
}

size_t HostScene::countChildren(int parent, ItemKind kind) const {
    size_t count = 0;
    const size_t slot = size_t(parent + 1);
    if (slot >= childrenOf_.size()) return 0;
    for (int id : childrenOf_[slot]) {
        const Item& it = items_[size_t(id)];
        if (it.parent == parent && it.kind == kind && !it.deleted) ++count;
    }
    return count;
}

std::vector<int> HostScene::children(int parent, ItemKind kind) const {
    std::vector<int> out;
    const size_t slot = size_t(parent + 1);
    if (slot >= childrenOf_.size()) return out;
    for (int id : childrenOf_[slot]) {
        const Item& it = items_[size_t(id)];
        // An item moved to another parent stays listed under its first one: check it still belongs.
        if (it.parent == parent && it.kind == kind && !it.deleted) out.push_back(id);
    }
    return out;
}

int HostScene::resolve(const std::string& path, std::string& rest) const {
    if (!fullNamesValid_) {
        byFullName_.clear();
        fullNamesShared_ = false;
        for (size_t i = 0; i < items_.size(); ++i)
            if (!items_[i].deleted && !byFullName_.emplace(fullNameInPlace(int(i)), int(i)).second)
                fullNamesShared_ = true;
        fullNamesValid_ = true;
    }
    // The longest start of the path, cut at a point, that names an item.
    for (size_t length = path.size();;) {
        const int found = byFullName_.find(std::string_view(path).substr(0, length));
        if (found >= 0) {
            rest = length < path.size() ? path.substr(length + 1) : "";
            return found;
        }
        const size_t dot = path.rfind('.', length - 1);
        if (length == 0 || dot == std::string::npos || dot == 0) break;
        length = dot;
    }
    rest.clear();
    return -1;
}

std::string HostScene::numberedName(const std::string& key, const std::string& wanted,
                                    const std::function<bool(const std::string&)>& taken) {
    if (!taken(wanted)) return wanted;
    int& takenUpTo = numbersTaken_[key];
    for (int n = takenUpTo + 1;; ++n) {
        std::string name = wanted + std::to_string(n);
        if (!taken(name)) {
            takenUpTo = n - 1;  // n itself is taken only once the caller uses the name
            return name;
        }
    }
}

HostScene::ChildNames& HostScene::childNamesOf(int parent) {
    auto [entry, first] = childNames_.try_emplace(parent);
    const size_t slot = size_t(parent + 1);
    if (first && slot < childrenOf_.size()) {
        // An item moved away and back is listed twice under its parent: count it once.
        std::vector<int> ids = childrenOf_[slot];
        std::sort(ids.begin(), ids.end());
        ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
        for (int id : ids) {
            const Item& child = items_[size_t(id)];
            if (!child.deleted && child.parent == parent) ++entry->second.count[child.name];
        }
    }
    return entry->second;
}

void HostScene::countChildName(int parent, const std::string& name, int delta) {
    const auto watched = childNames_.find(parent);
    if (watched == childNames_.end()) return;
    ChildNames& names = watched->second;
    if (delta > 0) {
        ++names.count[name];
        return;
    }
    const auto found = names.count.find(name);
    if (found == names.count.end()) return;
    if (--found->second == 0) {
        names.count.erase(found);
        names.numberedUpTo.clear();
    }
}

std::string HostScene::uniqueName(const std::string& wanted, int parent) {
    ChildNames& names = childNamesOf(parent);
    if (names.count.find(wanted) == names.count.end()) return wanted;
    int& takenUpTo = names.numberedUpTo[wanted];
    for (int n = takenUpTo + 1;; ++n) {
        std::string name = wanted + std::to_string(n);
        if (names.count.find(name) == names.count.end()) {
            takenUpTo = n - 1;  // n itself is taken only once the caller adds the child
            return name;
        }
    }
}

void HostScene::setParameter(int id, const std::string& path, const std::string& value) {
    auto& params = item(id).parameters;
    for (auto& p : params)
        if (p.first == path) {
            p.second = value;
            return;
        }
    params.emplace_back(path, value);
}

bool HostScene::isRefused(const std::string& name) const {
    return std::find(refusedBuilds_.begin(), refusedBuilds_.end(), name) != refusedBuilds_.end();
}

const std::vector<std::string>& HostScene::commands() const {
    for (const CommandCall& call : unwrittenCommands_) commands_.push_back(writtenCommand(call));
    unwrittenCommands_.clear();
    return commands_;
}

CStatus HostScene::runCommand(const std::string& name, CValueArray& args, CValue& out) {
    if (recordsCalls() || onCommand) {
        const std::string line = commandText(name, args);
        if (recordsCalls()) recordCall("Application::ExecuteCommand " + line);
        else countCall();
        if (onCommand) onCommand(line);
        commands();  // the texts not made yet come first
        commands_.push_back(line);
    } else {
        countCall();
        unwrittenCommands_.push_back(unwrittenCommand(name, args));
    }
    // An argument as the command sees it, as text.
    auto arg = [&](LONG i) { return i < args.GetCount() ? text(args[i]) : std::string(); };

    if (name == "NewScene") {
        reset();
    } else if (name == "GetValue" || name == "SetValue") {
        const std::string target = arg(0);
        if (target.rfind("preferences.", 0) == 0) {
            if (name == "SetValue") preferences_[target] = arg(1);
            else {
                const std::string v = preferences_[target];
                out = (v == "true" || v == "false") ? CValue(v == "true") : CValue(AsciiString(v.c_str()));
            }
            return CStatus::OK;
        }
        std::string rest;
        const int id = resolve(target, rest);
        if (id < 0 || rest.empty()) return CStatus::InvalidArgument;
        if (name == "SetValue") setParameter(id, rest, arg(1));
        else
            for (const auto& p : item(id).parameters)
                if (p.first == rest) out = AsciiString(p.second.c_str());
    } else if (name == "TranslatePivot") {
        std::string rest;
        const int id = resolve(arg(0), rest);
        if (id >= 0 && rest.empty() && items_[size_t(id)].kind == ItemKind::Object)
            for (int k = 0; k < 3; ++k) {
                // A number given as one is taken as it is; its text (the shortest that reads back
                // the same) would give the same value.
                const LONG at = k + 1;
                const double* number = at < args.GetCount() ? std::get_if<double>(&args[at].storage()) : nullptr;
                items_[size_t(id)].pivot[k] = number ? *number : std::atof(arg(at).c_str());
            }
    } else if (name == "DisconnectAndDeleteShaders") {
        for (const std::string& full : splitList(arg(0))) {
            std::string rest;
            const int id = resolve(full, rest);
            if (id < 0 || !rest.empty()) continue;
            if (item(id).kind == ItemKind::Shader || item(id).kind == ItemKind::BumpGenerator) deleteItem(id);
            else item(id).connections.clear();
        }
    } else if (name == "SICreateImageClip") {
        const int clip = add(ItemKind::ImageClip, uniqueName(arg(1), -1), -1);
        item(clip).file = arg(0);
        out = CRef(clip);
        if (args.GetCount() > 2) args[2] = CRef(clip);
    } else if (name == "SIConnectShaderToCnxPoint") {
        std::string port;
        const int target = resolve(arg(1), port);
        if (target < 0) return CStatus::InvalidArgument;
        item(target).connections.push_back({port, arg(0)});
        // A pasted generator connected to a material moves into it and is reached by its name there.
        std::string sourceRest;
        const int source = resolve(arg(0), sourceRest);
        if (source >= 0 && sourceRest.empty() && item(source).kind == ItemKind::BumpGenerator &&
            item(target).kind == ItemKind::Material) {
            moveItem(source, target);
        }
    } else if (name == "CopyPaste") {
        const std::string source = arg(1);
        if (source.size() >= 7 && source.compare(source.size() - 7, 7, ".Preset") == 0) {
            const size_t slash = source.find_last_of("\\/");
            std::string preset = source.substr(slash == std::string::npos ? 0 : slash + 1);
            preset.resize(preset.size() - 7);
            std::string rest;
            const int target = resolve(arg(2), rest);
            if (target < 0) return CStatus::InvalidArgument;
            add(ItemKind::BumpGenerator, uniqueName(preset, target), target);
        }
    }
    return CStatus::OK;
}

void HostScene::writeJson(std::ostream& out) const {
    qf::JsonWriter json(out);
    writeSceneJson(json, *this, nullptr);
}

}  // namespace XSI::standin
