#include "run/config_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <iterator>
#include <limits>

#if defined(_WIN32)
#include <process.h>
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "model/fixed_text.h"
#include "run/run_paths.h"
#include "support/test_support.h"

namespace qf {
namespace {

int processId() {
#if defined(_WIN32)
    return _getpid();
#else
    return int(getpid());
#endif
}

struct ConfigFixture : ::testing::Test {
    test::TempDir dir;
    std::string path = dir.path("qf_objimp.cfg");
    ObjImporter importer;
    void SetUp() override { copyBounded(importer.configPath, path.c_str()); }
};

TEST(ConfigPath, BesideTheModule) {
    char path[kPathSize];
    configPathBeside("C:\\XSI\\Addons\\qfObjImp.dll", path);
    EXPECT_STREQ(path, "C:\\XSI\\Addons\\qf_objimp.cfg");
    configPathBeside("/opt/qf/bin/qfobjimp", path);
    EXPECT_STREQ(path, "/opt/qf/bin/qf_objimp.cfg");
    configPathBeside("qfobjimp", path);
    EXPECT_STREQ(path, "qf_objimp.cfg");
    configPathBeside("\\\\server\\share\\Addons/bin\\qfObjImp.dll", path);  // the last separator of either kind
    EXPECT_STREQ(path, "\\\\server\\share\\Addons/bin\\qf_objimp.cfg");
}

// A module whose folder and the file name do not fit the path field has no options file: a cut
// path would name a file in a folder above it, or a file of another name.
TEST(ConfigPath, NoneWhenTheModuleIsTooDeep) {
    char path[kPathSize];
    const std::string folder = "C:\\" + std::string(120, 'a') + "\\" + std::string(120, 'b') + "\\";
    configPathBeside((folder + "x.dll").c_str(), path);
    EXPECT_STREQ(path, (folder + "qf_objimp.cfg").c_str());
    const std::string deeper = folder + "cc\\";
    configPathBeside((deeper + "x.dll").c_str(), path);  // fits, its options file would not
    EXPECT_STREQ(path, "");
    configPathBeside((deeper + std::string(300, 'd') + "\\x.dll").c_str(), path);
    EXPECT_STREQ(path, "");
    configPathBeside(("C:\\m\\" + std::string(300, 'd') + ".dll").c_str(), path);  // a long name, a short folder
    EXPECT_STREQ(path, "C:\\m\\qf_objimp.cfg");
    configPathBeside("", path);  // the system could not say
    EXPECT_STREQ(path, "");
    ObjImporter importer;
    configPathBeside((deeper + "x.dll").c_str(), importer.configPath);
    importer.options.flipZY = true;
    EXPECT_FALSE(saveOptions(importer));
    EXPECT_FALSE(loadOptions(importer));
    EXPECT_TRUE(importer.options.flipZY);
}

TEST_F(ConfigFixture, EmptySearchPathGivesTheExact29ByteLayout) {
    importer.options.objectScale = 2.5f;
    importer.options.flipZY = true;
    importer.options.importNormals = true;
    saveOptions(importer);
    std::string bytes = test::readFile(path);
    ASSERT_EQ(bytes.size(), 29u);
    const unsigned char expected[29] = {5, 0, 0, 0, 29, 0, 0, 0, 1, 0, 1, 1, 1, 1, 0x00, 0x00, 0x20, 0x40,
                                        1, 0, 0xcd, 0xcc, 0x4c, 0x3e, 0, 0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(bytes.data(), expected, 29), 0);
}

TEST_F(ConfigFixture, RoundTripKeepsEveryStoredFieldButNormals) {
    ImportOptions& o = importer.options;
    o.replaceScene = false;
    o.importAsClusters = true;
    o.flipZY = true;
    o.centerPivots = false;
    o.textureCoords = false;
    o.importNormals = true;
    o.objectScale = 0.125f;
    o.importMaterials = false;
    o.useMaterialPrefix = true;
    o.defaultBump = -3.5f;
    o.forceBlackAmbient = true;
    copyBounded(o.mapSearchPath, "/textures/wood");
    saveOptions(importer);
    EXPECT_EQ(test::readFile(path).size(), 29u + 14u);

    ObjImporter loaded;
    copyBounded(loaded.configPath, path.c_str());
    ASSERT_TRUE(loadOptions(loaded));
    const ImportOptions& l = loaded.options;
    EXPECT_FALSE(l.replaceScene);
    EXPECT_TRUE(l.importAsClusters);
    EXPECT_TRUE(l.flipZY);
    EXPECT_FALSE(l.centerPivots);
    EXPECT_FALSE(l.textureCoords);
    EXPECT_FALSE(l.importNormals);
    EXPECT_EQ(l.objectScale, 0.125f);
    EXPECT_FALSE(l.importMaterials);
    EXPECT_TRUE(l.useMaterialPrefix);
    EXPECT_EQ(l.defaultBump, -3.5f);
    EXPECT_TRUE(l.forceBlackAmbient);
    EXPECT_STREQ(l.mapSearchPath, "/textures/wood");

    saveOptions(loaded);  // normals were dropped on load and are written as 0
    EXPECT_EQ(test::readFile(path)[13], 0);
}

// Numbers the dialog could not have set fall back to their defaults, each with a warning, and are
// gone from the file once it is saved again; the other fields load as written.
TEST_F(ConfigFixture, NumbersOutOfRangeLoadAsTheirDefaultsWithAWarning) {
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    const struct {
        float scale, bump;
        size_t warnings;
    } cases[] = {{0.0f, 0.2f, 1}, {nan, 0.2f, 1}, {1e30f, inf, 2}, {-2.0f, -inf, 2}, {2.0f, nan, 1}, {0.001f, 100.0f, 0}};
    for (const auto& c : cases) {
        importer.options.objectScale = c.scale;
        importer.options.defaultBump = c.bump;
        importer.options.flipZY = true;
        saveOptions(importer);
        ObjImporter loaded;
        copyBounded(loaded.configPath, path.c_str());
        ASSERT_TRUE(loadOptions(loaded));
        const bool scaleGood = c.scale == 2.0f || c.scale == 0.001f, bumpGood = c.bump == 0.2f || c.bump == 100.0f;
        EXPECT_EQ(loaded.options.objectScale, scaleGood ? c.scale : 1.0f) << c.scale;
        EXPECT_EQ(loaded.options.defaultBump, bumpGood ? c.bump : 0.2f) << c.bump;
        EXPECT_TRUE(loaded.options.flipZY);
        ASSERT_EQ(loaded.warnings.size(), c.warnings) << c.scale << " " << c.bump;
        if (!scaleGood) {
            EXPECT_NE(loaded.warnings[0].find("scale"), std::string::npos) << loaded.warnings[0];
        }
        saveOptions(loaded);
        ObjImporter again;
        copyBounded(again.configPath, path.c_str());
        ASSERT_TRUE(loadOptions(again));
        EXPECT_TRUE(again.warnings.empty());
    }
}

// Every rejected file leaves the options exactly as they were.
TEST_F(ConfigFixture, RejectedFilesChangeNothing) {
    importer.options.flipZY = true;
    saveOptions(importer);
    const std::string good = test::readFile(path);
    auto expectIgnored = [&](const std::string& bytes, const char* why) {
        dir.write("qf_objimp.cfg", bytes);
        ObjImporter fresh;
        copyBounded(fresh.configPath, path.c_str());
        EXPECT_FALSE(loadOptions(fresh)) << why;
        EXPECT_FALSE(fresh.options.flipZY) << why;
    };
    expectIgnored(good + "x", "one byte appended");
    std::string otherMark = good;
    otherMark[0] = 4;
    expectIgnored(otherMark, "format mark 4");
    expectIgnored(good.substr(0, 20), "cut short");
    std::string shortButConsistent = good.substr(0, 12);
    shortButConsistent[4] = 12;
    expectIgnored(shortButConsistent, "shorter than 29 bytes yet recording its length");
    expectIgnored("", "empty");
    ObjImporter missing;
    copyBounded(missing.configPath, dir.path("none.cfg").c_str());
    EXPECT_FALSE(loadOptions(missing));
}

// The options are written beside their file and put in its place; where nothing can be made
// beside it, in place, to the exact length. A save that fails says so and leaves nothing behind.
TEST_F(ConfigFixture, SavedWholeBesideOrInPlaceAndAFailureSaysSo) {
    copyBounded(importer.options.mapSearchPath, "/a/long/search/folder");
    ASSERT_TRUE(saveOptions(importer));
    // Its own name taken by a folder: written in place, and cut to its new length.
    const std::string temporary = path + "." + std::to_string(processId()) + ".tmp";
    std::filesystem::create_directory(temporary);
    importer.options.mapSearchPath[0] = '\0';
    importer.options.flipZY = true;
    EXPECT_TRUE(saveOptions(importer));
    EXPECT_EQ(test::readFile(path).size(), 29u);
    ObjImporter loaded;
    copyBounded(loaded.configPath, path.c_str());
    ASSERT_TRUE(loadOptions(loaded));
    EXPECT_TRUE(loaded.options.flipZY);
    std::filesystem::remove(temporary);

    // A folder where the file should be: nothing can take its place.
    ObjImporter intoFolder;
    const std::string folder = dir.path("folder.cfg");
    std::filesystem::create_directory(folder);
    copyBounded(intoFolder.configPath, folder.c_str());
    EXPECT_FALSE(saveOptions(intoFolder));
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path("")), {}), 2);
}

