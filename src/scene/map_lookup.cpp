#include "scene/map_lookup.h"

#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <system_error>

#include "host/xsi_sdk.h"
#include "materials/mtl_reader.h"
#include "materials/paths.h"
#include "model/fixed_text.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace qf {

namespace fs = std::filesystem;

namespace {

// Folders a search tree may hold at most: a tree chosen near the root of a disk must not keep the
// run busy for ever.
constexpr size_t kMaxSearchFolders = 20000;

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

void addTree(ObjImporter& importer, const std::string& folder, std::set<std::string>& visited) {
    if (importer.mapSearchPaths.size() >= kMaxSearchFolders) return;
    addSearchPath(importer, folder.c_str());
    // A folder reached twice through links is searched once, so a link loop ends.
    std::error_code ec;
    const std::string canonical = fs::weakly_canonical(folder, ec).string();
    if (!visited.insert(ec ? folder : canonical).second) return;
    fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec);
    if (ec) return;
    for (const auto& entry : it) {
        std::error_code entryError;
        if (!entry.is_directory(entryError) || entryError || isHiddenOrSystem(entry)) continue;
        const std::string name = entry.path().filename().string();
        if (name == "." || name == "..") continue;
        addTree(importer, folder + kPathSeparator + name, visited);
    }
}

std::string candidate(const char* folder, const char* name) { return std::string(folder) + kPathSeparator + name; }

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

bool resolveInMtlFolder(char (&path)[kPathSize]) {
    char written[kPathSize], fileName[kPathSize], directory[kPathSize], folder[kPathSize];
    copyBounded(written, path);
    splitFileName(path, false, fileName, sizeof fileName);
    splitDirectory(written, directory, sizeof directory);
    if (joinPath(currentMtlFolder(), directory, folder, sizeof folder) != 0) {
        copyBounded(folder, directory);
        toForwardSlashes(folder);
    }
    const std::string found = std::string(folder) + fileName;
    if (found.size() >= sizeof path || !fileExists(found.c_str())) return false;
    copyBounded(path, found.c_str());
    return true;
}

bool searchMapFolders(ObjImporter& importer, char (&path)[kPathSize]) {
    const char* cut = std::strrchr(path, '/');
    if (!cut) cut = std::strrchr(path, '\\');
    copyBounded(importer.missingMapName, cut ? cut + 1 : path);
    if (importer.lastMapFolder[0]) {
        const std::string c = candidate(importer.lastMapFolder, importer.missingMapName);
        if (c.size() < sizeof path && fileExists(c.c_str())) {
            copyBounded(path, c.c_str());
            return true;
        }
    }
    for (const std::string& folder : importer.mapSearchPaths) {
        const std::string c = candidate(folder.c_str(), importer.missingMapName);
        if (c.size() < sizeof path && fileExists(c.c_str())) {
            copyBounded(path, c.c_str());
            copyBounded(importer.lastMapFolder, folder.c_str());
            return true;
        }
    }
    return false;
}

bool askForMap(ObjImporter& importer, const MtlMap& map, char (&path)[kPathSize], MapSearchUi& ui) {
    for (;;) {
        const int answer = ui.askForMap(importer);
        ui.redrawAfterQuestion();
        XSI::Application().GetDesktop().RedrawUI();
        if (answer == 0) return false;
        copyBounded(path, map.fileName);
        if (resolveInMtlFolder(path) || searchMapFolders(importer, path)) return true;
        if (!importer.askForMissingMaps) return false;
    }
}

bool findMap(ObjImporter& importer, const MtlMap& map, char (&path)[kPathSize], MapSearchUi& ui) {
    copyBounded(path, map.fileName);
    if (resolveInMtlFolder(path) || searchMapFolders(importer, path)) return true;
    if (importer.askForMissingMaps) return askForMap(importer, map, path, ui);
    return false;
}

void useChosenSearchFolder(ObjImporter& importer, const char* folder) {
    copyBounded(importer.options.mapSearchPath, folder);
    addSearchTree(importer, folder);
}

void addSearchTree(ObjImporter& importer, const char* folder) {
    std::set<std::string> visited;
    addTree(importer, folder, visited);
}

void addSearchPath(ObjImporter& importer, const char* folder) {
    for (const std::string& known : importer.mapSearchPaths)
        if (equalsNoCase(known.c_str(), folder)) return;
    importer.mapSearchPaths.emplace_back(folder);
}

}  // namespace qf
