#include "scene/material_builder.h"

#include <cstring>
#include <filesystem>

#include "materials/mtl_reader.h"
#include "materials/paths.h"
#include "model/fixed_text.h"
#include "model/mtl_material.h"
#include "model/string_table.h"

namespace qf {

using XSI::CString;
using XSI::CValue;
using XSI::CValueArray;

namespace {

XSI::Application host() { return XSI::Application(); }

CString text(const char* ascii) { return XSI::AsciiString(ascii); }
CString text(const std::string& ascii) { return XSI::AsciiString(ascii.c_str()); }

XSI::CStatus runCommand(const char* name, std::initializer_list<CValue> arguments) {
    CValueArray args;
    for (const CValue& a : arguments) args.Add(a);
    CValue out;
    return host().ExecuteCommand(text(name), args, out);
}

void setValue(const std::string& target, const CValue& value) { runCommand("SetValue", {text(target), value}); }

XSI::Library activeMaterialLibrary() {
    return host().GetActiveProject().GetActiveScene().GetActiveMaterialLibrary();
}

XSI::Shader firstShader(const XSI::Material& material) {
    XSI::CRefArray shaders = material.GetShaders();
    return shaders.GetCount() > 0 ? XSI::Shader(shaders[0]) : XSI::Shader();
}

void setColour(XSI::Shader& shader, const char* parameter, float r, float g, float b) {
    XSI::Parameter colour(shader.GetParameters().GetItem(text(parameter)));
    colour.PutParameterValue(text("red"), r);
    colour.PutParameterValue(text("green"), g);
    colour.PutParameterValue(text("blue"), b);
}

// The clip name of a map: its base name made host-safe.
std::string clipNameOf(const char* path) {
    char copy[kPathSize], base[kPathSize];
    copyBounded(copy, path);
    splitFileName(copy, true, base, sizeof base);
    return sanitizeName(base);
}


void placeTexture(const XSI::Shader& shader, int imageCounter, const float* scale, const float* offset) {
    std::string node = ToAscii(shader.GetFullName()) + ".Image";
    if (imageCounter != 0) node += std::to_string(imageCounter);
    static const char* const axes[] = {"x", "y", "z"};
    for (int k = 0; k < 3; ++k)
        if (scale[k] != 1.0f) setValue(node + ".repeats." + axes[k], CValue(scale[k]));
    for (int k = 0; k < 3; ++k)
        if (offset[k] != 0.0f) setValue(node + ".min." + axes[k], CValue(offset[k]));
}

XSI::CStatus connectTextureMap(const XSI::Material& material, const char* port, int imageCounter,
                               const std::string& clip, const MtlMap& map) {
    XSI::Shader shader = firstShader(material);
    const std::string shaderName = ToAscii(shader.GetFullName());
    XSI::CStatus status =
        runCommand("SIConnectShaderToCnxPoint", {text("Clips." + clip), text(shaderName + port), CValue()});
    if (std::strcmp(port, ".transparency") == 0) setValue(shaderName + ".inverttrans", CValue(true));
    placeTexture(shader, imageCounter, map.scale, map.offset);
    return status;
}

XSI::CStatus connectBumpMap(const XSI::Material& material, const std::string& clip, const MtlMap& map) {
    runCommand("CopyPaste", {CValue(), text("Shaders\\Texture\\Bump\\Bumpmap_generator.Preset"),
                             text("TransientObjectContainer")});
    runCommand("SIConnectShaderToCnxPoint",
               {text("Clips." + clip), text("TransientObjectContainer.Bumpmap_generator.input"), CValue()});
    const std::string materialName = ToAscii(material.GetFullName());
    XSI::CStatus status = runCommand("SIConnectShaderToCnxPoint", {text("TransientObjectContainer.Bumpmap_generator"),
                                                                   text(materialName + ".normal"), CValue()});
    static const char* const axes[] = {"x", "y", "z"};
    for (int k = 0; k < 3; ++k)
        setValue(materialName + ".Bumpmap_generator.repeats." + axes[k], CValue(map.scale[k]));
    for (int k = 0; k < 3; ++k) setValue(materialName + ".Bumpmap_generator.min." + axes[k], CValue(map.offset[k]));
    return status;
}

}  // namespace

std::string foldedName(const char* name) {
    std::string folded(name);
    for (char& c : folded)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return folded;
}

std::string sanitizeName(std::string name) {
    if (name.size() >= 2 && (name[0] == '"' || name[0] == '\'') && name.back() == name[0])
        name = name.substr(1, name.size() - 2);
    for (char& c : name) {
        const bool alnum = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!alnum) c = '_';
    }
    if (!name.empty() && name[0] >= '0' && name[0] <= '9') name.insert(name.begin(), '_');
    return name;
}

