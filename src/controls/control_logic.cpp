#include "controls/control_logic.h"

#include <algorithm>

namespace qf {

bool pushMouseMove(PushState& s, bool inside) {
    if (inside == s.hover) return false;
    s.hover = inside;
    return true;
}

void pushPress(PushState& s, bool inside) {
    s.pressed = true;
    s.hover = inside;
}

ReleaseNotice pushRelease(PushState& s, bool inside) {
    const bool clicked = s.pressed && inside;
    s.pressed = false;
    return clicked ? ReleaseNotice::Clicked : ReleaseNotice::ReleasedOutside;
}

bool pushShownPushed(const PushState& s, bool enabled) { return enabled && s.pressed && s.hover; }

bool checkRelease(CheckState& s, bool inside) {
    s.pressed = false;
    if (!inside) return false;
    s.checked = !s.checked;
    return true;
}

FrameRect checkSquareRect(const FrameRect& c, bool textOnLeft, CheckAlign align) {
    FrameRect s{};
    s.left = textOnLeft ? c.right - kCheckSquareSize : c.left;
    switch (align) {
    case CheckAlign::Top: s.top = c.top + 1; break;
    case CheckAlign::Bottom: s.top = c.bottom - 16; break;
    case CheckAlign::Centre: s.top = std::max(c.top, ((c.bottom - c.top - kCheckSquareSize) >> 1) - 1); break;
    }
    s.right = s.left + kCheckSquareSize;
    s.bottom = s.top + kCheckSquareSize;
    return s;
}

FrameRect checkLabelRect(const FrameRect& c, bool textOnLeft, CheckAlign align, int textHeight) {
    FrameRect r = c;
    if (textOnLeft) r.right -= 18;
    else r.left += 18;
    if (align != CheckAlign::Top) {
        r.top = align == CheckAlign::Bottom ? c.bottom - textHeight - 3 : ((c.bottom - textHeight) >> 1) - 1;
        r.bottom = r.top + textHeight;
    }
    return r;
}

GroupLayout groupLayout(int width, int height, int titleWidth, int titleHeight, int xHeight, bool hasTitle) {
    GroupLayout g{};
    g.titleBand = {5, 0, width - 5, titleHeight};
    g.outline = {0, xHeight / 2, width, height};
    if (hasTitle) {
        const int left = width / 2 - titleWidth / 2;
        g.title = {left, 0, left + titleWidth, titleHeight};
    }
    return g;
}

float clampFraction(const float* value) {
    float f = value ? *value : 0.0f;
    if (!(f >= 0.0f)) f = 0.0f;  // also NaN
    return f > 1.0f ? 1.0f : f;
}

int filledWidth(int barWidth, float fraction) {
    if (barWidth <= 0) return 0;
    return static_cast<int>(static_cast<float>(barWidth) * fraction);
}

}  // namespace qf
