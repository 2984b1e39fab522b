#include "run/run_paths.h"

#include <cstring>
#include <filesystem>
#include <system_error>

#include "materials/paths.h"
#include "model/fixed_text.h"

namespace qf {

void setRunPaths(ObjImporter& importer, const char* objPath) {
    char path[kPathSize];
    copyBounded(path, objPath);
    splitDirectory(path, importer.objDirectory, sizeof importer.objDirectory);
    splitFileName(path, true, importer.baseName, sizeof importer.baseName);
    formatBounded(importer.options.materialPrefix, sizeof importer.options.materialPrefix, "_%s", importer.baseName);
}

bool namesADescriptor(const std::string& path) {
    return path.rfind("/proc/", 0) == 0 || path.rfind("/dev/fd/", 0) == 0;
}

std::string pathBehindLinks(const std::string& path) {
    namespace fs = std::filesystem;
    fs::path at(path);
    std::error_code ec;
    // As many links as the system itself follows before it gives up on a loop.
    for (int hops = 0; hops < 40 && !namesADescriptor(at.string()) && fs::is_symlink(at, ec); ++hops) {
        const fs::path next = fs::read_symlink(at, ec);
        if (ec) break;
        at = next.is_absolute() ? next : at.parent_path() / next;
    }
    return at.string();
}

}  // namespace qf