void sanitizeName(char* text, size_t size) { copyBounded(text, size, sanitizeName(std::string(text)).c_str()); }

void makeUniqueMaterialName(CString& name, LibraryNames& names) {
    if (!names.loaded) {
        XSI::CRefArray items = activeMaterialLibrary().GetItems();
        for (XSI::LONG i = 0; i < items.GetCount(); ++i) names.taken.insert(ToAscii(XSI::SIObject(items[i]).GetName()));
        names.loaded = true;
    }
    std::string current = ToAscii(name);
    if (!names.taken.count(current)) return;
    // Taken: count on from the name's own number (wood_1 -> wood_2), or from 0.
    std::string base = current;
    long counter = 0;
    const size_t underscore = current.rfind('_');
    if (underscore != std::string::npos && underscore + 1 < current.size() &&
        (underscore == 0 || current[underscore - 1] != '_') &&
        current.find_first_not_of("0123456789", underscore + 1) == std::string::npos &&
        current.size() - underscore - 1 <= 9) {
        counter = std::stol(current.substr(underscore + 1));
        base = current.substr(0, underscore);
    }
    long& last = names.lastCounter[base + '\n' + std::to_string(counter)];
    counter = std::max(counter, last);
    do current = base + "_" + std::to_string(++counter);
    while (names.taken.count(current));
    last = counter;
    name = text(current);
}

void makeUniqueMaterialName(CString& name) {
    LibraryNames names;
    makeUniqueMaterialName(name, names);
}

XSI::Material createHostMaterial(char* wanted, size_t size) {
    LibraryNames names;
    return createHostMaterial(wanted, size, names);
}

XSI::Material createHostMaterial(char* wanted, size_t size, LibraryNames& names) {
    sanitizeName(wanted, size);
    XSI::MaterialLibrary library(activeMaterialLibrary().GetRef());
    CString name = text(wanted);
    makeUniqueMaterialName(name, names);
    copyBounded(wanted, size, ToAscii(name).c_str());
    XSI::Material material(library.CreateMaterial(text("Phong"), text("Phong")));
    material.PutName(name);
    names.taken.insert(ToAscii(material.GetName()));
    setValue(ToAscii(material.GetFullName()) + ".envmode", CValue(short(8449)));
    return material;
}

namespace {

// One file, however its path is spelt: "tex//a.png", "./tex/a.png" and "x/../tex/a.png" are one;
// on Windows, where names ignore letter case, "Tex/Wood.JPG" and "tex/wood.jpg" too.
std::string fileKey(const char* path) {
    const std::filesystem::path normal = fileSystemPath(path).lexically_normal();
#if defined(_WIN32)
    std::string narrow;
    if (narrowName(std::filesystem::path(normal.generic_wstring()), narrow)) return foldedFileName(narrow);
#endif
    return normal.generic_string();
}

}  // namespace

bool isNewClip(ObjImporter& importer, char (&path)[kPathSize]) {
    char base[kPathSize];
    splitFileName(path, true, base, sizeof base);
    return importer.clipOfFile.count(fileKey(path)) == 0;
}

std::string clipOfMap(ObjImporter& importer, const char* path, bool create) {
    if (!create) {
        const auto known = importer.clipOfFile.find(fileKey(path));
        if (known != importer.clipOfFile.end()) return known->second;
    }
    std::string clip = clipNameOf(path);
    if (create) {
        // The host numbers a name another clip has: the connections go to the clip it made.
        CValueArray args;
        args.Add(text(path));
        args.Add(text(clip));
        args.Add(CValue());
        CValue out;
        host().ExecuteCommand(text("SICreateImageClip"), args, out);
        const XSI::CRef made = args[2];
        if (made.IsValid()) clip = ToAscii(XSI::SIObject(made).GetName());
        importer.clipOfFile.emplace(fileKey(path), clip);
        importer.createdClipNames.insert(clip);
    }
    return clip;
}

void markUsedMaterials(ObjImporter& importer) {
    // Every mesh is read from selected objects only: one mesh per selected object, or one mesh
    // of the selected objects' polygons.
    const size_t count = importer.materials.size();
    for (const auto& named : importer.meshes) {
        const Mesh& mesh = named->mesh;
        if (mesh.polygonCount <= 0) continue;
        const PolygonColumn& column = mesh.polygonMaterials;
        auto markUsed = [&](int32_t m) {
            if (m >= 0 && size_t(m) < count) importer.materials[size_t(m)]->used = true;
        };
        if (column.uniform()) {
            // One material for every polygon set; polygons never set read 0.
            markUsed(column[0]);
            if (!column.uniformOver(size_t(mesh.polygonCount))) markUsed(0);
            continue;
        }
        for (int32_t p = 0; p < mesh.polygonCount; ++p) markUsed(column[size_t(p)]);
    }
}

