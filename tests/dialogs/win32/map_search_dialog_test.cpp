// The map-search dialog under Wine: what it names, Skip, Escape and Enter, "dont bother me again",
// and "Add Search Path" through the folder chooser, cancelled and confirmed.
#include "dialogs/win32/map_search_dialog.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "controls/win32/folder_chooser.h"
#include "controls/win32/skin_core.h"
#include "scene/map_lookup.h"
#include "resources/control_ids.h"

namespace qf {
namespace {

// Steps run one after the other from a thread timer, which also fires inside the dialogs' own
// message loops; a step returns true when it is done.
std::vector<std::function<bool()>> g_steps;
size_t g_step = 0;

void CALLBACK runStep(HWND, UINT, UINT_PTR, DWORD) {
    if (g_step < g_steps.size() && g_steps[g_step]()) ++g_step;
}

struct Script {
    UINT_PTR timer;
    explicit Script(std::vector<std::function<bool()>> steps) {
        g_steps = std::move(steps);
        g_step = 0;
        timer = SetTimer(nullptr, 0, 60, runStep);
    }
    ~Script() { KillTimer(nullptr, timer); }
    bool finished() const { return g_step == g_steps.size(); }
};

HWND visibleWithChild(int id) {
    struct Find {
        int id;
        HWND found = nullptr;
    } find{id};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM p) -> BOOL {
            auto* f = reinterpret_cast<Find*>(p);
            if (IsWindowVisible(w) && GetDlgItem(w, f->id)) f->found = w;
            return f->found ? FALSE : TRUE;
        },
        reinterpret_cast<LPARAM>(&find));
    return find.found;
}
HWND mapSearch() { return visibleWithChild(IDC_ADD_SEARCH_PATH); }
HWND chooser() { return visibleWithChild(kChooserTreeId); }

std::string text(HWND w) {
    char buffer[512] = {};
    GetWindowTextA(w, buffer, sizeof buffer);
    return buffer;
}

std::string tempFolder(const char* name) {
    char base[MAX_PATH] = {};
    GetTempPathA(sizeof base, base);
    const std::string folder = std::string(base) + name;
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

struct MapSearchFixture : ::testing::Test {
    ObjImporter importer;
    void SetUp() override {
        ASSERT_EQ(RegisterSkinControls(GetModuleHandleA(nullptr)), 1);
        lstrcpynA(importer.missingMapName, "glass_tint.png", sizeof importer.missingMapName);
    }
    int ask() { return DialogMapSearch(GetModuleHandleA(nullptr), nullptr).askForMap(importer); }
};

TEST_F(MapSearchFixture, NamesTheMapAndEndsAsSkipOnEscapeButNotOnEnter) {
    std::string shown;
    bool stillOpenAfterEnter = false;
    Script script({
        [&] {
            HWND d = mapSearch();
            if (!d) return false;
            shown = text(GetDlgItem(d, IDC_MISSING_MAP));
            SendMessageA(d, WM_COMMAND, IDOK, 0);  // Enter
            return true;
        },
        [&] {
            HWND d = mapSearch();
            stillOpenAfterEnter = d != nullptr;
            if (d) SendMessageA(GetDlgItem(d, IDC_DONT_BOTHER), BM_CLICK, 0, 0);
            return true;
        },
        [&] {
            if (HWND d = mapSearch()) PostMessageA(d, WM_COMMAND, IDCANCEL, 0);  // Escape
            return true;
        },
    });
    EXPECT_EQ(ask(), 0);
    EXPECT_TRUE(script.finished());
    EXPECT_EQ(shown, "glass_tint.png");
    EXPECT_TRUE(stillOpenAfterEnter);
    EXPECT_FALSE(importer.askForMissingMaps);
}

TEST_F(MapSearchFixture, AddSearchPathKeepsTheDialogOpenUntilAFolderIsChosen) {
    const std::string root = tempFolder("qfmapsearch");
    tempFolder("qfmapsearch\\maps");
    tempFolder("qfmapsearch\\maps\\wood");
    lstrcpynA(importer.objDirectory, (root + "\\").c_str(), sizeof importer.objDirectory);
    std::string chooserStart;
    bool openAfterCancel = false;
    Script script({
        [&] {
            if (HWND d = mapSearch()) PostMessageA(GetDlgItem(d, IDC_ADD_SEARCH_PATH), BM_CLICK, 0, 0);
            return mapSearch() != nullptr;
        },
        [&] {
            HWND c = chooser();
            if (!c) return false;
            chooserStart = text(GetDlgItem(c, kChooserLabelId));
            PostMessageA(c, WM_COMMAND, IDCANCEL, 0);
            return true;
        },
        [&] {
            if (chooser()) return false;
            HWND d = mapSearch();
            openAfterCancel = d != nullptr;
            if (d) PostMessageA(GetDlgItem(d, IDC_ADD_SEARCH_PATH), BM_CLICK, 0, 0);
            return true;
        },
        [&] {
            HWND c = chooser();
            if (!c) return false;
            HWND tree = GetDlgItem(c, kChooserTreeId);
            auto caret = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
            SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(caret));
            auto maps = reinterpret_cast<HTREEITEM>(
                SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(caret)));
            SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(maps));
            HWND ok = GetDlgItem(c, IDOK);
            PostMessageA(ok, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
            PostMessageA(ok, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
            return true;
        },
    });
    EXPECT_EQ(ask(), 1);
    EXPECT_TRUE(script.finished());
    EXPECT_TRUE(openAfterCancel);
    // The chooser starts at the OBJ file's folder when no map was found yet.
    EXPECT_EQ(chooserStart.substr(chooserStart.size() - 11), "qfmapsearch");
    const std::string maps = root + "\\maps";
    EXPECT_EQ(std::string(importer.options.mapSearchPath), maps);
    expandSearchFolders(importer);  // the tree is walked when a lookup needs it: walk it now
    ASSERT_EQ(importer.mapSearchPaths.size(), 2u);
    EXPECT_EQ(importer.mapSearchPaths[0], maps);
    EXPECT_EQ(importer.mapSearchPaths[1], maps + "\\wood");
}

}  // namespace
}  // namespace qf
