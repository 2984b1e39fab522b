#include "controls/control_logic.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

namespace qf {
namespace {

TEST(PushState, ClickNeedsPressAndReleaseInside) {
    PushState s;
    pushPress(s, true);
    EXPECT_TRUE(pushShownPushed(s, true));
    EXPECT_FALSE(pushShownPushed(s, false));  // a disabled button never shows pushed
    EXPECT_EQ(pushRelease(s, true), ReleaseNotice::Clicked);
    EXPECT_FALSE(s.pressed);

    pushPress(s, true);
    EXPECT_TRUE(pushMouseMove(s, false));   // left the button: repaint, no longer shown pushed
    EXPECT_FALSE(pushMouseMove(s, false));  // no change, no repaint
    EXPECT_FALSE(pushShownPushed(s, true));
    EXPECT_EQ(pushRelease(s, false), ReleaseNotice::ReleasedOutside);

    // A release without a press is never a click.
    EXPECT_EQ(pushRelease(s, true), ReleaseNotice::ReleasedOutside);
}

TEST(CheckState, ToggledOnlyByAReleaseInside) {
    CheckState s;
    s.pressed = true;
    EXPECT_TRUE(checkRelease(s, true));
    EXPECT_TRUE(s.checked);
    EXPECT_FALSE(s.pressed);
    s.pressed = true;
    EXPECT_FALSE(checkRelease(s, false));
    EXPECT_TRUE(s.checked);
    EXPECT_TRUE(checkRelease(s, true));
    EXPECT_FALSE(s.checked);
}

TEST(CheckSquare, PlacedByAlignmentAndTextSide) {
    const FrameRect client{0, 0, 100, 21};
    EXPECT_EQ(checkSquareRect(client, false, CheckAlign::Centre), (FrameRect{0, 3, 13, 16}));
    EXPECT_EQ(checkSquareRect(client, true, CheckAlign::Centre), (FrameRect{87, 3, 100, 16}));
    EXPECT_EQ(checkSquareRect(client, false, CheckAlign::Top), (FrameRect{0, 1, 13, 14}));
    EXPECT_EQ(checkSquareRect(client, false, CheckAlign::Bottom), (FrameRect{0, 5, 13, 18}));
    // A box lower than the square keeps the square at its top rather than above it.
    EXPECT_EQ(checkSquareRect({0, 0, 50, 8}, false, CheckAlign::Centre).top, 0);

    EXPECT_EQ(checkLabelRect(client, false, CheckAlign::Centre, 13), (FrameRect{18, 3, 100, 16}));
    EXPECT_EQ(checkLabelRect(client, true, CheckAlign::Bottom, 13), (FrameRect{0, 5, 82, 18}));
    EXPECT_EQ(checkLabelRect(client, false, CheckAlign::Top, 13), (FrameRect{18, 0, 100, 21}));
}

TEST(GroupLayout, TitleCentredOverTheOutline) {
    const GroupLayout g = groupLayout(200, 120, 60, 13, 12, true);
    EXPECT_EQ(g.titleBand, (FrameRect{5, 0, 195, 13}));
    EXPECT_EQ(g.outline, (FrameRect{0, 6, 200, 120}));
    EXPECT_EQ(g.title, (FrameRect{70, 0, 130, 13}));
    EXPECT_EQ(groupLayout(200, 120, 0, 13, 12, false).title, (FrameRect{}));
}

TEST(Progress, FractionClampedAndNeverNaN) {
    const float half = 0.5f, over = 1.5f, under = -0.2f, nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(clampFraction(&half), 0.5f);
    EXPECT_EQ(clampFraction(&over), 1.0f);
    EXPECT_EQ(clampFraction(&under), 0.0f);
    EXPECT_EQ(clampFraction(&nan), 0.0f);
    EXPECT_EQ(clampFraction(nullptr), 0.0f);
    EXPECT_EQ(filledWidth(200, 0.5f), 100);
    EXPECT_EQ(filledWidth(-3, 1.0f), 0);
}

}  // namespace
}  // namespace qf
