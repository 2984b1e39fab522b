#include "scene/map_lookup.h"

#include <cstring>
#include <deque>
#include <filesystem>
#include <set>
#include <string>
#include <system_error>
#include <unordered_map>
#include <unordered_set>

#include "host/xsi_sdk.h"
#include "materials/mtl_reader.h"
#include "materials/paths.h"
#include "model/fixed_text.h"
#include "model/string_table.h"
#include "obj/input_source.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace qf {

namespace fs = std::filesystem;

// The lookup's working state for one run, kept by the importer.
struct MapLookupState {
    // Additions to the search list not yet walked, in order: single folders and folder trees.
    struct Pending {
        std::string folder;
        bool tree;
        size_t segment;
    };
    std::deque<Pending> pending;
    // One addition as the missing-map warning names it: a folder, or a tree with its size.
    struct Segment {
        std::string root;
        bool tree;
        size_t folders = 0;
    };
    std::vector<Segment> segments;
    // Folders of the list by folderKey, so that one added again in other letter case is dropped.
    std::unordered_set<std::string> listed;
    // Folders whose sub-folders were taken already: a folder reached again through a link is not
    // walked again, so that a link loop ends.
    std::set<std::string> descended;
    // Every file of the listed folders by its folded name: the first folder of the list holding
    // it and its spelling there (the least in byte order when several differ in case only).
    struct Holder {
        size_t folder;
        std::string name;
    };
    std::unordered_map<std::string, Holder> holders;
    // Files of the folders a map was last found in, by folded name.
    std::unordered_map<std::string, std::unordered_map<std::string, std::string>> lastFolderFiles;
    // The folders beside the libraries that lookups listed for other spellings: each is listed
    // once, not once for every map whose name differs in case from its file. Listed again when
    // the user chose a folder to look on, who may have put files in place meanwhile.
    FolderListings mtlFolderListings;
    // The folder the map's own path was tried in, for the warning.
    std::string mtlFolderTried;
    std::unordered_map<const MtlMap*, MapLookupResult> results;
};

namespace {

MapLookupState& stateOf(ObjImporter& importer) {
    if (!importer.mapLookupState) importer.mapLookupState = std::make_shared<MapLookupState>();
    return *importer.mapLookupState;
}

// A folder as the list compares it: letter case and the kind of separator ignored, and without a
// separator at its end.
std::string folderKey(std::string_view folder) {
    std::string key(folder);
    toForwardSlashes(key.data());
    while (key.size() > 1 && key.back() == '/') key.pop_back();
    // The fold drops the dots at the end of a name, as Windows does; "." and ".." are no names,
    // and "x/." is not "x/..".
    const size_t cut = key.rfind('/');
    const std::string_view last = std::string_view(key).substr(cut == std::string::npos ? 0 : cut + 1);
    if (last == "." || last == "..") key += '/';
    return foldedFileName(key);
}

// The folder to list for a folder of the list. A drive alone ("C:", as the folder chooser gives a
// drive) is its root, as the joined "C:\\name" is; to the system it would be the current folder.
fs::path listedFolder(const std::string& folder) {
    if (kNativePathStyle == PathStyle::Windows && folder.size() == 2 && folder[1] == ':')
        return fileSystemPath(folder + kPathSeparator);
    return fileSystemPath(folder);
}

bool isHiddenOrSystem(const fs::directory_entry& entry) {
#if defined(_WIN32)
    const DWORD attributes = GetFileAttributesW(entry.path().c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
#else
    const std::string name = entry.path().filename().string();
    return !name.empty() && name[0] == '.';
#endif
}

// What makes two paths the same folder, links resolved.
std::string folderIdentity(const std::string& folder) {
#if defined(_WIN32)
    std::error_code ec;
    const fs::path canonical = fs::weakly_canonical(listedFolder(folder), ec);
    std::string name;
    return foldedFileName(!ec && narrowName(canonical, name) ? name : folder);
#else
    struct stat s;
    if (::stat(folder.c_str(), &s) != 0) return folder;
    return std::to_string(s.st_dev) + ":" + std::to_string(s.st_ino);
#endif
}

std::string join(const std::string& folder, const std::string& name) { return folder + kPathSeparator + name; }

// Takes one folder into the list (unless it is there) with its files in the index; returns the
// sub-folders to walk when a tree is being walked.
std::vector<std::string> takeFolder(ObjImporter& importer, MapLookupState& state, const MapLookupState::Pending& p) {
    std::vector<std::string> below;
    if (importer.mapSearchPaths.size() >= kMaxSearchFolders) return below;
    if (state.listed.insert(folderKey(p.folder)).second) {
        importer.mapSearchPaths.push_back(p.folder);
        ++state.segments[p.segment].folders;
    }
    const size_t index = importer.mapSearchPaths.size() - 1;
    const bool descend = p.tree && state.descended.insert(folderIdentity(p.folder)).second;
    std::error_code ec;
    fs::directory_iterator it(listedFolder(p.folder), fs::directory_options::skip_permission_denied, ec);
    if (ec) return below;
    std::string name;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) break;
        const fs::directory_entry& entry = *it;
        // A name the program's code page cannot spell could not be opened by it.
        if (!narrowName(entry.path().filename(), name)) continue;
        std::error_code typeError;
        if (entry.is_directory(typeError)) {
            if (descend && !typeError && !isHiddenOrSystem(entry) && name != "." && name != "..")
                below.push_back(join(p.folder, name));
            continue;
        }
        // Only a regular file is a map: a pipe or a device would block or never end when read.
        if (!entry.is_regular_file(typeError)) continue;
        auto [holder, added] = state.holders.try_emplace(foldedFileName(name), MapLookupState::Holder{index, name});
        if (!added && holder->second.folder == index && name < holder->second.name) holder->second.name = name;
    }
    return below;
}

