// The paths a run derives from the OBJ file's path.
#pragma once
#include "model/import_model.h"

namespace qf {

// objDirectory (up to the last separator), baseName (file name cut at its first point) and
// the material prefix "_" + baseName.
void setRunPaths(ObjImporter& importer, const char* objPath);

}  // namespace qf
