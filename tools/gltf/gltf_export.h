// The scene of a finished run as glTF 2.0, for a pipeline to take in and a person to look at:
// meshes with positions and texture coordinates, the Phong materials as metallic-roughness
// materials with their base-colour, bump (as normal texture) and opacity maps.
#pragma once
#include <atomic>
#include <ostream>
#include <string>
#include <vector>

#include "model/import_model.h"

namespace qf {

struct GltfTarget {
    // GLB: one file with the buffer and every texture inside. Otherwise a .gltf whose buffer is
    // inside as a data URI and whose PNG and JPEG textures are referenced relative to folder.
    bool binary = false;
    std::string folder;
    // Writing stops with an error once it is set.
    const std::atomic<bool>* cancel = nullptr;
};

// Writes the stand-in scene of the run. notes gets one line for each thing that could not be
// carried over as it was (a map glTF has no place for, a texture converted or left out); false
// with error when the file could not be made.
bool writeGltf(std::ostream& out, const ObjImporter& importer, const std::string& objPath, const GltfTarget& target,
               std::vector<std::string>& notes, std::string& error);

}  // namespace qf
