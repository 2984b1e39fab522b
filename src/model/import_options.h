// The user's choices for one import run; the defaults are those of a first run.
#pragma once

namespace qf {

constexpr int kPrefixSize = 64;
constexpr int kPathSize = 260;

struct ImportOptions {
    bool replaceScene = true;
    bool importAsClusters = false;
    char clusterPrefix[kPrefixSize] = {};
    bool flipZY = false;
    bool centerPivots = true;
    bool textureCoords = true;
    bool importNormals = false;  // kept in the file, never restored: normals are not imported
    float objectScale = 1.0f;
    bool importMaterials = true;
    bool forceBlackAmbient = false;
    bool useMaterialPrefix = false;
    char materialPrefix[kPrefixSize] = {};
    float defaultBump = 0.2f;
    char mapSearchPath[kPathSize] = {};
};

// Spinner ranges of the options dialog.
constexpr float kObjectScaleMin = 0.001f, kObjectScaleMax = 10000.0f;
constexpr float kDefaultBumpMin = -100.0f, kDefaultBumpMax = 100.0f;

// Whether a number lies in its range; NaN never does.
constexpr bool inRange(float value, float min, float max) { return value >= min && value <= max; }

}  // namespace qf
