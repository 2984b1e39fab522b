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

// -1 when some polygon of the mesh lacks a texture reference for a corner; otherwise the number
// of corners every polygon has, or 0 when they differ. The sizes can then be read from the
// texture counts, and with one size for all from neither.
int32_t texturedPolygonSize(const Mesh& mesh);

// Texture vertices (u, v, 0) of the polygon corners, in corner order, a part at a time; corners
// of polygons that have no texture references get (0, 0, 0).
class NodeValueReader {
public:
    // uniformSize: the size of every polygon, textured, for a mesh whose polygon sizes and
    // texture counts were both given back (see texturedPolygonSize).
    explicit NodeValueReader(const Mesh& mesh, int32_t uniformSize = 0);
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
    int32_t uniformSize_ = 0;
};

// The values of every corner at once.
void nodeValues(const Mesh& mesh, FixedArray<float>& values, int32_t uniformSize = 0);

// Whether the import makes a polygon cluster for the object: in cluster mode, for a chosen object
// with polygons, unless the file holds that one object only.
bool makesObjectCluster(const ObjImporter& importer, const ObjectInfo& object);

// Steps the progress bar reserves per mesh.
int stepsPerMesh(const ObjImporter& importer);

}  // namespace qf
