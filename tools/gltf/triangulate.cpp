#include "gltf/triangulate.h"

#include <cmath>

namespace qf {

namespace {

double cross(double ax, double ay, double bx, double by, double cx, double cy) {
    return (bx - ax) * (cy - ay) - (by - ay) * (cx - ax);
}

// The corners still to be cut, as a ring in the polygon's order, and what is known of them. Kept
// from polygon to polygon so that cutting one allocates nothing once the longest has been seen.
struct Ring {
    std::vector<uint32_t> next, prev;
    std::vector<char> reflex, listed;
    std::vector<uint32_t> candidates;  // reflex corners, and some that no longer are (stale)
    size_t stale = 0;
    uint32_t first = 0;  // the lowest corner number left: where the walk and the fan begin
    uint32_t size = 0;

    void reset(uint32_t count) {
        next.resize(count);
        prev.resize(count);
        for (uint32_t i = 0; i < count; ++i) {
            next[i] = i + 1 == count ? 0 : i + 1;
            prev[i] = i == 0 ? count - 1 : i - 1;
        }
        reflex.assign(count, 0);
        listed.assign(count, 0);
        candidates.clear();
        stale = 0;
        first = 0;
        size = count;
    }
    void remove(uint32_t corner) {
        next[prev[corner]] = next[corner];
        prev[next[corner]] = prev[corner];
        if (corner == first) first = next[corner];
        --size;
    }
    void fan(std::vector<uint32_t>& triangles) const {
        for (uint32_t c = next[first]; next[c] != first; c = next[c]) triangles.insert(triangles.end(), {first, c, next[c]});
    }
};

}  // namespace

void triangulatePolygon(const float* points, uint32_t count, std::vector<uint32_t>& triangles) {
    detail::triangulatePolygon(points, count, triangles, kClipWorkPerCorner);
}

void detail::triangulatePolygon(const float* points, uint32_t count, std::vector<uint32_t>& triangles,
                                uint64_t workPerCorner) {
    if (count < 3) return;
    if (count == 3) {
        triangles.insert(triangles.end(), {0, 1, 2});
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
    auto turn = [&](uint32_t a, uint32_t b, uint32_t p) { return orientation * cross(x(a), y(a), x(b), y(b), x(p), y(p)); };

    // The commonest polygon after the triangle, a convex quad, cut as the walk below would cut it.
    if (count == 4 && turn(3, 0, 1) > 0 && turn(0, 1, 2) > 0 && turn(1, 2, 3) > 0 && turn(2, 3, 0) > 0) {
        triangles.insert(triangles.end(), {3, 0, 1, 1, 2, 3});
        return;
    }
    thread_local Ring ring;
    ring.reset(count);
    auto& reflex = ring.reflex;
    auto& listed = ring.listed;
    auto& candidates = ring.candidates;
    auto& stale = ring.stale;
    // Only a corner that does not turn the polygon's way (reflex or flat) can lie in an ear of a
    // simple polygon; those are the corners an ear is checked against. A corner that turns the
    // polygon's way once its neighbour is cut stays listed until the list is half such corners.
    auto judge = [&](uint32_t corner) {
        const bool was = reflex[corner];
        reflex[corner] = turn(ring.prev[corner], corner, ring.next[corner]) <= 0;
        if (reflex[corner] && !listed[corner]) {
            listed[corner] = 1;
            candidates.push_back(corner);
        } else if (was && !reflex[corner]) {
            ++stale;
        }
    };
    for (uint32_t i = 0; i < count; ++i) judge(i);

    // Ear clipping: walk round the polygon, cutting off every corner whose triangle holds no
    // candidate; a full round without a cut means the rest is no simple polygon. The work is
    // bounded by the corners, so that a polygon of many reflex corners cannot stall the export:
    // what is left when it runs out is cut as a fan.
    const uint64_t limit = uint64_t(count) * workPerCorner;
    uint64_t spent = 0;
    uint32_t b = ring.first, misses = 0;
    while (ring.size > 3) {
        const uint32_t a = ring.prev[b], c = ring.next[b];
        bool ear = !reflex[b];
        for (size_t k = 0; k < candidates.size() && ear && spent < limit; ++k, ++spent) {
            const uint32_t p = candidates[k];
            if (!reflex[p] || p == a || p == c) continue;
            ear = !(turn(a, b, p) >= 0 && turn(b, c, p) >= 0 && turn(c, a, p) >= 0);
        }
        if (++spent > limit) {
            ring.fan(triangles);
            return;
        }
        if (ear) {
            triangles.insert(triangles.end(), {a, b, c});
            const bool wasFirst = b == ring.first;
            ring.remove(b);
            judge(a);
            judge(c);
            if (2 * stale > candidates.size()) {
                size_t kept = 0;
                for (uint32_t p : candidates) {
                    if (reflex[p]) candidates[kept++] = p;
                    else listed[p] = 0;
                }
                candidates.resize(kept);
                stale = 0;
            }
            b = wasFirst ? c : a;  // the corner before may have become an ear
            misses = 0;
        } else if (++misses >= ring.size) {
            ring.fan(triangles);
            return;
        } else {
            b = c;
        }
    }
    const uint32_t first = ring.first;
    triangles.insert(triangles.end(), {first, ring.next[first], ring.next[ring.next[first]]});
}

}  // namespace qf
