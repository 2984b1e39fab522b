#include "run/scene_report.h"

#include <charconv>
#include <string_view>
#include <unordered_map>

#include "obj/input_source.h"
#include "scene/map_lookup.h"
#include "scene/mesh_builder.h"

namespace qf {

namespace {

using XSI::standin::HostScene;
using XSI::standin::ItemKind;

const char* kindName(MapKind kind) {
    switch (kind) {
    case MapKind::Ambient: return "Ambient";
    case MapKind::Diffuse: return "Diffuse";
    case MapKind::Specular: return "Specular";
    case MapKind::Emission: return "Emission";
    case MapKind::Opacity: return "Opacity";
    case MapKind::Bump: return "Bump";
    case MapKind::Reflection: return "Reflection";
    default: return "Unknown";
    }
}

// A float option as the number it was given as: 0.2, not the 0.200000003 its double would print.
double asWritten(float value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    double shortest = double(value);
    std::from_chars(text, end, shortest);
    return shortest;
}

void recordOptions(const ImportOptions& o, XSI::standin::SceneRunRecord& run) {
    run.options = {
        {"replaceScene", o.replaceScene},
        {"importAsClusters", o.importAsClusters},
        {"clusterPrefix", std::string(o.clusterPrefix)},
        {"flipZY", o.flipZY},
        {"centerPivots", o.centerPivots},
        {"textureCoords", o.textureCoords},
        {"importNormals", o.importNormals},
        {"objectScale", asWritten(o.objectScale)},
        {"importMaterials", o.importMaterials},
        {"forceBlackAmbient", o.forceBlackAmbient},
        {"useMaterialPrefix", o.useMaterialPrefix},
        {"materialPrefix", std::string(o.materialPrefix)},
        {"defaultBump", asWritten(o.defaultBump)},
        {"mapSearchPath", std::string(o.mapSearchPath)},
    };
}

// The mesh builder adds one object per mesh record, in order, and in a clustered import one
// cluster per chosen object with polygons: the run's objects are the last ones under the root.
void recordSourceNames(const ObjImporter& importer, const HostScene& scene, XSI::standin::SceneRunRecord& run) {
    const std::vector<int> objects = scene.children(scene.root(), ItemKind::Object);
    if (objects.size() < importer.meshes.size()) return;
    const size_t first = objects.size() - importer.meshes.size();
    for (size_t i = 0; i < importer.meshes.size(); ++i) {
        const int id = objects[first + i];
        run.objectSourceNames[id] = importer.meshes[i]->name;
        if (!importer.options.importAsClusters) continue;
        auto& clusters = run.clusterSourceNames[id];
        size_t next = 0;
        for (const auto& cluster : scene.item(id).clusters) {
            if (!cluster.material.empty()) continue;
            while (next < importer.objects.size() && !makesObjectCluster(importer, *importer.objects[next])) ++next;
            if (next == importer.objects.size()) break;
            clusters.push_back(importer.objects[next++]->name);
        }
    }
}

void recordMaps(const ObjImporter& importer, const HostScene& scene, XSI::standin::SceneRunRecord& run) {
    // The library's last material of each name: one lookup per record, not a walk of the library.
    std::unordered_map<std::string_view, int> materialNamed;
    for (int m : scene.children(scene.materialLibrary(), ItemKind::Material)) materialNamed[scene.item(m).name] = m;
    for (const auto& record : importer.materials) {
        if (!record->used) continue;
        const auto named = materialNamed.find(record->name);
        if (named == materialNamed.end()) continue;
        auto& maps = run.materialMaps[named->second];
        for (const auto& map : record->maps) {
            const MapLookupResult* lookup = mapLookupResult(importer, *map);
            if (!lookup) continue;
            maps.push_back({kindName(map->kind), map->fileName, lookup->found, lookup->path});
        }
    }
}

}  // namespace

XSI::standin::SceneRunRecord recordOfRun(const ObjImporter& importer, const std::string& objPath) {
    const HostScene& scene = HostScene::instance();
    XSI::standin::SceneRunRecord run;
    run.sourceFile = objPath;
    run.sourceSize = fileSize(objPath);
    recordOptions(importer.options, run);
    run.warnings = importer.warnings;
    recordSourceNames(importer, scene, run);
    recordMaps(importer, scene, run);
    return run;
}

bool writeRunSceneJson(std::ostream& out, const ObjImporter& importer, const std::string& objPath,
                       const std::atomic<bool>* cancel) {
    const XSI::standin::SceneRunRecord run = recordOfRun(importer, objPath);
    JsonWriter json(out);
    json.setCancelFlag(cancel);
    XSI::standin::writeSceneJson(json, HostScene::instance(), &run);
    json.raw("\n");
    const bool written = json.flush();
    out.flush();
    return written && !out.bad();
}

}  // namespace qf
