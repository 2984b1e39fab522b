// Finding the files of texture maps: beside the MTL library, in the folder of the last find, in the
// run's search folders, and, failing those, by asking the user for another folder.
//
// Maps are named for a file system that ignores letter case: every part of a map's path is matched
// ignoring case where the exact name is not there (an exact name wins over one that differs in
// case). Folder trees of the search list are walked only as far as a lookup needs them, so a
// saved search folder near the root of a disk costs nothing while maps are found beside the
// library.
#pragma once
#include <string>
#include <vector>

#include "model/import_model.h"
#include "model/messages.h"
#include "model/mtl_material.h"

namespace qf {

#if defined(_WIN32)
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif

// Folders the search list holds at most: a tree chosen near the root of a disk must not keep the
// run busy for ever.
constexpr size_t kMaxSearchFolders = 20000;

// The question asked when a map is missing. The Windows build shows the map-search dialog; a
// headless run answers from its settings.
class MapSearchUi {
public:
    virtual ~MapSearchUi() = default;
    // Asks about importer.missingMapName. 1 when a folder was added to the search list (through
    // chooseSearchFolder), 0 for "Skip". May clear importer.askForMissingMaps.
    virtual int askForMap(ObjImporter& importer) = 0;
    // Repaints what the question covered.
    virtual void redrawAfterQuestion() {}
};

// A UI that never asks: missing maps stay missing.
class NoMapSearch final : public MapSearchUi {
public:
    int askForMap(ObjImporter&) override { return 0; }
};

// True when the map's file was found; path then holds it. Otherwise path holds the map's name
// with '/' separators. The outcome is kept for mapLookupResult.
bool findMap(ObjImporter& importer, const MtlMap& map, char (&path)[kPathSize], MapSearchUi& ui);
// The map's name beside the library (letter case ignored), when that is a regular file; refused
// receives the path when something else is there.
bool resolveInMtlFolder(ObjImporter& importer, char (&path)[kPathSize], std::string* refused = nullptr);
bool searchMapFolders(ObjImporter& importer, char (&path)[kPathSize]);
bool askForMap(ObjImporter& importer, const MtlMap& map, char (&path)[kPathSize], MapSearchUi& ui);

// What "Add Search Path" does with a chosen folder: remember it as the option and search its tree.
void useChosenSearchFolder(ObjImporter& importer, const char* folder);

// Adds the folder and every folder below it (hidden and system ones excepted), depth first. The
// folders below are walked when a lookup first needs them.
void addSearchTree(ObjImporter& importer, const char* folder);
// Adds the folder unless the list holds it already (ignoring case).
void addSearchPath(ObjImporter& importer, const char* folder);
// Walks every tree still pending, so that importer.mapSearchPaths holds the whole list.
void expandSearchFolders(ObjImporter& importer);

// What became of a map the run looked up: found or not, and where.
struct MapLookupResult {
    bool found = false;
    std::string path;    // the file found, or the map's name with '/' separators
    std::string places;  // for a missing map: the folders tried, for its warning
};
// The last lookup of that map in the run; null when it was never looked up.
const MapLookupResult* mapLookupResult(const ObjImporter& importer, const MtlMap& map);

// "Diffuse-" and the like, for the missing-map warning; empty for other kinds.
const char* mapKindText(MapKind kind);

}  // namespace qf
