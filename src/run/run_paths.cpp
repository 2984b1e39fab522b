#include "run/run_paths.h"

#include <cstring>

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

}  // namespace qf
