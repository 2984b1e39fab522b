// Host materials from the MTL records that the meshes use: Phong materials with their colours,
// image clips for the texture maps and bump generators for the bump maps.
#pragma once
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "host/xsi_sdk.h"
#include "model/import_model.h"
#include "model/messages.h"
#include "scene/map_lookup.h"

namespace qf {

// The wanted name of a material (prefix and record name) is cut to this many characters.
constexpr size_t kMaterialWantedSize = 256;

// Creates the host material of every used record, with its maps; stops at once when cancelled.
void buildMaterials(ObjImporter& importer, DialogLink& progress, MapSearchUi& ui);
void markUsedMaterials(ObjImporter& importer);

// The host-safe form of a name: outer quotes dropped, every byte but ASCII letters and digits
// turned into '_', and '_' put before a leading digit. Cut to size-1 bytes.
void sanitizeName(char* text, size_t size);
std::string sanitizeName(std::string text);
// The name with its ASCII letters in lower case, as the host compares names.
std::string foldedName(const char* name);

// The names taken in the active material library: read from the host once, then kept as the run
// adds materials, so that making a name unique does not walk the library for every material.
struct LibraryNames {
    bool loaded = false;
    std::unordered_set<std::string> taken;
    // For a name that clashed: its base and first counter, and the counter it last ended at.
    // Names are only added during a run, so every counter up to that one is still taken.
    std::unordered_map<std::string, long> lastCounter;
};

// Makes the name unique among the items of the active material library: wood, wood_1, wood_2...
void makeUniqueMaterialName(XSI::CString& name, LibraryNames& names);
void makeUniqueMaterialName(XSI::CString& name);
// Creates a Phong material under the sanitised, unique form of wanted (rewritten with it).
XSI::Material createHostMaterial(char* wanted, size_t size, LibraryNames& names);
XSI::Material createHostMaterial(char* wanted, size_t size);

// True when no clip of the map file was asked for yet in this run. Turns the path's '\' into '/'.
bool isNewClip(ObjImporter& importer, char (&path)[kPathSize]);

// The clip of a map file: created when isNewClip says so, under its base name made host-safe
// (or the name the host gives it when that one is taken), and the same clip for the file after.
std::string clipOfMap(ObjImporter& importer, const char* path, bool create);

// The material library's "Scene_Material" loses its shaders, if there is one.
void clearSceneMaterial();

}  // namespace qf
