#include "controls/text_fitting.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace qf {
namespace {

// Every character 7 pixels wide.
int fixedWidth(const std::string& text) { return int(text.size()) * 7; }

TEST(FitPath, DirectoryFirstThenFileThenBang) {
    const std::string path = "C:/Data/Textures/wood.tga";
    EXPECT_EQ(fitPathToWidth(path, 1000, fixedWidth), "C:\\Data\\Textures\\wood.tga");
    const int holdsT = int(std::string("C:\\Data\\T...\\wood.tga").size()) * 7;
    EXPECT_EQ(fitPathToWidth(path, holdsT, fixedWidth), "C:\\Data\\T...\\wood.tga");
    EXPECT_EQ(fitPathToWidth(path, holdsT + 6, fixedWidth), "C:\\Data\\T...\\wood.tga");
    EXPECT_EQ(fitPathToWidth(path, int(std::string("...\\wood.tga").size()) * 7, fixedWidth), "...\\wood.tga");
    EXPECT_EQ(fitPathToWidth(path, int(std::string("..\\wo...").size()) * 7, fixedWidth), "..\\wo...");
    EXPECT_EQ(fitPathToWidth(path, 4 * 7, fixedWidth), "!");
    EXPECT_EQ(fitPathToWidth("wood.tga", 7, fixedWidth), "wood.tga");
}

#if defined(_WIN32)
// In a double-byte code page the second byte of a letter may be the byte of '\\' (Shift-JIS: the
// katakana so, 0x83 0x5C): such a letter is neither a separator nor cut in two.
TEST(FitPath, WindowsDoubleByteLettersStayWhole) {
    const std::string so = test::ansi(L"\u30bd");
    if (so.size() != 2 || so[1] != '\\') GTEST_SKIP() << "not a double-byte code page";
    const std::string path = "C:\\" + so + so + so + "\\" + so + so + ".tga";
    EXPECT_EQ(fitPathToWidth(path, 1000, fixedWidth), path);
    // Room for a byte more than the folder's drive and the whole name, then than the name's first
    // letter: the byte would cut a letter.
    const std::string folderCut = "C:\\...\\" + so + so + ".tga";
    EXPECT_EQ(fitPathToWidth(path, fixedWidth(folderCut) + 7, fixedWidth), folderCut);
    const std::string nameCut = "..\\" + so + "...";
    EXPECT_EQ(fitPathToWidth(path, fixedWidth(nameCut) + 7, fixedWidth), nameCut);
}
#endif

TEST(MessageBoxText, LinesSizeAndIcon) {
    EXPECT_EQ(messageLines("not enough memory\n\nto create 5 polygons"),
              (std::vector<std::string>{"not enough memory", "to create 5 polygons"}));
    EXPECT_EQ(messageLines("\n\nx\n"), std::vector<std::string>{"x"});
    EXPECT_TRUE(messageLines("").empty());
    const MessageBoxLayout two = messageBoxLayout(200, 2, 13);
    EXPECT_EQ(two.height, 2 * 13 + 107);
    EXPECT_EQ(two.width, 309);
    EXPECT_EQ(messageBoxLayout(30, 1, 13).width, 179);
    EXPECT_EQ(messageBoxLayout(30, 1, 13).buttonX, (179 - 70) / 2 + 16);
    EXPECT_EQ(messageBoxLayout(30, 1, 13).buttonY, 13 + 107 - 49);
    EXPECT_EQ(messageIcon(0x30), MessageIcon::Exclamation);
    EXPECT_EQ(messageIcon(0x31), MessageIcon::Information);
    EXPECT_EQ(messageIcon(0x20), MessageIcon::Question);
    EXPECT_EQ(messageIcon(0), MessageIcon::Information);
}

}  // namespace
}  // namespace qf