// Walks the list one folder further; false when nothing is left to walk (or the run was cancelled).
bool walkOneFolder(ObjImporter& importer, MapLookupState& state) {
    if (state.pending.empty() || importer.aborted) return false;
    if (importer.mapSearchPaths.size() >= kMaxSearchFolders) {
        state.pending.clear();
        return false;
    }
    const MapLookupState::Pending next = state.pending.front();
    state.pending.pop_front();
    std::vector<std::string> below = takeFolder(importer, state, next);
    // Depth first, in the order the file system lists them: the first sub-folder comes next.
    for (auto it = below.rbegin(); it != below.rend(); ++it) state.pending.push_front({*it, true, next.segment});
    return true;
}

// The files of a folder by folded name, read once per run.
const std::unordered_map<std::string, std::string>& filesOf(MapLookupState& state, const std::string& folder) {
    auto [entry, added] = state.lastFolderFiles.try_emplace(folder);
    if (!added) return entry->second;
    std::error_code ec;
    std::string name;
    for (fs::directory_iterator it(listedFolder(folder), ec); !ec && it != fs::directory_iterator();
         it.increment(ec)) {
        std::error_code typeError;
        if (!it->is_regular_file(typeError) || !narrowName(it->path().filename(), name)) continue;
        auto [slot, first] = entry->second.try_emplace(foldedFileName(name), name);
        if (!first && name < slot->second) slot->second = name;
    }
    return entry->second;
}

}  // namespace

const char* mapKindText(MapKind kind) {
    switch (kind) {
    case MapKind::Ambient: return "Ambient-";
    case MapKind::Diffuse: return "Diffuse-";
    case MapKind::Specular: return "Specular-";
    case MapKind::Opacity: return "Opacity-";
    case MapKind::Bump: return "Bump-";
    case MapKind::Reflection: return "Reflection-";
    default: return "";
    }
}

bool resolveInMtlFolder(ObjImporter& importer, char (&path)[kPathSize], std::string* refused) {
    char written[kPathSize], fileName[kPathSize], directory[kPathSize], folder[kPathSize];
    copyBounded(written, path);
    splitFileName(path, false, fileName, sizeof fileName);
    splitDirectory(written, directory, sizeof directory);
    if (joinPath(currentMtlFolder(), directory, folder, sizeof folder) != 0) {
        copyBounded(folder, directory);
        toForwardSlashes(folder);
    }
    stateOf(importer).mtlFolderTried = folder;
    const std::string joined = std::string(folder) + fileName;
    std::string found;
    if (!findIgnoringCase(joined, found, &stateOf(importer).mtlFolderListings)) {
        if (refused && inputPathKind(joined) == InputPathKind::NotAFile) *refused = joined;
        return false;
    }
    if (found.size() >= sizeof path) return false;
    copyBounded(path, found.c_str());
    return true;
}

