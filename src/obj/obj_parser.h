// The second pass over an OBJ file: fills one mesh per chosen object (or a single mesh with one
// cluster per object) from the counts of the pre-scan.
#pragma once
#include <cstdint>

#include "model/import_model.h"
#include "model/messages.h"

namespace qf {

// Prepares the meshes, parses the file, then reports ReadingDone or ReadingFailed.
void runParse(ObjImporter& importer, DialogLink& dialog);

// One NamedMesh per selected object, or the combined record and its mesh in cluster mode.
bool prepareMeshes(ObjImporter& importer);

// Sizes the polygon arrays of an object's mesh before its first polygon; nothing to do when
// already sized.
bool allocateMeshArrays(ObjImporter& importer, Mesh* mesh, const ObjectInfo& object);

// Reads the whole file into the prepared meshes; false on an error (errorText says which) or
// when cancelled (errorText stays empty). Each mesh ends with exactly the vertices and texture
// vertices its polygons use, numbered in file order, wherever in the file they were read.
bool parseObj(ObjImporter& importer, DialogLink& dialog);

// A position the host can take: finite and within 1.0e8 on every axis.
bool isUsablePosition(const float* position);

}  // namespace qf
