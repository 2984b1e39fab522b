#include "controls/frame_geometry.h"

namespace qf {

int ridgeEnd(int w, int tabWidth) { return w - (w - tabWidth - 15) / 2; }

int bottomStripTop(int h, bool withLogo) { return withLogo ? h - 18 : h - 12; }

FrameOutline frameOutline(int w, int h, int t, bool withLogo, int frameOffsetX, int frameOffsetY) {
    FrameOutline o;
    o.body = {0, 15, w, withLogo ? h - 5 : h + 1};
    o.tab = {{0, 16}, {0, 1}, {1, 0}, {t, 0}, {t + 15, 16}};
    const int m = ridgeEnd(w, t);
    o.ridge = {{t + 7, 8}, {m, 8}, {m + 7, 15}, {t + 7, 15}};
    if (withLogo)
        o.logoTab = {{w - 118, h - 9}, {w - 26, h - 9}, {w - 26, h - 6}, {w - 32, h}, {w - 113, h}, {w - 118, h - 6}};
    o.offset = {frameOffsetX, frameOffsetY};
    return o;
}

FrameRect dragInterior(int w, int h, bool withLogo) {
    FrameRect r{7, 7, w - 7, h - 7};
    r.top += 15;
    r.bottom -= withLogo ? 17 : 11;
    return r;
}

ResizeHit resizeHit(int w, int h, bool withLogo, FramePoint p, bool withCaption) {
    if (withCaption && p.y < 21) return ResizeHit::Caption;
    const int extra = withLogo ? 0 : 6;
    if (FrameRect{w - 13, h - 16, w, h + extra}.contains(p)) return ResizeHit::BottomRight;
    if (FrameRect{w - 6, 12, w, h}.contains(p)) return ResizeHit::Right;
    if (FrameRect{0, h - 17, w, h + extra}.contains(p)) return ResizeHit::Bottom;
    return ResizeHit::None;
}

FramePoint centredPosition(const FrameRect& reference, const FrameRect& bounds, int width, int height) {
    FramePoint p{(reference.left + reference.right) / 2 - width / 2, (reference.top + reference.bottom) / 2 - height / 2};
    if (p.x + width > bounds.right) p.x = bounds.right - width;
    if (p.x < bounds.left) p.x = bounds.left;
    if (p.y + height > bounds.bottom) p.y = bounds.bottom - height;
    if (p.y < bounds.top) p.y = bounds.top;
    return p;
}

bool inSizeGrip(int w, int h, FramePoint p) {
    // Corners (w - 15, h - 6), (w - 1, h - 20) and (w - 1, h - 6).
    return p.x <= w - 1 && p.y <= h - 6 && p.x + p.y >= w + h - 21;
}

}  // namespace qf
