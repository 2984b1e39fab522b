#include "host/scene_json.h"

#include <algorithm>

namespace XSI::standin {

namespace {

using qf::JsonWriter;

// A value the host holds as a double of the importer's float is written as that float, in its
// shortest exact form (-1.6, not -1.60000002); any other keeps what its double needs.
void coordinate(JsonWriter& json, double value) {
    const float single = float(value);
    if (double(single) == value) json.value(single);
    else json.value(value);
}

// Vertices and texture coordinates: one array of three numbers each.
void triples(JsonWriter& json, const SceneArray<double>& values) {
    json.beginArray();
    for (size_t i = 0; i + 2 < values.size(); i += 3) {
        json.beginArray();
        for (size_t k = 0; k < 3; ++k) coordinate(json, values[i + k]);
        json.endArray();
    }
    json.endArray();
}
void triples(JsonWriter& json, const SceneArray<float>& values) {
    json.beginArray();
    for (size_t i = 0; i + 2 < values.size(); i += 3)
        json.beginArray().value(values[i]).value(values[i + 1]).value(values[i + 2]).endArray();
    json.endArray();
}

template <typename Integer>
void integers(JsonWriter& json, const Integer* values, size_t count) {
    json.beginArray();
    for (size_t i = 0; i < count; ++i) json.value(int64_t(values[i]));
    json.endArray();
}

void writeOptions(JsonWriter& json, const SceneRunRecord& run) {
    json.key("options").beginObject();
    for (const auto& [name, value] : run.options) {
        json.key(name);
        if (const bool* b = std::get_if<bool>(&value)) json.value(*b);
        else if (const double* d = std::get_if<double>(&value)) json.value(*d);
        else json.value(std::get<std::string>(value));
    }
    json.endObject();
}

void writeObject(JsonWriter& json, const HostScene& scene, int id, const SceneRunRecord* run) {
    const Item& o = scene.item(id);
    json.beginObject();
    json.key("name").value(o.name);
    if (run)
        if (auto source = run->objectSourceNames.find(id); source != run->objectSourceNames.end())
            json.key("sourceName").value(source->second);
    json.key("built").value(o.built);
    json.key("vertices");
    triples(json, o.positions);
    json.key("polygons").beginArray();
    size_t corner = 0;  // each polygon's indices, read in place
    for (int32_t size : o.polygonSizes) {
        const size_t count = std::min(size_t(std::max(size, 0)), o.polygonIndices.size() - corner);
        integers(json, o.polygonIndices.data() + corner, count);
        corner += count;
    }
    json.endArray();
    json.key("uvs").beginArray();
    for (int uv : scene.children(id, ItemKind::UVProperty)) {
        const Item& property = scene.item(uv);
        json.beginObject();
        json.key("name").value(property.name);
        json.key("values");
        triples(json, property.values);
        json.endObject();
    }
    json.endArray();
    json.key("pivot").beginArray();
    for (double v : o.pivot) coordinate(json, v);
    json.endArray();

    const std::vector<std::string>* clusterSources = nullptr;
    if (run)
        if (auto found = run->clusterSourceNames.find(id); found != run->clusterSourceNames.end())
            clusterSources = &found->second;
    auto polygons = [&](const SceneArray<int32_t>& list) { integers(json, list.data(), list.size()); };
    json.key("clusters").beginArray();
    size_t objectCluster = 0;
    for (const auto& c : o.clusters) {
        if (!c.material.empty()) continue;
        json.beginObject();
        json.key("name").value(c.name);
        if (clusterSources && objectCluster < clusterSources->size())
            json.key("sourceName").value((*clusterSources)[objectCluster]);
        ++objectCluster;
        json.key("polygons");
        polygons(c.polygons);
        json.endObject();
    }
    json.endArray();
    json.key("materialAssignments").beginArray();
    for (const auto& c : o.clusters) {
        if (c.material.empty()) continue;
        json.beginObject();
        json.key("cluster").value(c.name);
        json.key("material").value(c.material);
        json.key("polygons");
        polygons(c.polygons);
        json.endObject();
    }
    json.endArray();
    json.endObject();
}

void writeMaterial(JsonWriter& json, const HostScene& scene, int id, const SceneRunRecord* run) {
    std::vector<int> parts;  // the material, its shaders, its bump generators
    parts.push_back(id);
    for (int s : scene.children(id, ItemKind::Shader)) parts.push_back(s);
    for (int g : scene.children(id, ItemKind::BumpGenerator)) parts.push_back(g);
    auto prefix = [&](int part) { return part == id ? std::string() : scene.item(part).name + "."; };

    json.beginObject();
    json.key("name").value(scene.item(id).name);
    json.key("fullName").value(scene.fullName(id));
    json.key("parameters").beginObject();
    for (int part : parts)
        for (const auto& [path, value] : scene.item(part).parameters) {
            json.key(prefix(part) + path);
            if (value == "true" || value == "false") json.value(value == "true");
            else json.numberOrText(value);
        }
    json.endObject();
    json.key("shaders").beginArray();
    for (size_t i = 1; i < parts.size(); ++i) json.value(scene.item(parts[i]).name);
    json.endArray();
    json.key("connections").beginArray();
    for (int part : parts)
        for (const auto& c : scene.item(part).connections) {
            json.beginObject();
            json.key("port").value(prefix(part) + c.port);
            json.key("source").value(c.source);
            json.endObject();
        }
    json.endArray();
    if (run)
        if (auto maps = run->materialMaps.find(id); maps != run->materialMaps.end()) {
            json.key("maps").beginArray();
            for (const SceneMapRecord& m : maps->second) {
                json.beginObject();
                json.key("kind").value(m.kind);
                json.key("file").value(m.file);
                json.key("found").value(m.found);
                json.key(m.found ? "path" : "name").value(m.path);
                json.endObject();
            }
            json.endArray();
        }
    json.endObject();
}

}  // namespace

void writeSceneJson(JsonWriter& json, const HostScene& scene, const SceneRunRecord* run) {
    json.beginObject();
    json.key("format").value("qfobjimp scene");
    json.key("version").value(kSceneJsonVersion);
    if (run) {
        json.key("source").beginObject();
        json.key("file").value(run->sourceFile);
        json.key("size").value(run->sourceSize);
        json.endObject();
        writeOptions(json, *run);
        json.key("warnings").beginArray();
        for (const std::string& w : run->warnings) json.value(w);
        json.endArray();
    }

    json.key("objects").beginArray();
    for (int id : scene.children(scene.root(), ItemKind::Object)) writeObject(json, scene, id, run);
    json.endArray();

    json.key("materials").beginArray();
    for (int id : scene.children(scene.materialLibrary(), ItemKind::Material)) writeMaterial(json, scene, id, run);
    json.endArray();

    json.key("clips").beginArray();
    for (size_t i = 0; i < scene.itemCount(); ++i) {
        const Item& clip = scene.item(int(i));
        if (clip.kind != ItemKind::ImageClip || clip.deleted) continue;
        json.beginObject();
        json.key("name").value(clip.name);
        json.key("file").value(clip.file);
        json.endObject();
    }
    json.endArray();

    json.key("commands").beginArray();
    for (const auto& c : scene.commands()) json.value(c);
    json.endArray();
    json.key("log").beginArray();
    for (const auto& [line, severity] : scene.logLines()) {
        json.beginObject();
        json.key("text").value(line);
        json.key("severity").value(severity);
        json.endObject();
    }
    json.endArray();
    json.key("preferences").beginObject();
    for (const auto& [key, value] : scene.preferences()) {
        json.key(key);
        if (value == "true" || value == "false") json.value(value == "true");
        else json.numberOrText(value);
    }
    json.endObject();
    json.endObject();
}

}  // namespace XSI::standin
