#include "controls/menu_layout.h"

#include <gtest/gtest.h>

namespace qf {
namespace {

// A drop-down under an owner at (100, 200) - (250, 220) with items a, a separator and b, in a font
// whose text is 13 pixels high.
MenuMetrics dropDown(int screenHeight = 768) {
    MenuMetrics m;
    m.mode = kMenuBelowOwner;
    m.textHeight = 13;
    m.entries = {{false, 20}, {true, 0}, {false, 30}};
    const FrameRect owner{100, 200, 250, 220};
    m.position = menuOpeningPoint(m.mode, owner, {0, 0}, {0, 0});
    m.ownerWidth = 150;
    m.ownerHeight = 20;
    m.screenWidth = 1024;
    m.screenHeight = screenHeight;
    return m;
}

TEST(MenuLayout, DropDownHangsBelowItsOwnerOnePixelNarrower) {
    const MenuGeometry g = layoutMenu(dropDown());
    EXPECT_EQ(g.margin, 4);
    EXPECT_EQ(g.itemHeight, 15);
    EXPECT_EQ(g.height, 15 + 1 + 15);
    EXPECT_EQ(g.window, (FrameRect{100, 219, 249, 219 + 33}));
    EXPECT_EQ(g.itemRects[0], (FrameRect{1, 1, 148, 16}));
    EXPECT_EQ(g.itemRects[2], (FrameRect{1, 17, 148, 32}));
}

TEST(MenuLayout, OpensAboveOrLeftWhenTheScreenEnds) {
    // Near the bottom: above the owner, its window overlapping the owner's top row by one pixel.
    const MenuGeometry g = layoutMenu(dropDown(240));
    EXPECT_EQ(g.window.top, 200 - 1 - g.height);
    EXPECT_EQ(g.window.bottom, 201);
    // A menu at the cursor near the right edge opens to the left of it.
    MenuMetrics m;
    m.mode = kMenuAtCursor;
    m.textHeight = 13;
    m.entries = {{false, 50}};
    m.position = menuOpeningPoint(m.mode, {0, 0, 0, 0}, {1000, 100}, {0, 0});
    m.screenWidth = 1024;
    m.screenHeight = 768;
    const MenuGeometry c = layoutMenu(m);
    EXPECT_EQ(c.margin, 8);
    EXPECT_EQ(c.window.right, 1000);
    EXPECT_EQ(c.window.top, 100);
}

TEST(MenuLayout, TitleComesFirstAndWidensTheMenu) {
    MenuMetrics m;
    m.textHeight = 13;
    m.hasTitle = true;
    m.titleWidth = 80;
    m.entries = {{false, 20}};
    m.position = {10, 10};
    m.screenWidth = m.screenHeight = 1000;
    const MenuGeometry g = layoutMenu(m);
    EXPECT_EQ(g.width, 81);
    EXPECT_EQ(g.itemRects[0].top, 15 + 1 + 1);
    EXPECT_EQ(g.window, (FrameRect{10, 10, 10 + 81 + 16, 10 + 31 + 2}));
}

TEST(MenuLayout, HotTrackingAndPicking) {
    const MenuGeometry g = layoutMenu(dropDown());
    int hot = menuHotAfterMove(g, -1, {10, 5});
    EXPECT_EQ(hot, 0);
    EXPECT_EQ(menuHotAfterMove(g, hot, {10, 16}), 0);  // on the separator: the item stays lit
    EXPECT_EQ(menuHotAfterMove(g, hot, {2, 20}), 2);
    EXPECT_EQ(menuHotAfterMove(g, 2, {0, 20}), -1);    // the frame pixel is outside
    EXPECT_EQ(menuHotAfterMove(g, 2, {10, 40}), -1);   // below the menu
    EXPECT_EQ(menuItemAt(g, {10, 16}), -1);
    EXPECT_EQ(menuItemAt(g, {10, 20}), 2);
    EXPECT_EQ(menuItemAt(g, {148, 20}), -1);
    EXPECT_TRUE(menuContains(g, {0, 0}));
    EXPECT_FALSE(menuContains(g, {-1, 5}));
}

TEST(MenuLayout, EmptyMenuIsAThinStrip) {
    MenuMetrics m;
    m.textHeight = 13;
    m.screenWidth = m.screenHeight = 1000;
    const MenuGeometry g = layoutMenu(m);
    EXPECT_EQ(g.clientHeight(), 2);
    EXPECT_EQ(menuItemAt(g, {5, 1}), -1);
    EXPECT_EQ(menuHotAfterMove(g, -1, {5, 1}), -1);
}

TEST(MenuLayout, BackgroundIsTheFieldBelowAnOwnerElseADarkerFace) {
    EXPECT_EQ(menuBackground(kMenuBelowOwner, rgb(56, 56, 56), rgb(53, 70, 87)), rgb(53, 70, 87));
    EXPECT_EQ(menuBackground(kMenuAtCursor, rgb(56, 56, 56), rgb(1, 2, 3)), rgb(46, 46, 46));
    EXPECT_EQ(menuBackground(0, rgb(5, 56, 9), rgb(1, 2, 3)), rgb(251, 46, 255));
}

}  // namespace
}  // namespace qf
