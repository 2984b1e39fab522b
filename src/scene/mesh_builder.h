// Host polygon meshes from the filled import model: geometry, texture coordinates, pivots,
// clusters of the objects and the material assignments.
#pragma once
#include <vector>

#include "model/import_model.h"
#include "model/messages.h"

namespace qf {

// Builds every mesh of importer.meshes. A mesh the host refuses gets a log line and a warning,
// and the others are built all the same; false when that happened, or when the run is cancelled
// (the meshes built so far stay). The arrays of each mesh are given back as the host takes their
// content (its counts stay).
bool buildMeshes(ObjImporter& importer, DialogLink& progress);

// The position in hostMaterials of each record's host material (the first whose name is the
// record's, ignoring case); the size of hostMaterials for a record that has none.
std::vector<size_t> hostMaterialIndices(const ObjImporter& importer);

// Whether every polygon of the mesh has a texture reference for each of its corners; its sizes
// can then be read from its texture counts.
bool texturesCoverPolygons(const Mesh& mesh);

// Texture vertices (u, v, 0) of the polygon corners, in corner order, a part at a time; corners
// of polygons that have no texture references get (0, 0, 0).
class NodeValueReader {
public:
    explicit NodeValueReader(const Mesh& mesh);
    // Writes the values of the next corners (at most this many) to out; returns how many.
    size_t read(float* out, size_t corners);
    // Polygons and texture indices read whole so far.
    int32_t polygonsRead() const { return polygon_; }
    size_t textureIndicesRead() const { return texture_; }

private:
    const Mesh& mesh_;
    int32_t polygon_ = 0;
    int32_t cornerInPolygon_ = 0;
    size_t texture_ = 0;
};

// The values of every corner at once.
void nodeValues(const Mesh& mesh, FixedArray<float>& values);

// Steps the progress bar reserves per mesh.
int stepsPerMesh(const ObjImporter& importer);

}  // namespace qf
