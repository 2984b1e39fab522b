#include "scene/map_lookup.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "materials/mtl_reader.h"
#include "model/fixed_text.h"
#include "support/test_support.h"

namespace qf {
namespace {

struct LookupFixture : ::testing::Test {
    test::TempDir dir;
    ObjImporter imp;
    NoMapSearch noSearch;
    bool find(const char* name, std::string& found) {
        MtlMap map;
        copyBounded(map.fileName, name);
        char path[kPathSize];
        bool ok = findMap(imp, map, path, noSearch);
        found = path;
        return ok;
    }
};

TEST_F(LookupFixture, BesideTheLibraryFirstThenTheLastFolderThenTheList) {
    dir.write("lib/wood.jpg", "");
    dir.write("lib/tex/grain.jpg", "");
    dir.write("tex/up.jpg", "");
    dir.write("one/stone.jpg", "");
    dir.write("two/stone.jpg", "");
    dir.write("two/brick.jpg", "");
    dir.write("three/brick.jpg", "");
    setCurrentMtlFolder((dir.root() + "/lib/").c_str());
    std::string found;
    ASSERT_TRUE(find("wood.jpg", found));
    EXPECT_EQ(test::slashed(found), test::slashed(dir.root() + "/lib/wood.jpg"));
    ASSERT_TRUE(find("tex\\grain.jpg", found));
    EXPECT_EQ(test::slashed(found), test::slashed(dir.root() + "/lib/tex/grain.jpg"));
    ASSERT_TRUE(find("..\\tex\\up.jpg", found));
    EXPECT_EQ(test::slashed(found), test::slashed(dir.root() + "/tex/up.jpg"));
    ASSERT_TRUE(find((dir.root() + "/one/stone.jpg").c_str(), found));  // an absolute name

    EXPECT_FALSE(find("elsewhere\\brick.jpg", found));
    EXPECT_EQ(test::slashed(found), test::slashed("elsewhere/brick.jpg"));
    EXPECT_STREQ(imp.missingMapName, "brick.jpg");

    addSearchPath(imp, dir.path("three").c_str());
    addSearchPath(imp, dir.path("two").c_str());
    ASSERT_TRUE(find("x/brick.jpg", found));
    EXPECT_EQ(test::slashed(found), test::slashed(dir.path("three") + "/brick.jpg"));
    EXPECT_EQ(test::slashed(imp.lastMapFolder), test::slashed(dir.path("three")));
    addSearchPath(imp, dir.path("one").c_str());
    ASSERT_TRUE(find("stone.jpg", found));
    EXPECT_EQ(test::slashed(found), test::slashed(dir.path("two") + "/stone.jpg"));  // the list in order: two before one
    ASSERT_TRUE(find("brick.jpg", found));
    EXPECT_EQ(test::slashed(found), test::slashed(dir.path("two") + "/brick.jpg"));  // the last folder first
}

TEST_F(LookupFixture, SearchTreesSkipHiddenFoldersAndRepeatsAndLinkLoops) {
    dir.write("root/a/deep/x.txt", "");
    dir.write("root/.hidden/inner/y.txt", "");
    dir.write("root/b/z.txt", "");
#if !defined(_WIN32)
    std::filesystem::create_directory_symlink(dir.path("root"), dir.path("root/b/loop"));
#endif
    addSearchTree(imp, dir.path("root").c_str());
    std::vector<std::string> rel;
    for (const auto& p : imp.mapSearchPaths) {
        std::string r = p.substr(dir.root().size());
        for (char& c : r)
            if (c == '\\') c = '/';
        rel.push_back(r);
    }
    std::sort(rel.begin() + 1, rel.end());
#if !defined(_WIN32)
    EXPECT_EQ(rel, (std::vector<std::string>{"/root", "/root/a", "/root/a/deep", "/root/b", "/root/b/loop"}));
#endif
    const size_t before = imp.mapSearchPaths.size();
    std::string upper = dir.path("root");
    upper.replace(upper.size() - 4, 4, "ROOT");
    addSearchPath(imp, upper.c_str());
    EXPECT_EQ(imp.mapSearchPaths.size(), before);
}

TEST_F(LookupFixture, TheQuestionIsAskedAgainUntilTheMapTurnsUpOrTheUserGivesUp) {
    struct Answers final : MapSearchUi {
        std::vector<std::string> folders;
        int asked = 0;
        int askForMap(ObjImporter& importer) override {
            ++asked;
            if (folders.empty()) return 0;
            useChosenSearchFolder(importer, folders.front().c_str());
            folders.erase(folders.begin());
            return 1;
        }
    } ui;
    dir.write("b/map.png", "");
    dir.write("a/other.png", "");
    setCurrentMtlFolder((dir.root() + "/nowhere/").c_str());
    ui.folders = {dir.path("a"), dir.path("b")};
    MtlMap map;
    copyBounded(map.fileName, "map.png");
    char path[kPathSize];
    EXPECT_TRUE(findMap(imp, map, path, ui));
    EXPECT_EQ(ui.asked, 2);
    EXPECT_STREQ(imp.options.mapSearchPath, dir.path("b").c_str());
    copyBounded(map.fileName, "gone.png");
    EXPECT_FALSE(findMap(imp, map, path, ui));
    EXPECT_EQ(ui.asked, 3);
    imp.askForMissingMaps = false;
    EXPECT_FALSE(findMap(imp, map, path, ui));
    EXPECT_EQ(ui.asked, 3);
}

}  // namespace
}  // namespace qf
