// The stand-in host's scene as one JSON document, with what the import run adds beside it: the
// source file, the options, the warnings, the names objects had in the file and how each texture
// map was found.
#pragma once
#include <cstdint>
#include <string>
#include <unordered_map>
#include <utility>
#include <variant>
#include <vector>

#include "host/host_scene.h"
#include "host/json_writer.h"

namespace XSI::standin {

// Raised whenever the document's layout changes in a way its readers must know about.
constexpr int kSceneJsonVersion = 2;

struct SceneMapRecord {
    std::string kind;   // "Diffuse", "Bump", ... as the material builder reads the MTL statement
    std::string file;   // as written in the MTL file
    bool found = false;
    std::string path;   // the file found, or the name the clip was given when it was not found
};

// What a run knows beyond the scene. Items are the scene's item ids.
struct SceneRunRecord {
    std::string sourceFile;
    uint64_t sourceSize = 0;
    std::vector<std::pair<std::string, std::variant<bool, double, std::string>>> options;
    std::vector<std::string> warnings;
    std::unordered_map<int, std::string> objectSourceNames;
    // Per object: the source name of each of its clusters that assigns no material, in the order
    // of those clusters (host names may repeat where source names differ).
    std::unordered_map<int, std::vector<std::string>> clusterSourceNames;
    std::unordered_map<int, std::vector<SceneMapRecord>> materialMaps;
};

// Writes the scene (and the run's record when there is one) as one JSON object. Deterministic:
// the same scene gives the same bytes.
XSI_SDK_API void writeSceneJson(qf::JsonWriter& json, const HostScene& scene, const SceneRunRecord* run);

}  // namespace XSI::standin
