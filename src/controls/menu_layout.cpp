#include "controls/menu_layout.h"

#include <algorithm>

namespace qf {

FramePoint menuOpeningPoint(int mode, const FrameRect& ownerWindow, FramePoint cursor, FramePoint given) {
    if (mode == kMenuBelowOwner) return {ownerWindow.left, ownerWindow.bottom - 1};
    if (mode == kMenuAtCursor) return cursor;
    return given;
}

MenuGeometry layoutMenu(const MenuMetrics& m) {
    MenuGeometry g;
    g.itemHeight = m.textHeight + 2;
    g.separatorHeight = 1;
    g.margin = m.mode == kMenuBelowOwner ? 4 : 8;
    // Below its owner the list is one pixel narrower than the owner.
    if (m.mode == kMenuBelowOwner) g.width = std::max(m.ownerWidth - 2 * g.margin - 1, 0);
    if (m.hasTitle) {
        g.height += g.separatorHeight + g.itemHeight;
        g.width = std::max(g.width, m.titleWidth + 1);
    }
    for (const MenuEntrySize& e : m.entries) {
        if (e.separator) {
            g.height += g.separatorHeight;
        } else {
            g.height += g.itemHeight;
            g.width = std::max(g.width, e.textWidth + 1);
        }
    }
    int y = m.hasTitle ? g.itemHeight + g.separatorHeight + 1 : 1;
    for (const MenuEntrySize& e : m.entries) {
        g.separators.push_back(e.separator);
        if (e.separator) {
            g.itemRects.push_back({0, 0, 0, 0});
            y += g.separatorHeight;
        } else {
            g.itemRects.push_back({1, y, g.width + 2 * g.margin - 1, y + g.itemHeight});
            y += g.itemHeight;
        }
    }
    // Kept on the screen: to the left of the point, or above it (above the owner for a drop-down).
    FramePoint p = m.position;
    if (p.x + g.clientWidth() > m.screenWidth) p.x -= g.clientWidth();
    if (p.y + g.clientHeight() > m.screenHeight) {
        p.y -= g.clientHeight();
        if (m.mode == kMenuBelowOwner) p.y -= m.ownerHeight - 2;
    }
    g.window = {p.x, p.y, p.x + g.clientWidth(), p.y + g.clientHeight()};
    return g;
}

namespace {

bool insideShrunkClient(const MenuGeometry& g, FramePoint p) {
    return FrameRect{1, 1, g.clientWidth() - 1, g.clientHeight() - 1}.contains(p);
}

}  // namespace

int menuItemAt(const MenuGeometry& g, FramePoint p) {
    if (!insideShrunkClient(g, p)) return -1;
    for (size_t i = 0; i < g.itemRects.size(); ++i)
        if (!g.separators[i] && g.itemRects[i].contains(p)) return int(i);
    return -1;
}

int menuHotAfterMove(const MenuGeometry& g, int hot, FramePoint p) {
    if (!insideShrunkClient(g, p)) return -1;
    const int item = menuItemAt(g, p);
    return item >= 0 ? item : hot;
}

bool menuContains(const MenuGeometry& g, FramePoint p) {
    return FrameRect{0, 0, g.clientWidth(), g.clientHeight()}.contains(p);
}

SkinColor menuBackground(int mode, SkinColor face, SkinColor field) {
    if (mode == kMenuBelowOwner) return field;
    auto darker = [](int channel) { return (channel + 256 - 10) % 256; };
    return rgb(darker(redOf(face)), darker(greenOf(face)), darker(blueOf(face)));
}

}  // namespace qf
