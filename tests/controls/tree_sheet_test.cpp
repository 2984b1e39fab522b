// The tree control's sheet and the folder chooser's arithmetic and bookkeeping.
#include "controls/tree_sheet.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace qf {
namespace {

TEST(TreeSheet, ScrollStopsWhereTheContentMeetsTheClientEdges) {
    // Content 500 x 800 in a client of 200 x 300, scrolled 250 to the left already.
    const Sheet sheet{{-250, 0}, 500, 800};
    // Panning right moves the content left: at most until its right edge meets the client's.
    EXPECT_EQ(clampSheetScroll(sheet, 200, 300, -100, 0), (FramePoint{-50, 0}));
    EXPECT_EQ(clampSheetScroll(sheet, 200, 300, 400, 0), (FramePoint{250, 0}));
    EXPECT_EQ(clampSheetScroll(sheet, 200, 300, 0, 40), (FramePoint{0, 0}));
    EXPECT_EQ(clampSheetScroll(sheet, 200, 300, 0, -1000), (FramePoint{0, -500}));
    // An axis whose content fits does not move at all.
    const Sheet small{{0, 0}, 150, 800};
    EXPECT_EQ(clampSheetScroll(small, 200, 300, -30, -30), (FramePoint{0, -30}));
}

TEST(TreeSheet, PanFollowsThePointerAndWrapsAtTheScreenEdges) {
    PanStep step = panStep({110, 205}, {100, 200}, 768);
    EXPECT_FALSE(step.wrap);
    EXPECT_EQ(step.scroll, (FramePoint{10, 5}));
    EXPECT_EQ(step.last, (FramePoint{110, 205}));
    step = panStep({110, 0}, {100, 3}, 768);
    EXPECT_TRUE(step.wrap);
    EXPECT_EQ(step.wrapY, 766);
    EXPECT_EQ(step.last, (FramePoint{100, 766}));
    EXPECT_EQ(step.scroll, (FramePoint{0, 0}));
    step = panStep({110, 767}, {100, 760}, 768);
    EXPECT_TRUE(step.wrap);
    EXPECT_EQ(step.wrapY, 1);
    EXPECT_EQ(step.last.y, 1);
}

TEST(TreeSheet, WheelScrollsWholeRowsAndSelectionStaysInView) {
    EXPECT_EQ(wheelScroll(120, 16), 16);
    EXPECT_EQ(wheelScroll(-240, 16), -32);
    EXPECT_EQ(wheelScroll(60, 16), 0);
    // A row below the view: its bottom is brought to the client's bottom.
    EXPECT_EQ(offsetShowingRow(0, 400, 416, 300), -116);
    // A row above the view: its top is brought to the client's top.
    EXPECT_EQ(offsetShowingRow(-200, 64, 80, 300), -64);
    // A row in view changes nothing.
    EXPECT_EQ(offsetShowingRow(-100, 150, 166, 300), -100);
}

TEST(TreeSheet, TreeIsSizedToItsWholeContentAndKeepsTheViewFilled) {
    EXPECT_EQ(sheetHeight(30, 16, 300), 480);
    EXPECT_EQ(sheetHeight(3, 16, 300), 300);
    EXPECT_EQ(sheetWidth(120, 300), 340);
    EXPECT_EQ(sheetWidth(520, 300), 560);
    // After a collapse the sheet shrank: a view scrolled to its end moves back to fill the client.
    FilledSheet filled = fillClient({-200, -300}, 340, 480, 300, 300);
    EXPECT_TRUE(filled.shifted);
    EXPECT_EQ(filled.offset, (FramePoint{0, -180}));
    filled = fillClient({-10, -20}, 400, 480, 300, 300);
    EXPECT_FALSE(filled.shifted);
    EXPECT_EQ(filled.offset, (FramePoint{-10, -20}));
}

TEST(FolderChooser, LayoutFollowsTheClientAndRepaintsOnlyTheBandsAroundTheTree) {
    const ChooserLayout l = chooserLayout(332, 476, 62);
    EXPECT_EQ(l.label, (FrameRect{21, 42, 311, 56}));
    EXPECT_EQ(l.ok, (FrameRect{245, 429, 320, 452}));
    EXPECT_EQ(l.tree, (FrameRect{19, 62, 312, 414}));
    // Grown by 20 x 30: bands above the tree, below its old bottom and right of its old edge.
    const ChooserLayout grown = chooserLayout(352, 506, 62);
    const auto bands = chooserRepaintBands(352, 506, 332, 476, grown.tree);
    ASSERT_EQ(bands.size(), 3u);
    EXPECT_EQ(bands[0], (FrameRect{0, 0, 352, 62}));
    EXPECT_EQ(bands[1], (FrameRect{0, 412, 352, 506}));
    EXPECT_EQ(bands[2], (FrameRect{310, 0, 352, 506}));
    // A small change still repaints at least the button's strips.
    const auto same = chooserRepaintBands(332, 476, 332, 476, l.tree);
    EXPECT_EQ(same[1].top, 476 - 64);
    EXPECT_EQ(same[2].left, 332 - 22);
}

TEST(FolderChooser, StartPositionIsKeptOnTheScreen) {
    EXPECT_EQ(chooserPosition({100, 80}, 1280, 1024, 340, 510), (FramePoint{100, 80}));
    EXPECT_EQ(chooserPosition({1200, 900}, 1280, 1024, 340, 510), (FramePoint{940, 509}));
}

TEST(FolderChooser, ItemPathsJoinAndSplitAtBackslashes) {
    EXPECT_EQ(joinItemPath({"C:", "Maps", "Wood"}), "C:\\Maps\\Wood");
    EXPECT_EQ(joinItemPath({"C:"}), "C:");
    const std::string longName(600, 'x');
    EXPECT_EQ(joinItemPath({"C:", longName, longName}).size(), kItemPathLimit);
    EXPECT_EQ(splitItemPath("C:/Maps\\Wood\\"), (std::vector<std::string>{"C:", "Maps", "Wood"}));
    EXPECT_TRUE(splitItemPath("").empty());
}

TEST(FolderChooser, ListsOnlyVisibleFoldersAndUsableDrives) {
    EXPECT_TRUE(isListedFolder(0x10, "maps"));
    EXPECT_TRUE(isListedFolder(0x10 | 0x20, "archived"));
    EXPECT_FALSE(isListedFolder(0x10 | 0x2, "hidden"));
    EXPECT_FALSE(isListedFolder(0x10 | 0x4, "system"));
    EXPECT_FALSE(isListedFolder(0x20, "file.txt"));
    EXPECT_FALSE(isListedFolder(0x10, "."));
    EXPECT_FALSE(isListedFolder(0x10, ".."));
    const char list[] = "A:\\\0C:\\\0E:\\\0\0garbage";
    EXPECT_EQ(driveRoots(list, sizeof list), (std::vector<std::string>{"A:\\", "C:\\", "E:\\"}));
    // A list cut short still ends at the size given.
    EXPECT_EQ(driveRoots(list, 6), (std::vector<std::string>{"A:\\", "C:"}));
    EXPECT_TRUE(isListedDriveType(3));
    EXPECT_TRUE(isListedDriveType(2));
    EXPECT_FALSE(isListedDriveType(5));  // CD drives are left out
    EXPECT_TRUE(isRemovableDriveType(2));
    EXPECT_FALSE(isRemovableDriveType(3));
}

#if defined(_WIN32)
// In a double-byte code page the second byte of a letter may be the byte of '\\' (Shift-JIS: the
// katakana so, 0x83 0x5C; the kanji for "table", 0x95 0x5C): the chooser opens a start path through
// folders named with such letters.
TEST(FolderChooser, WindowsDoubleByteLettersEndingInTheBackslashByte) {
    const std::string s = test::ansi(L"\u30bd"), t = test::ansi(L"\u8868");
    if (s.size() != 2 || t.size() != 2 || s[1] != '\\') GTEST_SKIP() << "not a double-byte code page";
    EXPECT_EQ(splitItemPath("C:\\" + t + "\\maps" + s + "\\" + s),
              (std::vector<std::string>{"C:", t, "maps" + s, s}));
}
#endif

}  // namespace
}  // namespace qf
