#include "materials/paths.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/test_support.h"

namespace qf {
namespace {

std::string fileName(std::string path, bool strip = false) {
    char out[kPathSize];
    splitFileName(path.data(), strip, out, sizeof out);
    return out;
}

std::string directory(const std::string& path) {
    char out[kPathSize];
    splitDirectory(path.c_str(), out, sizeof out);
    return out;
}

std::pair<int, std::string> join(const char* base, const char* relative, PathStyle style) {
    char out[kPathSize];
    int status = joinPath(base, relative, out, sizeof out, style);
    return {status, out};
}

TEST(Paths, SplitFileNameAndDirectory) {
    EXPECT_EQ(fileName("C:\\models\\car.obj"), "car.obj");
    EXPECT_EQ(fileName("/models/a.b.obj", true), "a");
    EXPECT_EQ(fileName("C:car.obj"), "car.obj");
    EXPECT_EQ(fileName("models/"), "");
    EXPECT_EQ(fileName("car.obj"), "car.obj");
    EXPECT_EQ(directory("C:\\models\\car.obj"), "C:\\models\\");
    EXPECT_EQ(directory("/models/car.obj"), "/models/");
    EXPECT_EQ(directory("car.obj"), "");
}

TEST(Paths, JoinOnDriveLetterPaths) {
    const auto W = PathStyle::Windows;
    EXPECT_EQ(join("C:\\models\\", "", W), (std::pair<int, std::string>{0, "C:/models/"}));
    EXPECT_EQ(join("C:\\models\\", "sub\\", W), (std::pair<int, std::string>{0, "C:/models/sub/"}));
    EXPECT_EQ(join("C:\\models\\", "..\\", W), (std::pair<int, std::string>{0, "C:/"}));
    EXPECT_EQ(join("C:\\models\\", "\\mats\\", W), (std::pair<int, std::string>{0, "C:/mats/"}));
    EXPECT_EQ(join("C:\\models\\", "D:\\mats\\", W), (std::pair<int, std::string>{0, "D:/mats/"}));
    EXPECT_EQ(join("C:\\models\\", "./a/./b/../", W), (std::pair<int, std::string>{0, "C:/models/a/"}));
    EXPECT_EQ(join("C:\\", "..\\..\\", W).first, -1);
    EXPECT_EQ(join("C:\\models\\", "a:b\\", W).first, 0);  // a ':' as second character is a drive
    EXPECT_EQ(join("C:\\models\\", "ab:c\\", W).first, -1);
    EXPECT_EQ(join("C:\\models\\", ":x\\", W).first, -1);
}

TEST(Paths, JoinOnPosixPathsHasNoDrive) {
    const auto P = PathStyle::Posix;
    EXPECT_EQ(join("/home/u/models/", "\\mats\\", P), (std::pair<int, std::string>{0, "/mats/"}));
    EXPECT_EQ(join("/home/u/models/", "..\\tex\\", P), (std::pair<int, std::string>{0, "/home/u/tex/"}));
    EXPECT_EQ(join("/", "../", P).first, -1);
    EXPECT_EQ(join("models/", "sub/", P), (std::pair<int, std::string>{0, "models/sub/"}));
}

TEST(Paths, ResultsNeverPassTheirBuffer) {
    std::string longDir;
    for (int i = 0; i < 40; ++i) longDir += "folder" + std::to_string(i) + "/";
    char out[kPathSize];
    EXPECT_EQ(joinPath("/base/", longDir.c_str(), out, sizeof out, PathStyle::Posix), -1);
    EXPECT_LT(std::strlen(out), size_t(kPathSize));
    char small[8] = "abcdefg";
    appendSlash(small, sizeof small);
    EXPECT_STREQ(small, "abcdefg");
    char empty[4] = "";
    appendSlash(empty, sizeof empty);
    EXPECT_STREQ(empty, "");
    char path[kPathSize] = "/a/b";
    appendSlash(path, sizeof path);
    EXPECT_STREQ(path, "/a/b/");
}

// Paths as Windows writes them: drive letters, a drive alone, UNC shares, mixed separators.
TEST(Paths, WindowsDrivesSharesAndMixedSeparators) {
    const auto W = PathStyle::Windows;
    EXPECT_EQ(fileName("C:lib.mtl"), "lib.mtl");
    EXPECT_EQ(directory("C:lib.mtl"), "");
    EXPECT_EQ(join("C:\\models/", "sub/deeper\\", W), (std::pair<int, std::string>{0, "C:/models/sub/deeper/"}));
    EXPECT_EQ(join("C:/models/", "C:sub\\", W), (std::pair<int, std::string>{0, "C:sub/"}));
    // A share keeps its two leading separators, and ".." stops at it.
    EXPECT_EQ(join("\\\\server\\share\\models\\", "sub\\", W),
              (std::pair<int, std::string>{0, "//server/share/models/sub/"}));
    EXPECT_EQ(join("\\\\server\\share\\models\\", "..\\tex\\", W),
              (std::pair<int, std::string>{0, "//server/share/tex/"}));
    EXPECT_EQ(join("//server/share/models/", "./", W), (std::pair<int, std::string>{0, "//server/share/models/"}));
    EXPECT_EQ(join("\\\\server\\share\\models\\", "\\mats\\", W),
              (std::pair<int, std::string>{0, "//server/share/mats/"}));
    EXPECT_EQ(join("\\\\server\\share\\", "..\\", W).first, -1);
    // A share named whole is that share, whatever folder it is named from.
    EXPECT_EQ(join("C:\\models\\", "\\\\server\\share\\mats\\", W),
              (std::pair<int, std::string>{0, "//server/share/mats/"}));
    EXPECT_EQ(join("\\\\server\\share\\models\\", "//other/tex/", W),
              (std::pair<int, std::string>{0, "//other/tex/"}));
    EXPECT_EQ(join("C:\\models\\", "\\\\server\\share\\..\\", W).first, -1);
    EXPECT_EQ(join("/home/u/", "//server/share/", PathStyle::Posix), (std::pair<int, std::string>{0, "/server/share/"}));
}

TEST(Paths, FileExistsOnlyForFiles) {
    test::TempDir dir;
    EXPECT_TRUE(fileExists(dir.write("a.mtl", "x").c_str()));
    EXPECT_FALSE(fileExists(dir.path("missing.mtl").c_str()));
    EXPECT_FALSE(fileExists(dir.root().c_str()));
}

}  // namespace
}  // namespace qf

