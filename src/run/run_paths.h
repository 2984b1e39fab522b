// The paths a run derives from the OBJ file's path.
#pragma once
#include <string>

#include "model/import_model.h"

namespace qf {

// objDirectory (up to the last separator), baseName (file name cut at its first point) and
// the material prefix "_" + baseName.
void setRunPaths(ObjImporter& importer, const char* objPath);

// Whether the path names one of the process's open files (/dev/stdout leads there): what it
// writes goes to that open file, wherever it is, and no file may take its place.
bool namesADescriptor(const std::string& path);

// The path at the end of path's symbolic links, whether that file exists or not: a file written
// in place of a link replaces what the link names, not the link. Links are followed up to an
// open file's name (see namesADescriptor). Any other path as it is.
std::string pathBehindLinks(const std::string& path);

}  // namespace qf
