#include "controls/skin_metrics.h"

#include <gtest/gtest.h>

#include "controls/frame_geometry.h"

namespace qf {
namespace {

TEST(SkinMetrics, PaletteCaptionColourFontsAndOpacity) {
    EXPECT_EQ(paletteColor(kFace), rgb(56, 56, 56));
    EXPECT_EQ(paletteColor(kField), rgb(53, 70, 87));
    EXPECT_EQ(paletteColor(18), 0u);
    EXPECT_EQ(paletteColor(-1), 0u);
    EXPECT_EQ(captionColor(paletteColor(kFace)), rgb(156, 146, 131));
    EXPECT_EQ(captionColor(rgb(200, 200, 200)), rgb(45, 35, 20));
    EXPECT_EQ(skinFontHeight(0, 120), -13);
    EXPECT_EQ(skinFontHeight(1, 120), -11);
    EXPECT_EQ(skinFontHeight(2, 120), -17);
    EXPECT_EQ(skinFontHeight(2, 96), -13);
    EXPECT_EQ(skinFontHeight(5, 96), -11);
    EXPECT_EQ(mulDiv(-7, 3, 2), -11);  // halves away from zero
    EXPECT_EQ(mulDiv(1, 1, 0), -1);
    EXPECT_EQ(opacityAlpha(150), 255);
    EXPECT_EQ(opacityAlpha(50), 127);
}

TEST(FrameGeometry, OutlineAndStrips) {
    EXPECT_EQ(ridgeEnd(340, 102), 229);
    const FrameOutline o = frameOutline(340, 200, 102, true);
    EXPECT_EQ(o.ridge, (std::vector<FramePoint>{{109, 8}, {229, 8}, {236, 15}, {109, 15}}));
    EXPECT_EQ(o.body, (FrameRect{0, 15, 340, 195}));
    EXPECT_EQ(o.logoTab.front(), (FramePoint{222, 191}));
    EXPECT_TRUE(frameOutline(340, 200, 102, false).logoTab.empty());
    EXPECT_EQ(frameOutline(340, 200, 102, false).body.bottom, 201);
    EXPECT_EQ(bottomStripTop(200, true), 182);
    EXPECT_EQ(bottomStripTop(200, false), 188);
    // The ridge's end cap starts 3 pixels before M.
    EXPECT_EQ(ridgeEnd(340, 102) - 3, 226);
}

TEST(FrameGeometry, DragAndResizeHits) {
    const FrameRect in = dragInterior(300, 200, true);
    EXPECT_EQ(in, (FrameRect{7, 22, 293, 176}));
    EXPECT_EQ(dragInterior(300, 200, false).bottom, 182);
    EXPECT_EQ(resizeHit(300, 200, true, {150, 10}, true), ResizeHit::Caption);
    EXPECT_EQ(resizeHit(300, 200, true, {150, 10}, false), ResizeHit::None);
    EXPECT_EQ(resizeHit(300, 200, true, {295, 195}, true), ResizeHit::BottomRight);
    EXPECT_EQ(resizeHit(300, 200, true, {297, 100}, true), ResizeHit::Right);
    EXPECT_EQ(resizeHit(300, 200, true, {100, 190}, true), ResizeHit::Bottom);
    EXPECT_EQ(resizeHit(300, 200, true, {100, 100}, true), ResizeHit::None);
}

TEST(FrameGeometry, SizeGripIsTheCornerTriangle) {
    // Corners (285, 194), (299, 180) and (299, 194) of a 300 x 200 client.
    EXPECT_TRUE(inSizeGrip(300, 200, {299, 194}));
    EXPECT_TRUE(inSizeGrip(300, 200, {285, 194}));
    EXPECT_TRUE(inSizeGrip(300, 200, {299, 180}));
    EXPECT_TRUE(inSizeGrip(300, 200, {292, 188}));
    EXPECT_FALSE(inSizeGrip(300, 200, {290, 188}));  // left of the slope
    EXPECT_FALSE(inSizeGrip(300, 200, {299, 195}));  // below it: the strip's lowest lines
    EXPECT_FALSE(inSizeGrip(300, 200, {300, 190}));
}

TEST(FrameGeometry, CentringStaysInsideTheWorkArea) {
    const FrameRect work{0, 0, 1920, 1040};
    EXPECT_EQ(centredPosition({100, 100, 500, 400}, work, 200, 100), (FramePoint{200, 200}));
    EXPECT_EQ(centredPosition({1700, 100, 1900, 300}, work, 400, 100), (FramePoint{1520, 150}));
    EXPECT_EQ(centredPosition({-300, -300, -100, -100}, work, 400, 300), (FramePoint{0, 0}));
    EXPECT_EQ(centredPosition(work, work, 3000, 100), (FramePoint{0, 470}));  // larger than the area: its start
}

}  // namespace
}  // namespace qf