namespace qf {
namespace {

TEST(Paths, MixedSeparatorsCutAtTheLastOfEither) {
    char out[kPathSize];
    splitDirectory("C:\\models/car/a.obj", out, sizeof out);
    EXPECT_STREQ(out, "C:\\models/car/");
    splitDirectory("C:/models\\car\\a.obj", out, sizeof out);
    EXPECT_STREQ(out, "C:/models\\car\\");
}

#if !defined(_WIN32)
// Lookups that keep their folder listings find what lookups that list each time find: the exact
// spelling first, then the others in byte order, in every part of the path.
TEST(CaseLookup, KeptListingsFindWhatFreshListingsFind) {
    test::TempDir dir;
    dir.write("Maps/Wood.png", "a");
    dir.write("Maps/WOOD.png", "b");
    dir.write("maps/stone.PNG", "c");
    dir.write("Maps/Sub/Rock.tga", "d");
    FolderListings listings;
    for (const char* name : {"maps/wood.png", "MAPS/WOOD.png", "Maps/stone.png", "maps/sub/ROCK.TGA", "maps/none.png",
                             "none/wood.png", "maps/wood.png"}) {
        const std::string path = dir.root() + "/" + name;
        std::string fresh, kept;
        const bool found = findIgnoringCase(path, fresh);
        EXPECT_EQ(findIgnoringCase(path, kept, &listings), found) << name;
        EXPECT_EQ(kept, fresh) << name;
    }
    std::string found;
    ASSERT_TRUE(findIgnoringCase(dir.root() + "/maps/wood.png", found, &listings));
    EXPECT_EQ(found, dir.root() + "/Maps/WOOD.png");  // no exact spelling: the first in byte order
}
#endif

}  // namespace
}  // namespace qf

#if defined(_WIN32)
#include <windows.h>

namespace qf {
namespace {

using test::ansi;

bool makeFile(const std::string& path) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
    return true;
}

// File names in the ANSI code page mean to the lookups what they mean to fopen.
TEST(WindowsPaths, NamesInTheAnsiCodePageAreFound) {
    test::TempDir dir;
    const std::string accented = ansi(L"bois\u00e9.jpg"), euro = ansi(L"\u20ac\u0160.jpg"),
                      folder = ansi(L"dossi\u00e9r\u2019s");
    if (accented.empty() || euro.empty() || folder.empty()) GTEST_SKIP() << "code page without these letters";
    ASSERT_TRUE(CreateDirectoryA(dir.path(folder).c_str(), nullptr));
    for (const std::string& name : {accented, euro, folder + "\\" + euro}) {
        const std::string path = dir.path(name);
        ASSERT_TRUE(makeFile(path)) << path;
        EXPECT_TRUE(fileExists(path.c_str())) << path;
        std::string found;
        EXPECT_TRUE(findIgnoringCase(path, found)) << path;
        EXPECT_EQ(found, path);
    }
    // Letter case beyond ASCII is the file system's to ignore.
    const std::string upper = ansi(L"BOIS\u00c9.JPG");
    std::string found;
    EXPECT_TRUE(findIgnoringCase(dir.path(upper), found));
    EXPECT_FALSE(fileExists(dir.path(folder).c_str()));  // a folder is no file
}

// In a double-byte code page the second byte of a letter may be the byte of '\\' (Shift-JIS: the
// katakana so, 0x83 0x5C; the kanji for "table", 0x95 0x5C): it separates nothing.
TEST(WindowsPaths, DoubleByteLettersEndingInTheBackslashByte) {
    const std::string so = ansi(L"\u30bd"), table = ansi(L"\u8868");
    if (so.size() != 2 || table.size() != 2 || so[1] != '\\') GTEST_SKIP() << "not a double-byte code page";
    std::string path = "C:\\" + table + "\\" + so + ".jpg";
    EXPECT_EQ(fileName(path), so + ".jpg");
    EXPECT_EQ(fileName(path, true), so);
    EXPECT_EQ(directory(path), "C:\\" + table + "\\");
    EXPECT_EQ(directory(so + ".jpg"), "");
    EXPECT_EQ(join("C:\\m\\", (table + "\\").c_str(), PathStyle::Windows),
              (std::pair<int, std::string>{0, "C:/m/" + table + "/"}));
    toForwardSlashes(path.data());
    EXPECT_EQ(path, "C:/" + table + "/" + so + ".jpg");

    test::TempDir dir;
    // (Wine without the system's locale for the code page cannot store such names.)
    if (!CreateDirectoryA(dir.path(table).c_str(), nullptr)) GTEST_SKIP() << "the file system takes no such names";
    const std::string file = dir.path(table + "\\" + so + ".jpg");
    ASSERT_TRUE(makeFile(file));
    EXPECT_TRUE(fileExists(file.c_str()));
    std::string found;
    EXPECT_TRUE(findIgnoringCase(dir.path(table + "/" + so + ".JPG"), found));
}

}  // namespace
}  // namespace qf
#endif
