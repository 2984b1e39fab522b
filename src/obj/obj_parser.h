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

// Sizes the mesh of an object before its first polygon; nothing to do when already sized.
bool allocateMeshArrays(ObjImporter& importer, Mesh* mesh, const ObjectInfo& object);

// Reads the whole file into the prepared meshes; false on an error (errorText says which) or
// when cancelled (errorText stays empty).
bool parseObj(ObjImporter& importer, DialogLink& dialog);

enum class IndexKind { Vertex, TexCoord };

// The index of a face reference inside its object's mesh, or -1 when the reference is invalid.
// Global indices before the object's block are mapped to an equal entry of the block.
int32_t toLocalIndex(const ObjImporter& importer, IndexKind kind, int32_t global, int32_t base,
                     int32_t readSoFar, bool grouped, int32_t offset);

// A position the host can take: finite and within 1.0e8 on every axis.
bool isUsablePosition(const float* position);

}  // namespace qf
