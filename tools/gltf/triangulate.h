// Polygons cut into triangles for formats that hold triangles only.
#pragma once
#include <cstdint>
#include <vector>

namespace qf {

// Cuts the polygon whose corners lie at points (x, y, z per corner, in order) into triangles and
// appends them to triangles as corner numbers (0 to corners-1), three per triangle. A convex or
// concave polygon is cut along its inside (ear clipping in its plane); a polygon of more than
// kMaxClippedCorners corners, or one that folds over itself, is cut as a fan from its first corner.
void triangulatePolygon(const float* points, uint32_t corners, std::vector<uint32_t>& triangles);

constexpr uint32_t kMaxClippedCorners = 64;

}  // namespace qf
