// Polygons cut into triangles for formats that hold triangles only.
#pragma once
#include <cstdint>
#include <vector>

namespace qf {

// Cuts the polygon whose corners lie at points (x, y, z per corner, in order) into triangles and
// appends them to triangles as corner numbers (0 to corners-1), three per triangle. A convex or
// concave polygon is cut along its inside (ear clipping in its plane). A polygon that folds over
// itself is cut as a fan from its first corner, and so is what is left of one whose reflex corners
// would cost more than kClipWorkPerCorner tests per corner.
void triangulatePolygon(const float* points, uint32_t corners, std::vector<uint32_t>& triangles);

constexpr uint64_t kClipWorkPerCorner = 2048;

namespace detail {
// The same with another bound on the work, so that tests reach it with small polygons.
void triangulatePolygon(const float* points, uint32_t corners, std::vector<uint32_t>& triangles,
                        uint64_t workPerCorner);
}  // namespace detail

}  // namespace qf
