// Finding the files of texture maps: beside the MTL library, in the folder of the last find, in the
// run's search folders, and, failing those, by asking the user for another folder.
#pragma once
#include "model/import_model.h"
#include "model/messages.h"
#include "model/mtl_material.h"

namespace qf {

#if defined(_WIN32)
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif

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
// with '/' separators.
bool findMap(ObjImporter& importer, const MtlMap& map, char (&path)[kPathSize], MapSearchUi& ui);
bool resolveInMtlFolder(char (&path)[kPathSize]);
bool searchMapFolders(ObjImporter& importer, char (&path)[kPathSize]);
bool askForMap(ObjImporter& importer, const MtlMap& map, char (&path)[kPathSize], MapSearchUi& ui);

// What "Add Search Path" does with a chosen folder: remember it as the option and search its tree.
void useChosenSearchFolder(ObjImporter& importer, const char* folder);

// Adds the folder and every folder below it (hidden and system ones excepted), depth first.
void addSearchTree(ObjImporter& importer, const char* folder);
// Adds the folder unless the list holds it already (ignoring case).
void addSearchPath(ObjImporter& importer, const char* folder);

// "Diffuse-" and the like, for the missing-map warning; empty for other kinds.
const char* mapKindText(MapKind kind);

}  // namespace qf
