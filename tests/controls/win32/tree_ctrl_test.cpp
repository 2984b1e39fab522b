// The tree control's sheet and the folder chooser under Wine, driven with the messages mouse and
// keyboard would send.
#include "controls/win32/tree_ctrl.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "controls/win32/folder_chooser.h"
#include "controls/win32/message_box.h"
#include "controls/win32/skin_core.h"

namespace qf {
namespace {

std::vector<std::pair<WPARAM, UINT>> g_notifications;  // (wParam, code) the parent received

LRESULT CALLBACK TreeParentProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NOTIFY) g_notifications.emplace_back(wParam, reinterpret_cast<NMHDR*>(lParam)->code);
    return DefWindowProcA(w, message, wParam, lParam);
}

struct TreeFixture : ::testing::Test {
    // One visible parent for all the cases: ScrollWindowEx moves children only of shown windows.
    static inline HWND parent = nullptr;
    HWND host = nullptr, tree = nullptr;
    static constexpr int kClientW = 200, kClientH = 160;

    static void SetUpTestSuite() {
        RegisterSkinControls(GetModuleHandleA(nullptr));
        WNDCLASSA wc = {};
        wc.lpfnWndProc = TreeParentProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "qfTreeTestParent";
        RegisterClassA(&wc);
        parent = CreateWindowA("qfTreeTestParent", "", WS_POPUP | WS_VISIBLE, 50, 50, 400, 300, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    }
    static void TearDownTestSuite() { DestroyWindow(parent); }

    void SetUp() override {
        ASSERT_TRUE(parent);
        host = CreateWindowA("qfTreeCtrl", "", WS_CHILD | WS_VISIBLE, 10, 10, kClientW, kClientH, parent,
                             reinterpret_cast<HMENU>(INT_PTR(2003)), GetModuleHandleA(nullptr), nullptr);
        ASSERT_TRUE(host);
        tree = GetWindow(host, GW_CHILD);
        ASSERT_TRUE(tree);
        g_notifications.clear();
    }
    void TearDown() override { DestroyWindow(host); }

    HTREEITEM insert(const std::string& text, HTREEITEM under = TVI_ROOT) {
        TVINSERTSTRUCTA in = {};
        in.hParent = under;
        in.hInsertAfter = TVI_LAST;
        in.item.mask = TVIF_TEXT;
        in.item.pszText = const_cast<char*>(text.c_str());
        return reinterpret_cast<HTREEITEM>(SendMessageA(host, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&in)));
    }
    RECT treeRect() const {
        RECT r;
        GetWindowRect(tree, &r);
        MapWindowPoints(nullptr, host, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
    int itemHeight() const { return int(SendMessageA(host, TVM_GETITEMHEIGHT, 0, 0)); }
    // A wheel turn of the given delta, as the tree receives it.
    void wheel(int delta) {
        POINT screen{5, 5};
        ClientToScreen(host, &screen);
        SendMessageA(tree, WM_MOUSEWHEEL, WPARAM(static_cast<WORD>(static_cast<short>(delta))) << 16,
                     MAKELPARAM(screen.x, screen.y));
    }
    // A mouse message to the host at a point of its client area.
    void mouse(UINT message, WPARAM keys, int x, int y) { SendMessageA(host, message, keys, MAKELPARAM(x, y)); }
};

TEST_F(TreeFixture, SheetGrowsWithItsRowsAndFollowsTheSelection) {
    std::vector<HTREEITEM> items;
    for (int i = 0; i < 40; ++i) items.push_back(insert("item " + std::to_string(i)));
    const int h = itemHeight();
    ASSERT_GT(h, 0);
    RECT r = treeRect();
    EXPECT_EQ(r.bottom - r.top, 40 * h);
    EXPECT_EQ(r.right - r.left, kClientW + 40);
    EXPECT_EQ(r.top, 0);
    // Selecting a row below the view moves the sheet so that the row's bottom meets the client's.
    RECT row{};
    std::memcpy(&row, &items[35], sizeof items[35]);
    ASSERT_TRUE(SendMessageA(host, TVM_GETITEMRECT, FALSE, reinterpret_cast<LPARAM>(&row)));
    EXPECT_GE(row.top, 35 * h - 1);
    SendMessageA(host, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(items[35]));
    r = treeRect();
    EXPECT_EQ(r.top, kClientH - row.bottom);
    ASSERT_FALSE(g_notifications.empty());
    EXPECT_EQ(g_notifications.back(), (std::pair<WPARAM, UINT>{2003, TVN_SELCHANGEDA}));
    // Deleting rows shrinks the sheet, which moves back down to keep the view filled.
    for (int i = 10; i < 40; ++i) SendMessageA(host, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(items[size_t(i)]));
    r = treeRect();
    EXPECT_EQ(r.bottom - r.top, std::max(10 * h, kClientH));
    EXPECT_EQ(r.top, 0);
}

// Page Down and Page Up move the selection a page of the view at a time, not to the ends of the
// tree, and the sheet follows it.
TEST_F(TreeFixture, PageKeysMoveTheSelectionByAPageOfTheView) {
    std::vector<HTREEITEM> items;
    for (int i = 0; i < 40; ++i) items.push_back(insert("row " + std::to_string(i)));
    const int page = kClientH / itemHeight() - 1;
    ASSERT_GT(page, 1);
    auto selected = [&] {
        const auto caret = reinterpret_cast<HTREEITEM>(SendMessageA(host, TVM_GETNEXTITEM, TVGN_CARET, 0));
        return int(std::find(items.begin(), items.end(), caret) - items.begin());
    };
    SendMessageA(host, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(items[3]));
    SendMessageA(tree, WM_KEYDOWN, VK_NEXT, 0);
    EXPECT_EQ(selected(), 3 + page);
    SendMessageA(tree, WM_KEYDOWN, VK_NEXT, 0);
    EXPECT_EQ(selected(), 3 + 2 * page);
    RECT row{};
    std::memcpy(&row, &items[size_t(3 + 2 * page)], sizeof(HTREEITEM));
    SendMessageA(host, TVM_GETITEMRECT, FALSE, reinterpret_cast<LPARAM>(&row));
    EXPECT_LE(treeRect().top + row.bottom, kClientH);  // in sight
    SendMessageA(tree, WM_KEYDOWN, VK_PRIOR, 0);
    EXPECT_EQ(selected(), 3 + page);
    for (int i = 0; i < 10; ++i) SendMessageA(tree, WM_KEYDOWN, VK_NEXT, 0);
    EXPECT_EQ(selected(), 39);
    for (int i = 0; i < 10; ++i) SendMessageA(tree, WM_KEYDOWN, VK_PRIOR, 0);
    EXPECT_EQ(selected(), 0);
}

TEST_F(TreeFixture, WheelScrollsRowsWithinTheContent) {
    for (int i = 0; i < 30; ++i) insert("row " + std::to_string(i));
    const int h = itemHeight();
    // Two notches back: two rows further down the content.
    wheel(-240);
    EXPECT_EQ(treeRect().top, -2 * h);
    wheel(120);
    EXPECT_EQ(treeRect().top, -h);
    // Forward past the top: the content's top stays at the client's.
    wheel(600);
    EXPECT_EQ(treeRect().top, 0);
}

TEST_F(TreeFixture, MiddleButtonPanStopsAtTheContentEdgeAndRightClickRestoresIt) {
    for (int i = 0; i < 30; ++i) insert(std::string(60, char('a' + i % 26)) + " wide row");
    RECT start = treeRect();
    const int contentWidth = (start.right - start.left) - 40;
    ASSERT_GT(contentWidth, kClientW);
    // The press comes from the tree; the pan follows the pointer while the host holds the mouse.
    SendMessageA(tree, WM_MBUTTONDOWN, MK_MBUTTON, MAKELPARAM(100, 100));
    EXPECT_EQ(GetCapture(), host);
    mouse(WM_MOUSEMOVE, MK_MBUTTON, 100 - 30, 100 - 20);
    RECT r = treeRect();
    EXPECT_EQ(r.left, -30);
    EXPECT_EQ(r.top, -20);
    // Far to the left: the content's right edge stops at the client's right edge.
    mouse(WM_MOUSEMOVE, MK_MBUTTON, 100 - 2000, 100 - 20);
    r = treeRect();
    EXPECT_EQ(r.left + contentWidth, kClientW);
    // A right click during the pan puts the view back where the pan began.
    mouse(WM_RBUTTONDOWN, MK_RBUTTON | MK_MBUTTON, 0, 0);
    EXPECT_NE(GetCapture(), host);
    r = treeRect();
    EXPECT_EQ(r.left, start.left);
    EXPECT_EQ(r.top, start.top);
    // Released normally, the view stays where it was moved.
    SendMessageA(tree, WM_MBUTTONDOWN, MK_MBUTTON, MAKELPARAM(100, 100));
    mouse(WM_MOUSEMOVE, MK_MBUTTON, 90, 60);
    mouse(WM_MBUTTONUP, 0, 90, 60);
    EXPECT_EQ(treeRect().top, -40);
    EXPECT_EQ(SendMessageA(host, TRCM_WASSHIFTED, 0, 0), 0);
}

// ---- the folder chooser ----

std::string tempFolder(const char* name) {
    char base[MAX_PATH] = {};
    GetTempPathA(sizeof base, base);
    return std::string(base) + name;
}

void makeFolder(const std::string& path, DWORD attributes = 0) {
    CreateDirectoryA(path.c_str(), nullptr);
    if (attributes) SetFileAttributesA(path.c_str(), attributes);
}

HWND g_chooser = nullptr;
std::function<void(HWND)> g_whileOpen;

BOOL CALLBACK findChooser(HWND w, LPARAM) {
    if (IsWindowVisible(w) && GetDlgItem(w, kChooserTreeId)) {
        g_chooser = w;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK onChooserTimer(HWND, UINT, UINT_PTR id, DWORD) {
    g_chooser = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), findChooser, 0);
    if (!g_chooser) return;  // not up yet: the timer comes again
    KillTimer(nullptr, id);
    g_whileOpen(g_chooser);
}

// Runs the chooser from path; act is called once with the open dialog.
int choose(char (&path)[MAX_PATH], std::function<void(HWND)> act) {
    g_whileOpen = std::move(act);
    SetTimer(nullptr, 0, 100, onChooserTimer);
    return ChooseFolder(nullptr, path, sizeof path);
}

std::string windowText(HWND w) {
    char text[1024] = {};
    GetWindowTextA(w, text, sizeof text);
    return text;
}

struct ChooserState {
    std::string caretText;
    std::string label;
    bool caretHasChildren = true;
    SIZE size{};
    MINMAXINFO limits{};
};

ChooserState look(HWND dialog) {
    ChooserState s;
    HWND tree = GetDlgItem(dialog, kChooserTreeId);
    auto caret = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    char text[128] = {};
    TVITEMA item = {};
    item.mask = TVIF_TEXT | TVIF_HANDLE;
    item.hItem = caret;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    s.caretText = text;
    SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(caret));
    s.caretHasChildren = SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(caret)) != 0;
    s.label = windowText(GetDlgItem(dialog, kChooserLabelId));
    RECT r;
    GetWindowRect(dialog, &r);
    s.size = {r.right - r.left, r.bottom - r.top};
    SendMessageA(dialog, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&s.limits));
    return s;
}

