#include "scene/map_lookup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "materials/mtl_reader.h"
#include "model/fixed_text.h"
#include "support/test_support.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace qf {
namespace {

struct LookupFixture : ::testing::Test {
    test::TempDir dir;
    ObjImporter imp;
    NoMapSearch noSearch;
    MtlMap map;
    bool find(const char* name, std::string& found) {
        copyBounded(map.fileName, name);
        char path[kPathSize];
        bool ok = findMap(imp, map, path, noSearch);
        found = path;
        return ok;
    }
    std::string found(const char* name) {
        std::string path;
        return find(name, path) ? test::slashed(path) : "(missing) " + path;
    }
    std::string at(const std::string& relative) const { return test::slashed(dir.path(relative)); }
    void TearDown() override { setCurrentMtlFolder(""); }
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
    EXPECT_EQ(found("wood.jpg"), at("lib/wood.jpg"));
    EXPECT_EQ(found("tex\\grain.jpg"), at("lib/tex/grain.jpg"));
    EXPECT_EQ(found("..\\tex\\up.jpg"), at("tex/up.jpg"));
    EXPECT_EQ(found((dir.root() + "/one/stone.jpg").c_str()), at("one/stone.jpg"));  // an absolute name

    EXPECT_EQ(found("elsewhere\\brick.jpg"), "(missing) elsewhere/brick.jpg");
    EXPECT_STREQ(imp.missingMapName, "brick.jpg");

