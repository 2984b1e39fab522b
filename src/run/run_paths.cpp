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
    // Through the program's code page both ways: on Windows the library's own narrow spelling of
    // a path is another one, which names another file.
    fs::path at = fileSystemPath(path);
    std::string spelled = path;
    std::error_code ec;
    // As many links as the system itself follows before it gives up on a loop.
    for (int hops = 0; hops < 40 && !namesADescriptor(spelled) && fs::is_symlink(at, ec); ++hops) {
        const fs::path next = fs::read_symlink(at, ec);
        if (ec) break;
        at = next.is_absolute() ? next : at.parent_path() / next;
        if (!narrowName(at, spelled)) break;  // no narrow call could open it: the last one spelled
    }
    return spelled;
}

}  // namespace qf
