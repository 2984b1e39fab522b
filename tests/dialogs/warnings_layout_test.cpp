#include "dialogs/warnings_layout.h"

#include <gtest/gtest.h>

namespace qf {
namespace {

bool covers(const WarningsLayout& l, FramePoint p) {
    for (const FrameRect& r : l.repaint)
        if (r.contains(p)) return true;
    return false;
}

TEST(WarningsLayout, CloseKeepsItsDistanceFromTheCorner) {
    for (auto [w, h] : {std::pair{212, 162}, std::pair{600, 480}}) {
        const WarningsLayout l = layoutWarnings(w, h, 49, w, h);
        EXPECT_EQ(l.close, (FrameRect{w - 87, h - 47, w - 12, h - 24}));
        EXPECT_EQ(l.list, (FrameRect{17, 49, w - 18, h - 52}));
    }
}

TEST(WarningsLayout, GrowingRepaintsTheOldEdgesAndTheFrame) {
    const WarningsLayout l = layoutWarnings(400, 300, 49, 300, 200);
    // The list's old right edge was at 382 - 100 = 282, its old bottom at 248 - 100 = 148.
    EXPECT_TRUE(covers(l, {280, 100}));
    EXPECT_FALSE(covers(l, {279, 100}));
    EXPECT_TRUE(covers(l, {100, 146}));
    EXPECT_FALSE(covers(l, {100, 145}));
    EXPECT_TRUE(covers(l, {100, 10}));   // the band above the list
    EXPECT_FALSE(covers(l, {100, 60}));  // the list's inside paints itself
    for (const FrameRect& r : l.repaint) {
        EXPECT_GE(r.left, 0);
        EXPECT_GE(r.top, 0);
        EXPECT_LE(r.right, 400);
        EXPECT_LE(r.bottom, 300);
    }
}

TEST(WarningsLayout, BandsAreAtLeastAFrameWide) {
    // Shrinking: the old edges lie outside; the bottom 64 and right 22 pixels are repainted anyway.
    const WarningsLayout l = layoutWarnings(300, 200, 49, 400, 300);
    EXPECT_TRUE(covers(l, {100, 200 - 64}));
    EXPECT_FALSE(covers(l, {100, 200 - 65}));
    EXPECT_TRUE(covers(l, {300 - 22, 100}));
    EXPECT_FALSE(covers(l, {300 - 23, 100}));
}

TEST(WarningsLayout, TinyClientGivesNoNegativeSizes) {
    const WarningsLayout l = layoutWarnings(20, 30, 49, 20, 30);
    EXPECT_EQ(l.list.right, l.list.left);
    EXPECT_EQ(l.list.bottom, l.list.top);
    for (const FrameRect& r : l.repaint) {
        EXPECT_LT(r.left, r.right);
        EXPECT_LT(r.top, r.bottom);
    }
}

}  // namespace
}  // namespace qf
