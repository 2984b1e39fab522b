// The popup menu and the in-place editor, opened over a test window and driven by messages (run
// under Wine).
#include <gtest/gtest.h>

#include <string>

#include "controls/skin_metrics.h"
#include "controls/win32/popup_menu.h"
#include "controls/win32/simple_controls.h"
#include "controls/win32/skin_core.h"
#include "support/win32_harness.h"

namespace qf {
namespace {

using test::pump;

struct MenuTest : ::testing::Test {
    test::TestParent parent;
    HWND menu = nullptr;
    // "One", a separator and "Two" at (300, 300) on the screen.
    void open() {
        MenuDescription d;
        d.position = {300, 300};
        d.entries.push_back(std::make_unique<qfMenuData>(41, "One"));
        d.entries.push_back(nullptr);
        d.entries.push_back(std::make_unique<qfMenuData>(42, "Two"));
        menu = OpenPopupMenu(parent.window(), d);
        ASSERT_NE(menu, nullptr);
        EXPECT_TRUE(d.entries.empty());  // taken over
        pump();
    }
    int rowHeight() const {
        RECT r;
        GetClientRect(menu, &r);
        return (r.bottom - 2 - 1) / 2;
    }
    LPARAM inTwo() const { return MAKELPARAM(12, 1 + rowHeight() + 1 + rowHeight() / 2); }
    bool closed() const { return !IsWindow(menu); }
};

TEST_F(MenuTest, ClickOnAnItemSendsItsIdAndCloses) {
    open();
    RECT r;
    GetWindowRect(menu, &r);
    EXPECT_EQ(r.left, 300);
    EXPECT_EQ(r.top, 300);
    SendMessageA(menu, WM_LBUTTONUP, 0, inTwo());
    pump();
    EXPECT_TRUE(closed());
    ASSERT_EQ(parent.commands().size(), 1u);
    EXPECT_EQ(parent.commands()[0].id, 42);
}

TEST_F(MenuTest, ClickOutsideEscapeEnterAndDeactivationCloseWithoutAChoice) {
    open();
    SendMessageA(menu, WM_LBUTTONUP, 0, MAKELPARAM(12, 1 + rowHeight()));  // the separator: nothing
    SendMessageA(menu, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));     // inside: nothing
    pump();
    EXPECT_FALSE(closed());
    SendMessageA(menu, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(static_cast<WORD>(-20), 5));
    pump();
    EXPECT_TRUE(closed());
    open();
    SendMessageA(menu, WM_CHAR, VK_ESCAPE, 0);
    pump();
    EXPECT_TRUE(closed());
    open();
    SendMessageA(menu, WM_CHAR, 'a', 0);
    pump();
    EXPECT_FALSE(closed());
    SendMessageA(menu, WM_CHAR, VK_RETURN, 0);
    pump();
    EXPECT_TRUE(closed());
    open();
    SendMessageA(menu, WM_ACTIVATE, WA_INACTIVE, 0);
    pump();
    EXPECT_TRUE(closed());
    EXPECT_TRUE(parent.commands().empty());
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(MenuTest, HotItemStaysLitOverTheSeparator) {
    open();
    auto lit = [&] {
        UpdateWindow(menu);
        HDC dc = GetDC(menu);
        const COLORREF c = GetPixel(dc, 3, 1 + rowHeight() / 2);
        ReleaseDC(menu, dc);
        return c == GetSkinColor(kHighlight);
    };
    EXPECT_FALSE(lit());
    SendMessageA(menu, WM_MOUSEMOVE, 0, MAKELPARAM(12, 3));
    EXPECT_TRUE(lit());
    SendMessageA(menu, WM_MOUSEMOVE, 0, MAKELPARAM(12, 1 + rowHeight()));
    EXPECT_TRUE(lit());
    SendMessageA(menu, WM_MOUSEMOVE, 0, MAKELPARAM(12, 500));
    EXPECT_FALSE(lit());
    DestroyWindow(menu);
}

struct RenameTest : ::testing::Test {
    test::TestParent parent;
    HWND box = parent.child("qfCheckBox", "Box", BS_PUSHLIKE, 9, 20, 20, 120, 22);
    HWND editor() const { return FindWindowA("qfInplaceEdit", nullptr); }
    HWND field() const { return FindWindowExA(editor(), nullptr, "Edit", nullptr); }
    std::string boxText() const {
        char text[64] = {};
        GetWindowTextA(box, text, sizeof text);
        return text;
    }
    std::vector<std::string> renames() const {
        std::vector<std::string> out;
        for (const auto& c : parent.commands())
            if (c.id == 9 && c.code == CKBN_RENAMED) out.push_back(c.text);
        return out;
    }
    void pressF2() {
        SendMessageA(box, WM_KEYDOWN, VK_F2, 0);
        pump();
    }
};

TEST_F(RenameTest, EnterHandsTheNewNameBack) {
    pressF2();
    ASSERT_NE(editor(), nullptr);
    RECT e, b;
    GetWindowRect(editor(), &e);
    GetWindowRect(box, &b);
    EXPECT_TRUE(EqualRect(&e, &b));
    EXPECT_EQ(GetFocus(), field());
    char text[64] = {};
    GetWindowTextA(field(), text, sizeof text);
    EXPECT_STREQ(text, "Box");
    SetWindowTextA(field(), "Crate");
    SendMessageA(field(), WM_CHAR, VK_RETURN, 0);
    pump();
    EXPECT_EQ(editor(), nullptr);
    EXPECT_EQ(boxText(), "Crate");
    EXPECT_EQ(renames(), (std::vector<std::string>{"Crate"}));  // exactly once
}

TEST_F(RenameTest, EscapeAndAnEmptyFieldKeepTheOldName) {
    pressF2();
    SetWindowTextA(field(), "Crate");
    SendMessageA(field(), WM_CHAR, VK_ESCAPE, 0);
    pump();
    EXPECT_EQ(editor(), nullptr);
    EXPECT_EQ(boxText(), "Box");
    pressF2();
    SetWindowTextA(field(), "");
    SendMessageA(field(), WM_CHAR, VK_RETURN, 0);
    pump();
    EXPECT_EQ(boxText(), "Box");
    EXPECT_EQ(renames(), (std::vector<std::string>{"Box", "Box"}));
}

TEST_F(RenameTest, ClickOutsideKeepsWhatWasTyped) {
    pressF2();
    HWND popup = editor();
    EXPECT_EQ(GetCapture(), popup);
    SetWindowTextA(field(), "Barrel");
    SendMessageA(popup, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(300, 5));
    pump();
    EXPECT_FALSE(IsWindow(popup));
    EXPECT_EQ(boxText(), "Barrel");
    EXPECT_EQ(renames(), (std::vector<std::string>{"Barrel"}));
}

TEST_F(RenameTest, ParentThatRefusesGetsNoEditor) {
    parent.allowRename = false;
    pressF2();
    EXPECT_EQ(editor(), nullptr);
    // Asked directly, the check box opens it without asking.
    SendMessageA(box, CKBM_BEGINRENAME, 0, 0);
    pump();
    ASSERT_NE(editor(), nullptr);
    DestroyWindow(editor());
    pump();
    EXPECT_EQ(renames(), (std::vector<std::string>{"Box"}));
}

}  // namespace
}  // namespace qf
