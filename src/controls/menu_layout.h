// The popup menu's geometry without a window: where it opens, how large it is, where each item
// lies, which item the pointer highlights or picks, and its background.
#pragma once
#include <vector>

#include "controls/frame_geometry.h"
#include "controls/skin_metrics.h"

namespace qf {

// How the opener places the menu; any other value opens it at the given position.
constexpr int kMenuAtCursor = 1;
constexpr int kMenuBelowOwner = 2;

struct MenuEntrySize {
    bool separator;
    int textWidth;  // items only
};

struct MenuMetrics {
    int mode = 0;
    int textHeight = 0;  // of "Ög" in the menu's font
    bool hasTitle = false;
    int titleWidth = 0;
    std::vector<MenuEntrySize> entries;
    FramePoint position{0, 0};  // top-left on the screen, as the opener placed it
    int ownerWidth = 0, ownerHeight = 0;
    int screenWidth = 0, screenHeight = 0;
};

struct MenuGeometry {
    int margin = 8;
    int itemHeight = 0;
    int separatorHeight = 1;
    int width = 0;   // of the content
    int height = 0;  // of the content
    std::vector<bool> separators;
    std::vector<FrameRect> itemRects;  // in the client area; empty for separators
    FrameRect window{0, 0, 0, 0};      // on the screen, fitted to it
    int clientWidth() const { return width + 2 * margin; }
    int clientHeight() const { return height + 2; }
};

// Where the opener puts the menu's top-left: below the owner's window (one pixel up), at the
// cursor, or where it was asked to.
FramePoint menuOpeningPoint(int mode, const FrameRect& ownerWindow, FramePoint cursor, FramePoint given);

MenuGeometry layoutMenu(const MenuMetrics& m);

// The highlighted entry after the pointer moved to p (client coordinates): none outside the menu,
// the item under the pointer, or the same one while the pointer crosses separators and margins.
int menuHotAfterMove(const MenuGeometry& g, int hot, FramePoint p);
// The item a release at p picks; -1 for none.
int menuItemAt(const MenuGeometry& g, FramePoint p);
// True for a point of the client area (a press elsewhere closes the menu).
bool menuContains(const MenuGeometry& g, FramePoint p);

// The field colour below its owner, otherwise the face darkened by 10 on each channel (wrapping).
SkinColor menuBackground(int mode, SkinColor face, SkinColor field);

}  // namespace qf