bool searchMapFolders(ObjImporter& importer, char (&path)[kPathSize]) {
    const char* cut = lastSeparator(path);
    copyBounded(importer.missingMapName, cut ? cut + 1 : path);
    const std::string name = importer.missingMapName;
    const std::string key = foldedFileName(name);
    MapLookupState& state = stateOf(importer);
    auto take = [&](const std::string& c) {
        if (c.size() >= sizeof path) return false;
        copyBounded(path, c.c_str());
        return true;
    };

    if (importer.lastMapFolder[0]) {
        const std::string folder = importer.lastMapFolder;
        if (fileExists(join(folder, name).c_str())) return take(join(folder, name));
        const auto& files = filesOf(state, folder);
        if (auto hit = files.find(key); hit != files.end()) return take(join(folder, hit->second));
    }
    // The index knows the first listed folder holding the name; walk on until one does or the
    // list is done.
    for (;;) {
        if (auto hit = state.holders.find(key); hit != state.holders.end()) {
            const std::string& folder = importer.mapSearchPaths[hit->second.folder];
            const std::string exact = join(folder, name);
            if (!take(fileExists(exact.c_str()) ? exact : join(folder, hit->second.name))) return false;
            copyBounded(importer.lastMapFolder, folder.c_str());
            return true;
        }
        if (!walkOneFolder(importer, state)) return false;
    }
}

bool askForMap(ObjImporter& importer, const MtlMap& map, char (&path)[kPathSize], MapSearchUi& ui) {
    for (;;) {
        const int answer = ui.askForMap(importer);
        ui.redrawAfterQuestion();
        XSI::Application().GetDesktop().RedrawUI();
        if (answer == 0) return false;
        stateOf(importer).mtlFolderListings.folders.clear();
        copyBounded(path, map.fileName);
        if (resolveInMtlFolder(importer, path) || searchMapFolders(importer, path)) return true;
        if (!importer.askForMissingMaps) return false;
    }
}

namespace {

// "/lib/textures/, /maps and the 12 folders below it": where a missing map was looked for.
std::string placesTried(const MapLookupState& state) {
    std::string text = state.mtlFolderTried.empty() ? std::string("the current folder") : state.mtlFolderTried;
    constexpr size_t kShown = 6;
    size_t shown = 0;
    for (const auto& s : state.segments) {
        if (s.folders == 0) continue;
        if (shown++ == kShown) {
            text += " and more";
            break;
        }
        text += ", " + s.root;
        if (s.tree && s.folders == 2) text += " and the folder below it";
        else if (s.tree && s.folders > 2) text += " and the " + std::to_string(s.folders - 1) + " folders below it";
    }
    return text;
}

}  // namespace

bool findMap(ObjImporter& importer, const MtlMap& map, char (&path)[kPathSize], MapSearchUi& ui) {
    copyBounded(path, map.fileName);
    std::string refused;
    bool found = resolveInMtlFolder(importer, path, &refused);
    if (!found && !refused.empty()) {
        // Named beside its library, but a folder, a pipe or a device: say so, then search on.
        char warning[kPathSize + 96];
        formatBounded(warning, sizeof warning, loadText(IDS_NOT_A_FILE), refused.c_str());
        importer.addWarning(warning);
    }
    found = found || searchMapFolders(importer, path);
    if (!found && importer.askForMissingMaps) found = askForMap(importer, map, path, ui);
    if (!found) {
        copyBounded(path, map.fileName);
        toForwardSlashes(path);
    }
    MapLookupState& state = stateOf(importer);
    MapLookupResult& result = state.results[&map];
    result.found = found;
    result.path = path;
    result.places = found ? std::string() : placesTried(state);
    return found;
}

const MapLookupResult* mapLookupResult(const ObjImporter& importer, const MtlMap& map) {
    if (!importer.mapLookupState) return nullptr;
    const auto& results = importer.mapLookupState->results;
    const auto hit = results.find(&map);
    return hit == results.end() ? nullptr : &hit->second;
}

void useChosenSearchFolder(ObjImporter& importer, const char* folder) {
    copyBounded(importer.options.mapSearchPath, folder);
    addSearchTree(importer, folder);
}

void addSearchTree(ObjImporter& importer, const char* folder) {
    MapLookupState& state = stateOf(importer);
    state.segments.push_back({folder, true});
    state.pending.push_back({folder, true, state.segments.size() - 1});
}

void addSearchPath(ObjImporter& importer, const char* folder) {
    MapLookupState& state = stateOf(importer);
    state.segments.push_back({folder, false});
    state.pending.push_back({folder, false, state.segments.size() - 1});
}

void expandSearchFolders(ObjImporter& importer) {
    MapLookupState& state = stateOf(importer);
    while (walkOneFolder(importer, state)) {
    }
}

}  // namespace qf
