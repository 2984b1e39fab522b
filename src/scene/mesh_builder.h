// Host polygon meshes from the filled import model: geometry, texture coordinates, pivots,
// clusters of the objects and the material assignments.
#pragma once
#include <vector>

#include "model/import_model.h"
#include "model/messages.h"

namespace qf {

// Builds every mesh of importer.meshes. A mesh the host refuses gets a log line and a warning,
// and the others are built all the same; false when that happened, or when the run is cancelled
// (the meshes built so far stay).
bool buildMeshes(ObjImporter& importer, DialogLink& progress);

// The position in hostMaterials of each record's host material (the first whose name is the
// record's, ignoring case); the size of hostMaterials for a record that has none.
std::vector<size_t> hostMaterialIndices(const ObjImporter& importer);

// Texture vertices (u, v, 0) of every polygon corner, in corner order; corners of polygons that
// have no texture references get (0, 0, 0).
void nodeValues(const Mesh& mesh, FixedArray<float>& values);

// Steps the progress bar reserves per mesh.
int stepsPerMesh(const ObjImporter& importer);

}  // namespace qf
