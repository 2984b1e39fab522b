#include "gltf/triangulate.h"

#include <cmath>

namespace qf {

namespace {

void fan(uint32_t first, const std::vector<uint32_t>& corners, std::vector<uint32_t>& triangles) {
    for (size_t i = first + 1; i + 1 < corners.size(); ++i)
        triangles.insert(triangles.end(), {corners[first], corners[i], corners[i + 1]});
}

double cross(double ax, double ay, double bx, double by, double cx, double cy) {
    return (bx - ax) * (cy - ay) - (by - ay) * (cx - ax);
}

}  // namespace

void triangulatePolygon(const float* points, uint32_t count, std::vector<uint32_t>& triangles) {
    if (count < 3) return;
    std::vector<uint32_t> corners(count);
    for (uint32_t i = 0; i < count; ++i) corners[i] = i;
    if (count == 3 || count > kMaxClippedCorners) {
        fan(0, corners, triangles);
        return;
    }
    // The polygon's plane by Newell's method; its points are seen along the normal's largest axis.
    double n[3] = {0, 0, 0};
    for (uint32_t i = 0; i < count; ++i) {
        const float* a = points + 3 * i;
        const float* b = points + 3 * ((i + 1) % count);
        n[0] += (double(a[1]) - b[1]) * (double(a[2]) + b[2]);
        n[1] += (double(a[2]) - b[2]) * (double(a[0]) + b[0]);
        n[2] += (double(a[0]) - b[0]) * (double(a[1]) + b[1]);
    }
    int drop = 2;
    if (std::fabs(n[0]) >= std::fabs(n[1]) && std::fabs(n[0]) >= std::fabs(n[2])) drop = 0;
    else if (std::fabs(n[1]) >= std::fabs(n[2])) drop = 1;
    const int u = drop == 0 ? 1 : 0, v = drop == 2 ? 1 : 2;
    // Seen along the normal the polygon runs counter-clockwise, unless the dropped axis points away.
    // Newell's y component is the area in the (z, x) plane: the (x, z) view kept here runs the
    // other way round.
    const double orientation = (n[drop] >= 0 ? 1.0 : -1.0) * (drop == 1 ? -1.0 : 1.0);
    auto x = [&](uint32_t c) { return double(points[3 * c + u]); };
    auto y = [&](uint32_t c) { return double(points[3 * c + v]); };

    // Ear clipping: walk round the polygon, cutting off every corner whose triangle holds no other
    // corner; a full round without a cut means the rest is no simple polygon.
    size_t i = 0, misses = 0;
    while (corners.size() > 3) {
        const size_t size = corners.size();
        if (i >= size) i = 0;
        const uint32_t a = corners[(i + size - 1) % size], b = corners[i], c = corners[(i + 1) % size];
        bool ear = orientation * cross(x(a), y(a), x(b), y(b), x(c), y(c)) > 0;  // not reflex, not flat
        for (size_t k = 0; k < size && ear; ++k) {
            const uint32_t p = corners[k];
            if (p == a || p == b || p == c) continue;
            const double d1 = orientation * cross(x(a), y(a), x(b), y(b), x(p), y(p));
            const double d2 = orientation * cross(x(b), y(b), x(c), y(c), x(p), y(p));
            const double d3 = orientation * cross(x(c), y(c), x(a), y(a), x(p), y(p));
            ear = !(d1 >= 0 && d2 >= 0 && d3 >= 0);
        }
        if (ear) {
            triangles.insert(triangles.end(), {a, b, c});
            corners.erase(corners.begin() + std::ptrdiff_t(i));
            if (i > 0) --i;  // the corner before may have become an ear
            misses = 0;
        } else if (++misses >= size) {
            fan(0, corners, triangles);
            return;
        } else {
            ++i;
        }
    }
    triangles.insert(triangles.end(), {corners[0], corners[1], corners[2]});
}

}  // namespace qf
