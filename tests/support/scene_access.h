// Reading the stand-in host's scene in tests.
#pragma once
#include <string>
#include <vector>

#include "host/host_scene.h"

namespace qf::test {

inline XSI::standin::HostScene& hostScene() { return XSI::standin::HostScene::instance(); }

// The object of that name under the scene root, or null.
inline XSI::standin::Item* sceneObject(const std::string& name) {
    auto& scene = hostScene();
    for (int id : scene.children(scene.root(), XSI::standin::ItemKind::Object))
        if (scene.item(id).name == name) return &scene.item(id);
    return nullptr;
}

inline std::vector<std::string> sceneObjectNames() {
    auto& scene = hostScene();
    std::vector<std::string> names;
    for (int id : scene.children(scene.root(), XSI::standin::ItemKind::Object)) names.push_back(scene.item(id).name);
    return names;
}

inline int sceneMaterial(const std::string& name) {
    auto& scene = hostScene();
    for (int id : scene.children(scene.materialLibrary(), XSI::standin::ItemKind::Material))
        if (scene.item(id).name == name) return id;
    return -1;
}

// A parameter of a material, its shader ("Phong.shiny") or its generator, as text; empty if unset.
inline std::string materialParameter(const std::string& material, const std::string& path) {
    auto& scene = hostScene();
    const int id = sceneMaterial(material);
    if (id < 0) return "";
    std::string rest;
    const int owner = scene.resolve(scene.fullName(id) + "." + path, rest);
    if (owner < 0) return "";
    for (const auto& p : scene.item(owner).parameters)
        if (p.first == rest) return p.second;
    return "";
}

// Whether a command starting with prefix was run; separators of paths do not count.
inline bool hasCommand(const std::string& prefix) {
    auto slashed = [](std::string text) {
        for (char& c : text)
            if (c == '\\') c = '/';
        return text;
    };
    const std::string wanted = slashed(prefix);
    for (const auto& c : hostScene().commands())
        if (slashed(c).rfind(wanted, 0) == 0) return true;
    return false;
}

}  // namespace qf::test