#if !defined(_WIN32)
TEST_F(ConfigFixture, ALinkKeepsPointingAtTheFileItNamesAndAPipeIsNotRead) {
    const std::string real = dir.path("real.cfg");
    std::filesystem::create_symlink(real, path);
    importer.options.flipZY = true;
    ASSERT_TRUE(saveOptions(importer));
    EXPECT_TRUE(std::filesystem::is_symlink(path));
    ObjImporter loaded;
    copyBounded(loaded.configPath, real.c_str());
    ASSERT_TRUE(loadOptions(loaded));
    EXPECT_TRUE(loaded.options.flipZY);

    // Opening a pipe nobody writes to would wait for ever.
    const std::string pipe = dir.path("pipe.cfg");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    ObjImporter fromPipe;
    copyBounded(fromPipe.configPath, pipe.c_str());
    EXPECT_FALSE(loadOptions(fromPipe));
}
#endif

TEST_F(ConfigFixture, SearchPathLengthIsBoundedByTheFieldAndTheFile) {
    saveOptions(importer);
    std::string bytes = test::readFile(path);
    // L claims 100000 characters, the file holds 300: the field takes 259.
    std::string text(300, 'p');
    bytes += text;
    const uint32_t total = uint32_t(bytes.size());
    std::memcpy(&bytes[4], &total, 4);
    const int32_t claimed = 100000;
    std::memcpy(&bytes[25], &claimed, 4);
    dir.write("qf_objimp.cfg", bytes);
    ASSERT_TRUE(loadOptions(importer));
    EXPECT_EQ(std::strlen(importer.options.mapSearchPath), size_t(kPathSize - 1));

    // L larger than what the file has: only the bytes that are there.
    bytes.resize(29 + 3);
    const uint32_t shortTotal = 32;
    std::memcpy(&bytes[4], &shortTotal, 4);
    dir.write("qf_objimp.cfg", bytes);
    ObjImporter other;
    copyBounded(other.configPath, path.c_str());
    ASSERT_TRUE(loadOptions(other));
    EXPECT_STREQ(other.options.mapSearchPath, "ppp");
}

#if defined(_WIN32)
// In a double-byte code page the second byte of a letter may be the byte of '\\' (katakana so,
// 0x83 0x5C, in Shift-JIS): the folders of the module and of the OBJ file end at real separators.
TEST(ConfigPath, WindowsDoubleByteFolders) {
    const std::string s = test::ansi(L"\u30bd");
    if (s.size() != 2 || s[1] != '\\') GTEST_SKIP() << "not a double-byte code page";
    char path[kPathSize];
    configPathBeside(("C:\\" + s + "\\qf" + s + ".dll").c_str(), path);
    EXPECT_EQ(std::string(path), "C:\\" + s + "\\qf_objimp.cfg");
    ObjImporter importer;
    setRunPaths(importer, ("C:\\" + s + "\\car" + s + ".obj").c_str());
    EXPECT_EQ(std::string(importer.objDirectory), "C:\\" + s + "\\");
    EXPECT_EQ(std::string(importer.baseName), "car" + s);
}
#endif

}  // namespace
}  // namespace qf
