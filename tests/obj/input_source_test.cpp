#include "obj/input_source.h"

#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <sys/stat.h>
#endif

#include "support/test_support.h"

namespace qf {
namespace {

// Only a regular file is opened: a device might never end and a pipe might block the open.
TEST(InputPath, OnlyRegularFilesAreOpened) {
    test::TempDir dir;
    const std::string file = dir.write("a.obj", "v 0 0 0\n");
    EXPECT_EQ(inputPathKind(file), InputPathKind::RegularFile);
    EXPECT_NE(FileSource::open(file), nullptr);
    EXPECT_EQ(fileSize(file), 8u);

    EXPECT_EQ(inputPathKind(dir.root()), InputPathKind::Folder);
    EXPECT_EQ(FileSource::open(dir.root()), nullptr);
    EXPECT_EQ(inputPathKind(dir.path("none.obj")), InputPathKind::Missing);
    EXPECT_EQ(FileSource::open(dir.path("none.obj")), nullptr);
#if !defined(_WIN32)
    ASSERT_EQ(mkfifo(dir.path("pipe").c_str(), 0600), 0);
    for (const std::string& path : {std::string("/dev/zero"), dir.path("pipe")}) {
        EXPECT_EQ(inputPathKind(path), InputPathKind::NotAFile) << path;
        EXPECT_EQ(FileSource::open(path), nullptr) << path;  // returns at once, with no writer
        EXPECT_EQ(fileSize(path), 0u) << path;
    }
#endif
}

}  // namespace
}  // namespace qf

#if defined(_WIN32)
#include <windows.h>

#include <cstdio>

namespace qf {
namespace {

// Windows' device names open a device in any folder and with any extension: never read. Paths
// written with a trailing dot, mixed separators or a trailing separator mean what the system says.
TEST(InputPath, WindowsDevicesAndPathSpellings) {
    test::TempDir dir;
    const std::string file = dir.write("a.obj", "v 0 0 0\n");
    for (const std::string& device : {std::string("NUL"), std::string("nul.obj"), std::string("CON"),
                                      dir.path("con.mtl"), dir.path("aux"), std::string("\\\\.\\NUL")}) {
        EXPECT_NE(inputPathKind(device), InputPathKind::RegularFile) << device;
        EXPECT_EQ(FileSource::open(device), nullptr) << device;
        EXPECT_EQ(fileSize(device), 0u) << device;
    }
    std::string backslashed = file;
    for (char& c : backslashed)
        if (c == '/') c = '\\';
    for (const std::string& spelling :
         {file + ".", backslashed, dir.root() + "\\.\\a.obj", dir.root() + "/x/../A.OBJ"}) {
        EXPECT_EQ(inputPathKind(spelling), InputPathKind::RegularFile) << spelling;
        EXPECT_NE(FileSource::open(spelling), nullptr) << spelling;
        EXPECT_EQ(fileSize(spelling), 8u) << spelling;
    }
    EXPECT_EQ(inputPathKind(dir.root() + "\\"), InputPathKind::Folder);
    EXPECT_EQ(FileSource::open(dir.root() + "\\"), nullptr);
}

// A name ending in a double-byte letter whose second byte is the byte of '\\' (katakana so, 0x83
// 0x5C, in Shift-JIS) ends in no separator.
TEST(InputPath, WindowsDoubleByteNameEndingInTheBackslashByte) {
    const std::string so = test::ansi(L"\u30bd");
    if (so.size() != 2 || so[1] != '\\') GTEST_SKIP() << "not a double-byte code page";
    test::TempDir dir;
    const std::string file = dir.path("a" + so);
    FILE* f = std::fopen(file.c_str(), "wb");
    // (Wine without the system's locale for the code page cannot store such names.)
    if (!f) GTEST_SKIP() << "the file system takes no such names";
    std::fputs("v 0 0 0\n", f);
    std::fclose(f);
    EXPECT_EQ(inputPathKind(file), InputPathKind::RegularFile);
    EXPECT_EQ(fileSize(file), 8u);
    EXPECT_NE(FileSource::open(file), nullptr);
}

}  // namespace
}  // namespace qf
#endif
