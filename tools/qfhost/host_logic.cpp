#include "qfhost/host_logic.h"

#include <algorithm>
#include <cmath>

namespace qfhost {

using XSI::standin::HostScene;
using XSI::standin::ItemKind;

const char* const kHostUsage =
    "usage: qfhost [--plugin DLL]... [--answer FILE.obj|-]... [--pick LABEL]... [--scene OUT.json]\n"
    "              [--quit] [--tour FOLDER]\n"
    "The stand-in host: loads plug-in libraries as the host application does and offers their\n"
    "menu items under File > Import.\n"
    "  --plugin DLL      a plug-in to load (default: qfObjImp.dll beside qfhost.exe)\n"
    "  --answer FILE     answers the next file browser with FILE (- cancels); with any answer\n"
    "                    given, the file browser never asks\n"
    "  --pick LABEL      picks the menu item LABEL once the window is up (repeatable)\n"
    "  --scene OUT.json  writes the scene as JSON after every pick and at exit\n"
    "  --quit            closes the host once the picks are done\n"
    "  --tour FOLDER     walks the dialogs of the run like a user and saves a picture of each\n";

HostOptions parseHostArguments(int argc, const char* const* argv) {
    HostOptions o;
    for (int i = 1; i < argc && o.error.empty(); ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) {
                o.error = arg + " needs a value";
                return {};
            }
            return argv[++i];
        };
        if (arg == "--plugin") o.plugins.push_back(value());
        else if (arg == "--answer") {
            const std::string answer = value();
            o.answers.push_back(answer == "-" ? std::string() : answer);
            o.scripted = true;
        } else if (arg == "--pick") o.picks.push_back(value());
        else if (arg == "--scene") o.scenePath = value();
        else if (arg == "--tour") o.tourFolder = value();
        else if (arg == "--quit") o.quit = true;
        else if (arg == "--help" || arg == "-h") o.help = true;
        else o.error = "unknown argument " + arg;
    }
    return o;
}

std::string openDialogFilter(const std::string& hostFilter) {
    std::string filter = hostFilter;
    std::replace(filter.begin(), filter.end(), '|', '\0');
    // The list ends with two zeros, whatever the host's text ended with.
    while (!filter.empty() && filter.back() == '\0') filter.pop_back();
    filter.append(2, '\0');
    return filter;
}

SceneRows sceneRows(const HostScene& scene) {
    SceneRows rows;
    for (int id : scene.children(scene.root(), ItemKind::Object)) {
        const auto& object = scene.item(id);
        rows.objects.push_back({object.name, int64_t(object.polygonSizes.size()), int64_t(object.positions.size() / 3)});
    }
    for (int id : scene.children(scene.materialLibrary(), ItemKind::Material)) {
        MaterialRow row;
        row.name = scene.item(id).name;
        row.connections = int(scene.item(id).connections.size());
        for (ItemKind kind : {ItemKind::Shader, ItemKind::BumpGenerator})
            for (int child : scene.children(id, kind)) {
                if (row.shader.empty()) row.shader = scene.item(child).name;
                row.connections += int(scene.item(child).connections.size());
            }
        rows.materials.push_back(row);
    }
    for (int id : scene.children(-1, ItemKind::ImageClip)) rows.clips.push_back({scene.item(id).name, scene.item(id).file});
    for (const auto& [line, severity] : scene.logLines()) rows.log.push_back(line);
    return rows;
}

Wireframe projectWireframe(const HostScene& scene, int width, int height, size_t maxSegments) {
    constexpr double kPi = 3.14159265358979323846;
    const double yaw = 30.0 * kPi / 180.0, pitch = 20.0 * kPi / 180.0;
    const double cy = std::cos(yaw), sy = std::sin(yaw), cp = std::cos(pitch), sp = std::sin(pitch);
    auto project = [&](const double* p, double& u, double& v) {
        const double x = p[0] * cy - p[2] * sy;
        const double depth = p[0] * sy + p[2] * cy;
        u = x;
        v = -(p[1] * cp + depth * sp);
    };

    struct Edge {
        double u0, v0, u1, v1;
        int object;
    };
    std::vector<Edge> edges;
    Wireframe wire;
    double minU = 1e300, minV = 1e300, maxU = -1e300, maxV = -1e300;
    const auto objects = scene.children(scene.root(), ItemKind::Object);
    for (size_t o = 0; o < objects.size(); ++o) {
        const auto& object = scene.item(objects[o]);
        const size_t vertexCount = object.positions.size() / 3;
        size_t at = 0;
        for (long size : object.polygonSizes) {
            for (long k = 0; k < size; ++k) {
                const long a = object.polygonIndices[at + size_t(k)];
                const long b = object.polygonIndices[at + size_t((k + 1) % size)];
                if (a < 0 || b < 0 || size_t(a) >= vertexCount || size_t(b) >= vertexCount) continue;
                if (edges.size() >= maxSegments) {
                    wire.truncated = true;
                    break;
                }
                Edge e{0, 0, 0, 0, int(o)};
                project(&object.positions[size_t(a) * 3], e.u0, e.v0);
                project(&object.positions[size_t(b) * 3], e.u1, e.v1);
                minU = std::min({minU, e.u0, e.u1});
                maxU = std::max({maxU, e.u0, e.u1});
                minV = std::min({minV, e.v0, e.v1});
                maxV = std::max({maxV, e.v0, e.v1});
                edges.push_back(e);
            }
            at += size_t(std::max(size, 0L));
        }
    }
    if (edges.empty()) return wire;
    const double margin = std::max(4.0, std::min(width, height) * 0.06);
    const double spanU = maxU - minU, spanV = maxV - minV;
    const double roomU = std::max(1.0, width - 2 * margin), roomV = std::max(1.0, height - 2 * margin);
    double scale = 1.0;
    if (spanU > 0 || spanV > 0) scale = std::min(spanU > 0 ? roomU / spanU : 1e300, spanV > 0 ? roomV / spanV : 1e300);
    const double offsetU = width / 2.0 - (minU + maxU) / 2.0 * scale;
    const double offsetV = height / 2.0 - (minV + maxV) / 2.0 * scale;
    wire.segments.reserve(edges.size());
    for (const Edge& e : edges)
        wire.segments.push_back({float(e.u0 * scale + offsetU), float(e.v0 * scale + offsetV),
                                 float(e.u1 * scale + offsetU), float(e.v1 * scale + offsetV), e.object});
    return wire;
}

}  // namespace qfhost
