// The command-line tool on Windows: paths as the user types them, in the ANSI code page. (Its other
// tests run the native build.)
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "qfobjimp/cli.h"
#include "support/test_support.h"

namespace qf {
namespace {

bool writeFile(const std::string& path, const std::string& text) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    return std::fclose(f) == 0 && written;
}

std::set<std::string> namesIn(const std::string& folder) {
    std::set<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        const std::string name = found.cFileName;
        if (name != "." && name != "..") names.insert(name);
    } while (FindNextFileA(find, &found));
    FindClose(find);
    return names;
}

int runTool(const std::vector<std::string>& arguments, std::string& out, std::string& err) {
    std::vector<const char*> argv{"qfobjimp"};
    for (const std::string& a : arguments) argv.push_back(a.c_str());
    std::ostringstream o, e;
    const int code = runCli(int(argv.size()), argv.data(), o, e);
    out = o.str();
    err = e.str();
    return code;
}

// The OBJ file, the scene written and the search folder are the files and folders the names give,
// whatever letters of the code page they hold: none is read or written under another spelling.
TEST(CliWindows, NamesInTheAnsiCodePageNameTheirOwnFiles) {
    const std::string folder = test::ansi(L"mod\u00e8les \u20ac"), obj = test::ansi(L"voiture\u00e9.obj"),
                      scene = test::ansi(L"sc\u00e8ne\u2019s.json"), maps = test::ansi(L"textures \u0153uvre");
    if (folder.empty() || obj.empty() || scene.empty() || maps.empty())
        GTEST_SKIP() << "code page without these letters";
    test::TempDir dir;
    const std::string at = dir.root() + "\\" + folder, mapsAt = dir.root() + "\\" + maps;
    ASSERT_TRUE(CreateDirectoryA(at.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(mapsAt.c_str(), nullptr));
    ASSERT_TRUE(writeFile(at + "\\" + obj, "mtllib m.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\ng a\nusemtl wood\nf 1 2 3\n"));
    ASSERT_TRUE(writeFile(at + "\\m.mtl", "newmtl wood\nmap_Kd wood.png\n"));
    ASSERT_TRUE(writeFile(mapsAt + "\\wood.png", "x"));

    std::string out, err;
    // The scene in a folder of ASCII letters: a name spelt otherwise would still be written there,
    // under a name nobody asked for.
    ASSERT_EQ(runTool({"import", at + "\\" + obj, "--scene", dir.root() + "\\" + scene, "--search-path", mapsAt,
                       "--config", dir.root() + "\\qf.cfg"},
                      out, err),
              0)
        << err;
    EXPECT_EQ(out.find("not found"), std::string::npos) << out;
    EXPECT_EQ(namesIn(dir.root()), (std::set<std::string>{folder, maps, scene}));
    EXPECT_NE(test::readFile(dir.root() + "\\" + scene).find("\"objects\""), std::string::npos);
}

}  // namespace
}  // namespace qf
