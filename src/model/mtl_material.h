// Records of the materials read from MTL libraries.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qf {

enum class MapKind : int32_t {
    Unknown = -1,
    Ambient = 0,
    Diffuse = 1,
    Specular = 2,
    Emission = 5,
    Opacity = 6,
    Bump = 8,
    Reflection = 9,
};

// A map's name is a path: it holds as much as every path buffer of the lookup does.
constexpr int kMapFileNameSize = 260;
// Material names are cut to this field in the MTL reader and in the OBJ parse pass alike, so a
// long name still finds its record.
constexpr size_t kMaterialNameSize = 128;

struct MtlMap {
    char fileName[kMapFileNameSize] = {};
    MapKind kind = MapKind::Unknown;
    float bumpFactor = 1.0f;
    float offset[3] = {0, 0, 0};
    float scale[3] = {1, 1, 1};
};

struct MtlMaterial {
    std::string name;
    bool used = false;
    float ambient[3] = {0.55f, 0.55f, 0.55f};
    float diffuse[3] = {0.55f, 0.55f, 0.55f};
    float specular[3] = {0.9f, 0.9f, 0.9f};
    float opacity = 1.0f;
    float shininess = 0.3f;
    float refractionIndex = 1.5f;
    std::vector<std::unique_ptr<MtlMap>> maps;
    // The folder of the library that defined it: its maps are named from there.
    std::string libraryFolder;
};

}  // namespace qf