// What the label shows for a path: the path fitted to the label in the skin's font.
std::string fitted(HWND label, std::string path) {
    RECT client;
    GetClientRect(label, &client);
    path.resize(path.size() + 8);
    HDC dc = GetDC(label);
    HGDIOBJ old = SelectObject(dc, GetSkinFont(0));
    FitPathToWidth(dc, path.data(), path.size(), client.right);
    SelectObject(dc, old);
    ReleaseDC(label, dc);
    return path.c_str();
}

TEST(FolderChooser, OpensAsDeepAsThePathExistsAndACancelKeepsThePath) {
    ASSERT_EQ(RegisterSkinControls(GetModuleHandleA(nullptr)), 1);
    const std::string root = tempFolder("qfchooser");
    makeFolder(root);
    makeFolder(root + "\\Maps");
    makeFolder(root + "\\Maps\\.only_hidden", FILE_ATTRIBUTE_HIDDEN);
    std::string start = root + "/Maps/Wood";
    for (char& c : start)
        if (c == '\\') c = '/';
    char path[MAX_PATH];
    lstrcpynA(path, start.c_str(), sizeof path);
    ChooserState seen;
    std::string expectedLabel;
    const int result = choose(path, [&](HWND dialog) {
        seen = look(dialog);
        expectedLabel = fitted(GetDlgItem(dialog, kChooserLabelId), root + "\\Maps");
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(std::string(path), root + "\\Maps\\Wood");
    EXPECT_EQ(seen.caretText, "Maps");
    // A folder whose only subfolder is hidden has nothing to open.
    EXPECT_FALSE(seen.caretHasChildren);
    EXPECT_EQ(seen.label, expectedLabel);
    EXPECT_EQ(seen.size.cx, 340);
    EXPECT_EQ(seen.size.cy, 510);
    EXPECT_EQ(seen.limits.ptMinTrackSize.x, 240);
    EXPECT_EQ(seen.limits.ptMinTrackSize.y, 220);
}

// Folder names ignore letter case: a path typed in other case opens the folders it names.
TEST(FolderChooser, APathTypedInOtherLetterCaseOpensItsFolders) {
    ASSERT_EQ(RegisterSkinControls(GetModuleHandleA(nullptr)), 1);
    const std::string root = tempFolder("qfchooser_case");
    makeFolder(root);
    makeFolder(root + "\\Maps");
    std::string start = root + "\\maps";
    CharLowerBuffA(start.data(), DWORD(start.size()));  // the drive letter too
    char path[MAX_PATH];
    lstrcpynA(path, start.c_str(), sizeof path);
    ChooserState seen;
    std::string expectedLabel;
    choose(path, [&](HWND dialog) {
        seen = look(dialog);
        expectedLabel = fitted(GetDlgItem(dialog, kChooserLabelId), root + "\\Maps");
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(seen.caretText, "Maps");
    EXPECT_EQ(seen.label, expectedLabel);
}

TEST(FolderChooser, OkConfirmsTheSelectedFolderAndKeepsItsButtonInTheCornerWhenResized) {
    ASSERT_EQ(RegisterSkinControls(GetModuleHandleA(nullptr)), 1);
    const std::string root = tempFolder("qfchooser2");
    makeFolder(root);
    makeFolder(root + "\\Maps");
    makeFolder(root + "\\Other");
    char path[MAX_PATH];
    lstrcpynA(path, root.c_str(), sizeof path);
    RECT okAfterResize{};
    RECT client{};
    const int result = choose(path, [&](HWND dialog) {
        HWND tree = GetDlgItem(dialog, kChooserTreeId);
        auto caret = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
        SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(caret));
        auto child = reinterpret_cast<HTREEITEM>(
            SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(caret)));
        char text[128] = {};
        TVITEMA item = {TVIF_TEXT | TVIF_HANDLE, child, 0, 0, text, sizeof text, 0, 0, 0, 0};
        for (; child; child = reinterpret_cast<HTREEITEM>(
                          SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(child)))) {
            item.hItem = child;
            SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
            if (lstrcmpA(text, "Other") == 0) break;
        }
        SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(child));
        SetWindowPos(dialog, nullptr, 0, 0, 420, 600, SWP_NOMOVE | SWP_NOZORDER);
        GetClientRect(dialog, &client);
        HWND ok = GetDlgItem(dialog, 1);
        GetWindowRect(ok, &okAfterResize);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&okAfterResize), 2);
        SendMessageA(ok, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        SendMessageA(ok, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(std::string(path), root + "\\Other");
    EXPECT_EQ(okAfterResize.left, client.right - 87);
    EXPECT_EQ(okAfterResize.top, client.bottom - 47);
}

// Folder names run to 255 characters: the chooser opens the path through such a folder and gives
// back its whole name.
TEST(FolderChooser, LongFolderNamesAreSelectedAndReturnedWhole) {
    ASSERT_EQ(RegisterSkinControls(GetModuleHandleA(nullptr)), 1);
    const std::string root = tempFolder("qfchooser3");
    const std::string name = std::string(150, 'n') + " maps";
    makeFolder(root);
    makeFolder(root + "\\" + name);
    ASSERT_LT(root.size() + 1 + name.size(), size_t(MAX_PATH));
    char path[MAX_PATH];
    lstrcpynA(path, (root + "\\" + name).c_str(), sizeof path);
    std::string caret;
    const int result = choose(path, [&](HWND dialog) {
        caret = look(dialog).caretText;
        SendMessageA(GetDlgItem(dialog, 1), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        SendMessageA(GetDlgItem(dialog, 1), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(std::string(path), root + "\\" + name);
    EXPECT_EQ(caret.substr(0, 10), name.substr(0, 10));
    RemoveDirectoryA((root + "\\" + name).c_str());
}

}  // namespace
}  // namespace qf
