// The stand-in host's window-free parts: its command line, the file browser's filter in the form
// the system's dialog takes, what the scene view lists, and the wireframe projection it draws.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "host/host_scene.h"

namespace qfhost {

struct HostOptions {
    std::vector<std::string> plugins;  // libraries to load; none given: qfObjImp.dll beside the host
    bool scripted = false;             // the file browser answers from answers, never asks
    std::vector<std::string> answers;  // in order; the empty text is a cancel
    std::vector<std::string> picks;    // menu items to pick at start, by label, in order
    std::string scenePath;             // where the scene goes as JSON, after each pick and at exit
    bool quit = false;                 // close once the picks are done
    std::string tourFolder;            // walk the dialogs of the run and save a picture of each
    bool help = false;
    std::string error;
};

HostOptions parseHostArguments(int argc, const char* const* argv);
extern const char* const kHostUsage;

// "name|pattern|name|pattern||" as the host's file browser takes it, turned into the zero-separated
// list of the system's open-file dialog (ended by two zeros).
std::string openDialogFilter(const std::string& hostFilter);

struct ObjectRow {
    std::string name;
    int64_t polygons = 0;
    int64_t vertices = 0;
};
struct MaterialRow {
    std::string name;
    std::string shader;  // the first shader
    int connections = 0;  // clips and generators connected to its shaders
};
struct ClipRow {
    std::string name;
    std::string file;
};
struct SceneRows {
    std::vector<ObjectRow> objects;
    std::vector<MaterialRow> materials;
    std::vector<ClipRow> clips;
    std::vector<std::string> log;
};
SceneRows sceneRows(const XSI::standin::HostScene& scene);

// The meshes of the scene drawn as wires: positions seen from a fixed point (turned 30 degrees
// round the vertical axis and looked at 20 degrees from above), projected flat and fitted to a
// view of the given size with a margin. Each segment carries the index of its object.
struct WireSegment {
    float x0, y0, x1, y1;
    int object;
};
struct Wireframe {
    std::vector<WireSegment> segments;
    bool truncated = false;  // more edges than drawn
};
Wireframe projectWireframe(const XSI::standin::HostScene& scene, int width, int height, size_t maxSegments = 400000);

}  // namespace qfhost