void buildMaterials(ObjImporter& importer, DialogLink& progress, MapSearchUi& ui) {
    progress.send(DialogMessage::Phase, IDS_CREATING_MATERIALS, 0);
    importer.progressTotal = importer.materials.size();
    progress.send(DialogMessage::Progress, 0, 0);
    markUsedMaterials(importer);
    LibraryNames libraryNames;
    for (size_t i = 0; i < importer.materials.size(); ++i) {
        if (importer.aborted) return;
        MtlMaterial& record = *importer.materials[i];
        if (record.used) {
            char name[kMaterialWantedSize];
            formatBounded(name, sizeof name, "%s%s", importer.options.materialPrefix, record.name.c_str());
            XSI::Material material = createHostMaterial(name, sizeof name, libraryNames);
            record.name = name;
            importer.hostMaterials.push_back(material);

            XSI::Shader shader = firstShader(material);
            const bool black = importer.options.forceBlackAmbient;
            setColour(shader, "ambient", black ? 0.0f : record.ambient[0], black ? 0.0f : record.ambient[1],
                      black ? 0.0f : record.ambient[2]);
            setColour(shader, "diffuse", record.diffuse[0], record.diffuse[1], record.diffuse[2]);
            setColour(shader, "specular", record.specular[0], record.specular[1], record.specular[2]);
            const std::string shaderName = ToAscii(shader.GetFullName());
            setValue(shaderName + ".shiny", CValue(record.shininess * 300.0f));
            const float transparency = 1.0f - record.opacity;
            setColour(shader, "transparency", transparency, transparency, transparency);
            setValue(shaderName + ".index_of_refraction", CValue(record.refractionIndex));

            // Maps are named from the folder of their own library: with libraries in several
            // folders, the one read last is not every material's.
            setCurrentMtlFolder(record.libraryFolder.c_str());
            int imageCounter = 0;
            for (const auto& map : record.maps) {
                char path[kPathSize];
                const bool found = findMap(importer, *map, path, ui);
                const char* port = nullptr;
                switch (map->kind) {
                case MapKind::Ambient: port = ".ambient"; break;
                case MapKind::Diffuse: port = ".diffuse"; break;
                case MapKind::Specular: port = ".specular"; break;
                case MapKind::Opacity: port = ".transparency"; break;
                case MapKind::Reflection: port = ".reflectivity"; break;
                default: break;
                }
                // Only maps that get a clip record its name: a map of another kind must not keep a
                // later map of the same base name from creating the clip it connects.
                const bool connects = port || map->kind == MapKind::Bump;
                const bool create = connects && isNewClip(importer, path);
                const std::string clip = connects ? clipOfMap(importer, path, create) : std::string();
                if (port) {
                    connectTextureMap(material, port, imageCounter, clip, *map);
                    ++imageCounter;
                } else if (map->kind == MapKind::Bump) {
                    connectBumpMap(material, clip, *map);
                    setValue(ToAscii(material.GetFullName()) + ".Bumpmap_generator.factor",
                             CValue(map->bumpFactor * 100.0f));
                }
                if (!found) {
                    char warning[kPathSize * 2];
                    formatBounded(warning, sizeof warning, loadText(IDS_MAP_NOT_FOUND), mapKindText(map->kind),
                                  record.name.c_str(), map->fileName);
                    // Where the map was looked for, so that the user knows where it is missing from.
                    const MapLookupResult* lookup = mapLookupResult(importer, *map);
                    std::string text = warning;
                    if (lookup && !lookup->places.empty()) text += "; looked in " + lookup->places;
                    importer.addWarning(text.c_str());
                }
            }
        }
        progress.send(DialogMessage::Progress, 0, static_cast<intptr_t>(i));
    }
    progress.send(DialogMessage::Phase, 0, 0);
    progress.send(DialogMessage::Progress, 0, static_cast<intptr_t>(importer.progressTotal));
}

void clearSceneMaterial() {
    XSI::CRefArray items = activeMaterialLibrary().GetItems();
    for (XSI::LONG i = 0; i < items.GetCount(); ++i)
        if (XSI::SIObject(items[i]).GetName() == text("Scene_Material")) {
            runCommand("DisconnectAndDeleteShaders",
                       {text("Sources.Materials.DefaultLib.Scene_Material.Phong,Sources.Materials.DefaultLib.Scene_Material")});
            return;
        }
}

}  // namespace qf
