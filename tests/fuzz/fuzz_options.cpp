// The options file over any bytes: what loads is always usable, and what is saved loads the same.
#include <unistd.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "model/fixed_text.h"
#include "model/import_options.h"
#include "run/config_file.h"

namespace {

namespace fs = std::filesystem;

bool usable(const qf::ImportOptions& o) {
    return std::isfinite(o.objectScale) && o.objectScale >= qf::kObjectScaleMin && o.objectScale <= qf::kObjectScaleMax &&
           std::isfinite(o.defaultBump) && o.defaultBump >= qf::kDefaultBumpMin && o.defaultBump <= qf::kDefaultBumpMax &&
           !o.importNormals && std::memchr(o.mapSearchPath, '\0', sizeof o.mapSearchPath) != nullptr;
}

bool same(const qf::ImportOptions& a, const qf::ImportOptions& b) {
    return a.replaceScene == b.replaceScene && a.importAsClusters == b.importAsClusters && a.flipZY == b.flipZY &&
           a.centerPivots == b.centerPivots && a.textureCoords == b.textureCoords &&
           a.objectScale == b.objectScale && a.importMaterials == b.importMaterials &&
           a.useMaterialPrefix == b.useMaterialPrefix && a.defaultBump == b.defaultBump &&
           a.forceBlackAmbient == b.forceBlackAmbient && std::strcmp(a.mapSearchPath, b.mapSearchPath) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path =
        (fs::temp_directory_path() / ("qffuzz-options-" + std::to_string(getpid()) + ".cfg")).string();
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data), std::streamsize(size));

    qf::ObjImporter first;
    qf::copyBounded(first.configPath, path.c_str());
    qf::loadOptions(first);
    if (!usable(first.options)) __builtin_trap();
    qf::saveOptions(first);

    qf::ObjImporter second;
    qf::copyBounded(second.configPath, path.c_str());
    if (!qf::loadOptions(second) || !same(first.options, second.options)) __builtin_trap();
    if (!second.warnings.empty()) __builtin_trap();  // a saved file holds nothing to warn about
    return 0;
}