    addSearchPath(imp, dir.path("three").c_str());
    addSearchPath(imp, dir.path("two").c_str());
    EXPECT_EQ(found("x/brick.jpg"), at("three/brick.jpg"));
    EXPECT_EQ(test::slashed(imp.lastMapFolder), at("three"));
    addSearchPath(imp, dir.path("one").c_str());
    EXPECT_EQ(found("stone.jpg"), at("two/stone.jpg"));  // the list in order: two before one
    EXPECT_EQ(found("brick.jpg"), at("two/brick.jpg"));  // the last folder first
    const MapLookupResult* result = mapLookupResult(imp, map);
    ASSERT_TRUE(result);
    EXPECT_TRUE(result->found);
    EXPECT_EQ(test::slashed(result->path), at("two/brick.jpg"));
}

// A folder named by "." or ".." at its end is another folder than its neighbour (Windows drops the
// dots at the end of a name, never these): both are listed, and each one's maps are found in it.
TEST_F(LookupFixture, FoldersEndingInDotAndDotDotAreTwoFolders) {
    dir.write("one/deep/brick.jpg", "");
    dir.write("one/stone.jpg", "");
    setCurrentMtlFolder((dir.root() + "/lib/").c_str());
    addSearchPath(imp, dir.path("one/deep/.").c_str());
    addSearchPath(imp, dir.path("one/deep/..").c_str());
    EXPECT_EQ(found("stone.jpg"), at("one/deep/../stone.jpg"));
    EXPECT_EQ(found("brick.jpg"), at("one/deep/./brick.jpg"));
    EXPECT_EQ(imp.mapSearchPaths.size(), 2u);
}

#if !defined(_WIN32)
// (Windows' own file system ignores letter case: there the lookup gets it from the system.)
TEST_F(LookupFixture, LetterCaseIsIgnoredInEveryPartAndTheExactSpellingWins) {
    dir.write("lib/textures/wood.tga", "");
    dir.write("lib/a/Stone.png", "");
    dir.write("lib/a/stone.png", "");
    dir.write("lib/Maps/only_upper.png", "");
    dir.write("lib/maps/only_lower.png", "");
    dir.write("other/Grain.JPG", "");
    dir.write("other/Bark.png", "");
    dir.write("other/bark.png", "");
    setCurrentMtlFolder((dir.root() + "/lib/").c_str());
    EXPECT_EQ(found("TEXTURES\\Wood.TGA"), at("lib/textures/wood.tga"));
    EXPECT_EQ(found("a/stone.png"), at("lib/a/stone.png"));
    EXPECT_EQ(found("a/Stone.png"), at("lib/a/Stone.png"));
    EXPECT_EQ(found("A/STONE.PNG"), at("lib/a/Stone.png"));  // neither exact: the first in byte order
    // Two folders differing in case: the one holding the file is found, whichever comes first.
    EXPECT_EQ(found("MAPS/only_lower.png"), at("lib/maps/only_lower.png"));
    EXPECT_EQ(found("MAPS/only_upper.png"), at("lib/Maps/only_upper.png"));

    addSearchPath(imp, dir.path("other").c_str());
    EXPECT_EQ(found("x/grain.jpg"), at("other/Grain.JPG"));
    EXPECT_EQ(found("GRAIN.jpg"), at("other/Grain.JPG"));  // through the folder of the last find
    EXPECT_EQ(found("bark.png"), at("other/bark.png"));
    EXPECT_EQ(found("Bark.png"), at("other/Bark.png"));
    EXPECT_EQ(found("BARK.PNG"), at("other/Bark.png"));
}
#endif

TEST_F(LookupFixture, SearchTreesAreWalkedOnlyAsFarAsALookupNeeds) {
    dir.write("lib/beside.png", "");
    dir.write("root/first.png", "");
    dir.write("root/b/z.txt", "");
    dir.write("root/c/y.txt", "");
    setCurrentMtlFolder((dir.root() + "/lib/").c_str());
    addSearchTree(imp, dir.path("root").c_str());
    EXPECT_EQ(found("beside.png"), at("lib/beside.png"));
    EXPECT_TRUE(imp.mapSearchPaths.empty());  // nothing walked yet
    dir.write("root/a/deep/x.txt", "");
    EXPECT_EQ(found("first.png"), at("root/first.png"));
    EXPECT_EQ(imp.mapSearchPaths.size(), 1u);  // the tree's top only
    EXPECT_EQ(found("gone.png"), "(missing) gone.png");
    EXPECT_EQ(imp.mapSearchPaths.size(), 5u);
    const MapLookupResult* missing = mapLookupResult(imp, map);
    ASSERT_TRUE(missing);
    EXPECT_FALSE(missing->found);
    EXPECT_EQ(test::slashed(missing->places), at("lib/") + ", " + at("root") + " and the 4 folders below it");
}

TEST_F(LookupFixture, TreesSkipHiddenFoldersAndRepeatsAndLinkLoops) {
    dir.write("root/a/deep/x.txt", "");
    dir.write("root/.hidden/inner/y.txt", "");
    dir.write("root/b/z.txt", "");
#if !defined(_WIN32)
    std::filesystem::create_directory_symlink(dir.path("root"), dir.path("root/b/loop"));
#endif
    addSearchTree(imp, dir.path("root").c_str());
    std::string upper = dir.path("root");
    upper.replace(upper.size() - 4, 4, "ROOT");
    addSearchPath(imp, upper.c_str());  // the same folder in other letter case
    addSearchTree(imp, dir.path("root/a").c_str());
    expandSearchFolders(imp);
    std::vector<std::string> relative;
    for (const auto& p : imp.mapSearchPaths) relative.push_back(test::slashed(p.substr(dir.root().size())));
    std::sort(relative.begin() + 1, relative.end());
#if !defined(_WIN32)
    EXPECT_EQ(relative, (std::vector<std::string>{"/root", "/root/a", "/root/a/deep", "/root/b", "/root/b/loop"}));
#else
    // Whether a dot hides a folder is the system's matter there; a folder is listed once.
    EXPECT_EQ(std::set<std::string>(relative.begin(), relative.end()).size(), relative.size());
    EXPECT_EQ(std::count(relative.begin(), relative.end(), "/root/a"), 1);
#endif
}

TEST_F(LookupFixture, ACancelledRunStopsWalking) {
    dir.write("root/a/map.png", "");
    addSearchTree(imp, dir.path("root").c_str());
    imp.aborted = true;
    EXPECT_EQ(found("map.png"), "(missing) map.png");
    EXPECT_TRUE(imp.mapSearchPaths.empty());
}

#if !defined(_WIN32)
// A FIFO would block the open and a device would never end: neither counts as a map's file.
TEST_F(LookupFixture, MapsThatAreNoRegularFilesAreNotFound) {
    ASSERT_EQ(mkfifo(dir.path("fifo.png").c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/zero", dir.path("zero.png"));
    setCurrentMtlFolder((dir.root() + "/").c_str());
    std::string found;
    EXPECT_FALSE(find("fifo.png", found));
    EXPECT_FALSE(find("zero.png", found));
    ASSERT_EQ(imp.warnings.size(), 2u);
    EXPECT_EQ(imp.warnings[0], "not a regular file (a device or a pipe): \"" + dir.path("fifo.png") + "\"");

    // Nor in a search folder, whether named exactly or in other letter case, nor in the folder
    // of the last find: the real file further down the list is taken.
    dir.write("one/stone.png", "");
    dir.write("two/pipe.png", "");
    dir.write("two/zero.png", "");
    ASSERT_EQ(mkfifo(dir.path("one/Pipe.png").c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/zero", dir.path("one/zero.png"));
    setCurrentMtlFolder((dir.root() + "/lib/").c_str());
    addSearchPath(imp, dir.path("one").c_str());
    addSearchPath(imp, dir.path("two").c_str());
    EXPECT_EQ(this->found("ZERO.png"), at("two/zero.png"));
    EXPECT_EQ(this->found("stone.png"), at("one/stone.png"));
    EXPECT_EQ(this->found("pipe.png"), at("two/pipe.png"));  // not one/Pipe.png, the last folder's
}
#endif

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

#if !defined(_WIN32)
// Folders beside the library are listed once for the maps of a run, but listed anew once the user
// chose a folder to look on: a file put in place meanwhile, spelled in another case, is found.
TEST_F(LookupFixture, AFilePutInPlaceWhileTheUserIsAskedIsFoundInAnyCase) {
    struct PutsTheFileInPlace final : MapSearchUi {
        test::TempDir* dir;
        int asked = 0;
        int askForMap(ObjImporter& importer) override {
            if (asked++ > 0) return 0;
            dir->write("lib/tex/wood.tga", "");
            useChosenSearchFolder(importer, dir->path("empty").c_str());
            return 1;
        }
    } ui;
    ui.dir = &dir;
    dir.write("lib/tex/other.tga", "");
    dir.write("empty/.keep", "");
    setCurrentMtlFolder((dir.root() + "/lib/").c_str());
    EXPECT_EQ(found("Tex\\Other.TGA"), at("lib/tex/other.tga"));  // lib and lib/tex are listed here
    copyBounded(map.fileName, "Tex\\Wood.TGA");
    char path[kPathSize];
    EXPECT_TRUE(findMap(imp, map, path, ui));
    EXPECT_EQ(test::slashed(path), at("lib/tex/wood.tga"));
    EXPECT_EQ(ui.asked, 1);
}
#endif

#if defined(_WIN32)
using test::ansi;

void makeFile(const std::string& path) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << path;
    CloseHandle(h);
}

// Files and folders named in the ANSI code page are found in the search trees, in any letter
// case, as fopen finds them beside the library.
TEST_F(LookupFixture, WindowsAnsiNamesAreFoundInSearchTrees) {
    const std::string stone = ansi(L"pierre\u00e9.jpg"), upperStone = ansi(L"PIERRE\u00c9.JPG"),
                      euro = ansi(L"\u20ac.png"), accentedFolder = ansi(L"sous-dossi\u00e9r"),
                      euroFolder = ansi(L"\u20acuro"), beside = ansi(L"\u0160a.tga");
    if (stone.empty() || upperStone.empty() || euro.empty() || beside.empty() || accentedFolder.empty() ||
        euroFolder.empty())
        GTEST_SKIP() << "code page without these letters";
    dir.write("lib/x.txt", "");
    dir.write("search/x.txt", "");
    makeFile(dir.path("lib/" + beside));
    makeFile(dir.path("search/" + stone));
    ASSERT_TRUE(CreateDirectoryA(dir.path("search/" + accentedFolder).c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(dir.path("search/" + euroFolder).c_str(), nullptr));
    makeFile(dir.path("search/" + accentedFolder + "/deep.jpg"));
    makeFile(dir.path("search/" + euroFolder + "/" + euro));
    setCurrentMtlFolder((dir.root() + "/lib/").c_str());
    EXPECT_EQ(found(beside.c_str()), at("lib/" + beside));
    addSearchTree(imp, dir.path("search").c_str());
    EXPECT_EQ(found(("x\\" + stone).c_str()), at("search/" + stone));
    imp.lastMapFolder[0] = '\0';
    EXPECT_EQ(found(upperStone.c_str()), at("search/" + upperStone));  // the name as written, as fopen takes it
    EXPECT_EQ(found("deep.jpg"), at("search/" + accentedFolder + "/deep.jpg"));
    EXPECT_EQ(found(euro.c_str()), at("search/" + euroFolder + "/" + euro));
    expandSearchFolders(imp);
    std::set<std::string> listed;
    for (const std::string& folder : imp.mapSearchPaths) listed.insert(test::slashed(folder));
    EXPECT_EQ(listed,
              (std::set<std::string>{at("search"), at("search/" + accentedFolder), at("search/" + euroFolder)}));
    // A folder added again in other letter case (beyond ASCII too) is listed once.
    addSearchPath(imp, dir.path("SEARCH/" + ansi(L"SOUS-DOSSI\u00c9R")).c_str());
    expandSearchFolders(imp);
    EXPECT_EQ(imp.mapSearchPaths.size(), 3u);
}

// Double-byte letters whose second byte is the byte of '\\' (katakana so, 0x83 0x5C, in Shift-JIS)
// in the names of maps and of their folders, beside the library and in search trees.
TEST_F(LookupFixture, WindowsDoubleByteNamesAreFound) {
    const std::string so = ansi(L"\u30bd"), table = ansi(L"\u8868");
    if (so.size() != 2 || table.size() != 2 || so[1] != '\\') GTEST_SKIP() << "not a double-byte code page";
    dir.write("lib/x.txt", "");
    dir.write("search/x.txt", "");
    setCurrentMtlFolder((dir.root() + "/lib/").c_str());
    EXPECT_EQ(found((table + "\\" + so + "2.jpg").c_str()), "(missing) " + table + "/" + so + "2.jpg");
    EXPECT_EQ(imp.missingMapName, so + "2.jpg");
    // (Wine without the system's locale for the code page cannot store such names.)
    if (!CreateDirectoryA(dir.path("lib/" + table).c_str(), nullptr))
        GTEST_SKIP() << "the file system takes no such names";
    ASSERT_TRUE(CreateDirectoryA(dir.path("search/" + table).c_str(), nullptr));
    makeFile(dir.path("lib/" + so + ".jpg"));
    makeFile(dir.path("lib/" + table + "/" + so + ".jpg"));
    makeFile(dir.path("search/" + table + "/" + so + so + ".png"));
    EXPECT_EQ(found((so + ".jpg").c_str()), at("lib/" + so + ".jpg"));
    EXPECT_EQ(found((table + "\\" + so + ".jpg").c_str()), at("lib/" + table + "/" + so + ".jpg"));
    addSearchTree(imp, dir.path("search").c_str());
    EXPECT_EQ(found((so + so + ".png").c_str()), at("search/" + table + "/" + so + so + ".png"));
}

// Windows drops the dots and blanks at the end of a name: so does the search.
TEST_F(LookupFixture, WindowsTrailingDotsAndBlanksAreDropped) {
    dir.write("search/wood.jpg", "");
    setCurrentMtlFolder((dir.root() + "/lib/").c_str());
    addSearchTree(imp, dir.path("search").c_str());
    EXPECT_EQ(found("wood.jpg."), at("search/wood.jpg."));
    imp.lastMapFolder[0] = '\0';
    EXPECT_EQ(found("Wood.JPG. "), at("search/Wood.JPG. "));
}

// A drive chosen in the folder chooser ("C:") is searched from its root, not from the current
// folder the process has on that drive.
TEST_F(LookupFixture, WindowsADriveAloneIsSearchedFromItsRoot) {
    const std::string drive = dir.root().substr(0, 2);
    ASSERT_EQ(drive[1], ':');
    const std::string name = "qf-root-" + std::to_string(GetCurrentProcessId()) + ".jpg";
    const std::string atRoot = drive + "\\" + name;
    HANDLE h = CreateFileA(atRoot.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) GTEST_SKIP() << "the drive's root cannot be written";
    CloseHandle(h);
    dir.write("cwd/elsewhere.jpg", "");
    char saved[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, saved);
    ASSERT_TRUE(SetCurrentDirectoryA(dir.path("cwd").c_str()));
    setCurrentMtlFolder((dir.root() + "/lib/").c_str());
    addSearchTree(imp, drive.c_str());
    const std::string rooted = found(name.c_str());
    SetCurrentDirectoryA(saved);
    DeleteFileA(atRoot.c_str());
    EXPECT_EQ(rooted, test::slashed(atRoot));
}
#endif

}  // namespace
}  // namespace qf
