// The outline, strips, hit areas and placement of the skinned dialog frame, as plain arithmetic.
#pragma once
#include <vector>

namespace qf {

struct FramePoint {
    int x, y;
    bool operator==(const FramePoint&) const = default;
};
struct FrameRect {
    int left, top, right, bottom;
    bool contains(FramePoint p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
    bool operator==(const FrameRect&) const = default;
};

constexpr int kDefaultTabWidth = 102;

// The window region of a dialog of client size w x h, as the pieces that are joined.
struct FrameOutline {
    FrameRect body;                   // rounded rectangle, 2 x 2 corners
    std::vector<FramePoint> tab;      // caption tab
    std::vector<FramePoint> ridge;    // caption ridge
    std::vector<FramePoint> logoTab;  // bottom logo tab; empty without logo
    FramePoint offset;                // moves the whole region (thick-framed windows)
};
FrameOutline frameOutline(int w, int h, int tabWidth, bool withLogo, int frameOffsetX = 0, int frameOffsetY = 0);

// The right end M of the caption ridge's top edge.
int ridgeEnd(int w, int tabWidth);
// The top of the bottom strip.
int bottomStripTop(int h, bool withLogo);

// The part of the client area that is not frame: a click outside it drags the dialog.
FrameRect dragInterior(int w, int h, bool withLogo);

enum class ResizeHit { None, Caption, BottomRight, Right, Bottom };
// The resize hit of a resizable dialog; the caption is tested only when withCaption.
ResizeHit resizeHit(int w, int h, bool withLogo, FramePoint p, bool withCaption);

// Top-left of a window of the given size centred on reference and kept inside bounds.
FramePoint centredPosition(const FrameRect& reference, const FrameRect& bounds, int width, int height);

// The size grip of a resizable dialog of client size w x h: the triangle with its right angle at
// the bottom-right, 14 pixels a side, just above the bottom strip's lowest lines.
bool inSizeGrip(int w, int h, FramePoint p);

}  // namespace qf
