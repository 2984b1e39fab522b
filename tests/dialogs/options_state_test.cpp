#include "dialogs/options_state.h"

#include <gtest/gtest.h>

namespace qf {
namespace {

TEST(TickTally, EachRowCountsItsOwnRecord) {
    ObjImporter imp;
    imp.appendObject("Box").polygonCount = 12;
    imp.appendObject("box").polygonCount = 30;  // differs only in case: a record of its own
    imp.appendObject(std::string(200, 'n').c_str()).polygonCount = 5;  // longer than a row's text limit
    TickTally tally;
    tally.reset(imp);
    EXPECT_TRUE(tally.setTicked(1, true));
    EXPECT_FALSE(tally.setTicked(1, true));  // no change, no count
    EXPECT_TRUE(tally.setTicked(2, true));
    EXPECT_EQ(tally.polygons(), 35);
    EXPECT_FALSE(tally.isTicked(0));
    EXPECT_TRUE(tally.setTicked(1, false));
    EXPECT_EQ(tally.polygons(), 5);
    EXPECT_FALSE(tally.setTicked(-1, true));
    EXPECT_FALSE(tally.setTicked(3, true));
    tally.reset(imp);
    EXPECT_EQ(tally.polygons(), 0);
}

TEST(OptionsState, GroupTitle) {
    EXPECT_EQ(objectGroupTitle(0), "0 Object");
    EXPECT_EQ(objectGroupTitle(1), "1 Object");
    EXPECT_EQ(objectGroupTitle(20000), "20000 Objects");
}

TEST(OptionsState, BarFadesInTenStepsToTheBackground) {
    const SkinColor face = rgb(56, 56, 56);
    EXPECT_EQ(scanFadeColour(kScanBarColour, face, 0), kScanBarColour);
    // 56 + (201 - 56) * 0.9 = 186.5, 56 + 112 * 0.9 = 156.8, 56 + 7 * 0.9 = 62.3: truncated.
    EXPECT_EQ(scanFadeColour(kScanBarColour, face, 1), rgb(186, 156, 62));
    EXPECT_EQ(scanFadeColour(kScanBarColour, face, kScanFadeSteps), face);
    EXPECT_EQ(countHighlightColour(face), rgb(184, 160, 76));
    EXPECT_EQ(countHighlightColour(rgb(200, 200, 200)), rgb(37, 66, 89));
}

}  // namespace
}  // namespace qf
