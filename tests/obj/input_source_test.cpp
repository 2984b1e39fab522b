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
