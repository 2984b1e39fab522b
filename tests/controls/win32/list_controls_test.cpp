// The skinned scroll bar, list box and combo box driven through their messages (run under Wine).
#include <gtest/gtest.h>

#include <string>

#include "controls/scroll_logic.h"
#include "controls/skin_metrics.h"
#include "controls/win32/list_box.h"
#include "controls/win32/scroll_bar.h"
#include "controls/win32/skin_core.h"
#include "support/win32_harness.h"

namespace qf {
namespace {

using test::pump;

constexpr int kLineUp = 0, kLineDown = 1, kPageUp = 2, kPageDown = 3, kThumbTrack = 5;

int thumbTopOf(HWND bar) {
    RECT r;
    GetWindowRect(GetDlgItem(bar, kScrollThumbId), &r);
    MapWindowPoints(nullptr, bar, reinterpret_cast<POINT*>(&r), 2);
    return r.top;
}

struct ScrollBarTest : ::testing::Test {
    test::TestParent parent;
    HWND bar = parent.child("qfScrollBar", "", 0, 5, 10, 10, 13, 200);
    void SetUp() override {
        ASSERT_NE(bar, nullptr);
        SendMessageA(bar, SCBM_SETRANGE, MAKEWPARAM(10, 3), 0);
        pump();
        parent.notices.clear();
    }
};

TEST_F(ScrollBarTest, HeldArrowRepeatsAfterItsFirstDelayAndStopsWhenLeft) {
    HWND down = GetDlgItem(bar, kScrollDownId);
    ASSERT_NE(down, nullptr);
    SendMessageA(down, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    pump(150);
    ASSERT_EQ(parent.scrolls().size(), 1u);  // one line at once, nothing more before 300 ms
    EXPECT_EQ(parent.scrolls()[0].id, kLineDown);
    EXPECT_EQ(parent.scrolls()[0].code, 1);
    pump(400);
    const auto held = parent.scrolls();
    ASSERT_GE(held.size(), 3u);  // then every 50 ms
    for (size_t i = 0; i < held.size(); ++i) {
        EXPECT_EQ(held[i].id, kLineDown);
        EXPECT_EQ(held[i].code, int(std::min<size_t>(i + 1, 10)));
    }
    // The pointer slides off the arrow: the repeat ends at the next tick.
    SendMessageA(down, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(40, 5));
    pump(120);
    const size_t afterLeaving = parent.scrolls().size();
    pump(200);
    EXPECT_EQ(parent.scrolls().size(), afterLeaving);
    SendMessageA(down, WM_LBUTTONUP, 0, MAKELPARAM(40, 5));
    pump();
    EXPECT_EQ(parent.scrolls().back().id, kThumbTrack);  // the release tells the final position
    EXPECT_EQ(parent.scrolls().back().code, SendMessageA(bar, SCBM_GETPOS, 0, 0));
    EXPECT_EQ(thumbTopOf(bar), thumbTopFor(200, 10, int(SendMessageA(bar, SCBM_GETPOS, 0, 0))));
}

TEST_F(ScrollBarTest, TrackPressPagesOnceTowardThePress) {
    SendMessageA(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 150));
    pump(400);  // held: no repetition
    SendMessageA(bar, WM_LBUTTONUP, 0, MAKELPARAM(5, 150));
    pump();
    auto s = parent.scrolls();
    ASSERT_EQ(s.size(), 2u);
    EXPECT_EQ(s[0].id, kPageDown);
    EXPECT_EQ(s[0].code, 3);
    EXPECT_EQ(s[1].id, kThumbTrack);
    EXPECT_EQ(s[1].code, 3);
    parent.notices.clear();
    SendMessageA(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 14));  // above the thumb
    SendMessageA(bar, WM_LBUTTONUP, 0, MAKELPARAM(5, 14));
    pump();
    s = parent.scrolls();
    ASSERT_EQ(s.size(), 2u);
    EXPECT_EQ(s[0].id, kPageUp);
    EXPECT_EQ(s[0].code, 0);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(ScrollBarTest, ThumbDraggedPastTheEndStopsAtTheRange) {
    POINT origin{0, 0};
    ClientToScreen(bar, &origin);
    // The press takes the pointer's place on the screen; the moves come with their points.
    SetCursorPos(origin.x + 5, origin.y + 20);
    POINT at;
    GetCursorPos(&at);
    ASSERT_EQ(at.y, origin.y + 20) << "the pointer cannot be placed here";
    SendMessageA(GetDlgItem(bar, kScrollThumbId), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 7));
    EXPECT_EQ(GetCapture(), bar);
    // The pointer moves, and the bar hears of it.
    auto moveTo = [&](int y) {
        SetCursorPos(origin.x + 5, origin.y + y);
        SendMessageA(bar, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, y));
        pump();
    };
    moveTo(20 + 7);  // less than a position (15 pixels): the thumb follows, the parent hears nothing
    EXPECT_EQ(thumbTopOf(bar), 13 + 7);
    EXPECT_TRUE(parent.scrolls().empty());
    moveTo(20 + 30);
    EXPECT_EQ(thumbTopOf(bar), 13 + 30);
    ASSERT_FALSE(parent.scrolls().empty());
    EXPECT_EQ(parent.scrolls().back().id, kThumbTrack);
    EXPECT_EQ(parent.scrolls().back().code, 2);
    moveTo(20 + 400);
    SendMessageA(bar, WM_LBUTTONUP, 0, MAKELPARAM(5, 20 + 400));
    pump();
    EXPECT_EQ(SendMessageA(bar, SCBM_GETPOS, 0, 0), 10);
    EXPECT_EQ(thumbTopOf(bar), 200 - 13 - kThumbHeight);
    EXPECT_EQ(parent.scrolls().back().id, kThumbTrack);
    EXPECT_EQ(parent.scrolls().back().code, 10);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(ScrollBarTest, SetPositionAndRangeKeepThePosition) {
    SendMessageA(bar, SCBM_SETRANGE, MAKEWPARAM(30, 10), 0);
    EXPECT_EQ(SendMessageA(bar, SCBM_SETPOS, 20, 0), 1);
    SendMessageA(bar, SCBM_SETPOS, 21, 0);
    SendMessageA(bar, SCBM_SETRANGE, MAKEWPARAM(30, 10), 0);
    pump();
    EXPECT_EQ(SendMessageA(bar, SCBM_GETPOS, 0, 0), 21);
    const auto s = parent.scrolls();
    ASSERT_EQ(s.size(), 4u);
    EXPECT_EQ(s[1].id, kThumbTrack);  // a jump
    EXPECT_EQ(s[2].id, kLineDown);    // one further
    EXPECT_EQ(s[3].id, kThumbTrack);  // the range
    EXPECT_EQ(s[3].code, 21);
    SendMessageA(bar, SCBM_SETRANGE, MAKEWPARAM(0, 10), 0);
    EXPECT_EQ(SendMessageA(bar, SCBM_GETPOS, 0, 0), 0);
    EXPECT_EQ(thumbTopOf(bar), 13);
    // The bar keeps its down arrow at the bottom when it grows.
    SetWindowPos(bar, nullptr, 0, 0, 13, 300, SWP_NOMOVE | SWP_NOZORDER);
    RECT down;
    GetWindowRect(GetDlgItem(bar, kScrollDownId), &down);
    MapWindowPoints(nullptr, bar, reinterpret_cast<POINT*>(&down), 2);
    EXPECT_EQ(down.top, 300 - 13);
}

struct ListBoxTest : ::testing::Test {
    test::TestParent parent;
    HWND box = nullptr, list = nullptr, bar = nullptr;
    int rowHeight = 0;
    // A list box showing ten whole rows.
    void SetUp() override {
        box = parent.child("qfListBox", "", 0, 6, 10, 10, 200, 150);
        ASSERT_NE(box, nullptr);
        list = GetDlgItem(box, kInnerListId);
        bar = FindWindowExA(box, nullptr, "qfScrollBar", nullptr);
        ASSERT_TRUE(list && bar);
        rowHeight = int(SendMessageA(box, LB_GETITEMHEIGHT, 0, 0));
        ASSERT_GT(rowHeight, 0);
        SetWindowPos(box, nullptr, 0, 0, 200, 4 + 10 * rowHeight, SWP_NOMOVE | SWP_NOZORDER);
        for (int i = 0; i < 100; ++i) {
            const std::string line = "line " + std::to_string(i);
            EXPECT_EQ(SendMessageA(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str())), 1);
        }
        pump();
    }
    int top() const { return int(SendMessageA(list, LB_GETTOPINDEX, 0, 0)); }
    int barPosition() const { return int(SendMessageA(bar, SCBM_GETPOS, 0, 0)); }
    // Where the thumb belongs on the list's bar for that range and position.
    int thumbTopAt(int range, int position) const {
        RECT barRect;
        GetClientRect(bar, &barRect);
        return thumbTopFor(barRect.bottom, range, position);
    }
};

TEST_F(ListBoxTest, WheelMovesListAndThumbTogether) {
    EXPECT_EQ(SendMessageA(box, LB_GETCOUNT, 0, 0), 100);
    // Range 90: a position asked beyond it stops there.
    SendMessageA(bar, SCBM_SETPOS, 500, 0);
    EXPECT_EQ(barPosition(), 90);
    SendMessageA(box, LB_SETTOPINDEX, 5, 0);
    SendMessageA(bar, SCBM_SETPOS, 5, 0);
    pump();
    // A notch forward over the inner list: one row up, once.
    SendMessageA(list, WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
    pump();
    EXPECT_EQ(top(), 4);
    EXPECT_EQ(barPosition(), 4);
    EXPECT_EQ(thumbTopOf(bar), thumbTopAt(90, 4));
    SendMessageA(list, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-360)), 0);
    pump();
    EXPECT_EQ(top(), 7);
}

TEST_F(ListBoxTest, BarScrollsTheListAndKeysMoveTheBar) {
    SendMessageA(bar, SCBM_SETPOS, 30, 0);
    pump();
    EXPECT_EQ(top(), 30);
    SetFocus(box);
    EXPECT_EQ(GetFocus(), list);
    // Keys move the selection, the list follows it and the bar follows the list.
    SendMessageA(list, WM_KEYDOWN, VK_DOWN, 0);
    SendMessageA(list, WM_KEYDOWN, VK_END, 0);
    pump();
    EXPECT_EQ(top(), 90);
    EXPECT_EQ(barPosition(), 90);
}

TEST_F(ListBoxTest, ShrinkingKeepsTheRangeToTheLastPage) {
    SetWindowPos(box, nullptr, 0, 0, 200, 4 + 5 * rowHeight, SWP_NOMOVE | SWP_NOZORDER);
    pump();
    SendMessageA(bar, SCBM_SETPOS, 500, 0);
    pump();
    EXPECT_EQ(barPosition(), 95);
    EXPECT_EQ(top(), 95);
    SendMessageA(box, LB_RESETCONTENT, 0, 0);
    pump();
    EXPECT_EQ(barPosition(), 0);
    EXPECT_EQ(thumbTopOf(bar), 13);
}

TEST_F(ListBoxTest, LinesAddedWithRedrawingOffAreReachableOnceItIsOn) {
    // How a dialog fills a long list: redrawing off, the lines, redrawing on.
    SendMessageA(box, WM_SETREDRAW, FALSE, 0);
    for (int i = 100; i < 150; ++i) {
        const std::string line = "line " + std::to_string(i);
        EXPECT_EQ(SendMessageA(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str())), 1);
    }
    SendMessageA(box, WM_SETREDRAW, TRUE, 0);
    pump();
    EXPECT_TRUE(IsWindowVisible(box) && IsWindowVisible(list));
    EXPECT_EQ(SendMessageA(box, LB_GETCOUNT, 0, 0), 150);
    // The bar's range takes every line: dragged to its end, it shows the last page.
    SendMessageA(bar, SCBM_SETPOS, 500, 0);
    pump();
    EXPECT_EQ(barPosition(), 140);
    EXPECT_EQ(top(), 140);
    EXPECT_EQ(thumbTopOf(bar), thumbTopAt(140, 140));
    // Lines added afterwards widen the range at once again.
    SendMessageA(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("line 150"));
    SendMessageA(bar, SCBM_SETPOS, 500, 0);
    pump();
    EXPECT_EQ(barPosition(), 141);
}

TEST_F(ListBoxTest, ALongListIsReachedToItsEndWithTheBar) {
    // More lines beyond the view than the bar has positions: they spread over its positions.
    SendMessageA(box, WM_SETREDRAW, FALSE, 0);
    for (int i = 100; i < 80010; ++i) SendMessageA(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("line"));
    SendMessageA(box, WM_SETREDRAW, TRUE, 0);
    pump();
    const int beyond = 80000;
    // The bar taken to its end shows the last page.
    SendMessageA(bar, SCBM_SETPOS, kScrollPositionMax, 0);
    pump();
    EXPECT_EQ(top(), beyond);
    EXPECT_EQ(barPosition(), kScrollPositionMax);
    SendMessageA(bar, SCBM_SETPOS, 32768, 0);
    pump();
    const int middle = topForBarPosition(32768, beyond);
    EXPECT_EQ(top(), middle);
    EXPECT_EQ(barPosition(), 32768);
    // An arrow moves by a line, a press on the track by a page, as in a short list.
    HWND down = GetDlgItem(bar, kScrollDownId);
    SendMessageA(down, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageA(down, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    pump();
    EXPECT_EQ(top(), middle + 1);
    EXPECT_EQ(barPosition(), barPositionForTop(middle + 1, beyond));
    RECT barRect;
    GetClientRect(bar, &barRect);
    SendMessageA(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, barRect.bottom - 15));
    SendMessageA(bar, WM_LBUTTONUP, 0, MAKELPARAM(5, barRect.bottom - 15));
    pump();
    EXPECT_EQ(top(), middle + 11);
    EXPECT_EQ(barPosition(), barPositionForTop(middle + 11, beyond));
    // The keyboard and the wheel take the bar along.
    SetFocus(box);
    SendMessageA(list, WM_KEYDOWN, VK_DOWN, 0);  // the first key selects a line
    SendMessageA(list, WM_KEYDOWN, VK_END, 0);
    pump();
    EXPECT_EQ(top(), beyond);
    EXPECT_EQ(barPosition(), kScrollPositionMax);
    SendMessageA(list, WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
    pump();
    EXPECT_EQ(top(), beyond - 1);
    EXPECT_EQ(barPosition(), barPositionForTop(beyond - 1, beyond));
    // A line added while the list is shown leaves its view where it is; the bar follows.
    SendMessageA(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("one more"));
    pump();
    EXPECT_EQ(top(), beyond - 1);
    EXPECT_EQ(barPosition(), barPositionForTop(beyond - 1, beyond + 1));
}

TEST_F(ListBoxTest, FrameAndFieldColours) {
    RedrawWindow(parent.window(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    HDC dc = GetWindowDC(box);
    EXPECT_EQ(GetPixel(dc, 0, 5), GetSkinColor(15));
    EXPECT_EQ(GetPixel(dc, 1, 5), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(dc, 199, 5), GetSkinColor(16));
    ReleaseDC(box, dc);
    SendMessageA(box, LB_RESETCONTENT, 0, 0);
    RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    dc = GetDC(list);
    EXPECT_EQ(GetPixel(dc, 20, 20), GetSkinColor(kField));
    ReleaseDC(list, dc);
}

struct ComboTest : ::testing::Test {
    test::TestParent parent;
    HWND combo = parent.child("qfComboBox", "", 0, 7, 20, 20, 150, 21);
    HWND edit = nullptr;
    void SetUp() override {
        ASSERT_NE(combo, nullptr);
        edit = FindWindowExA(combo, nullptr, "Edit", nullptr);
        ASSERT_NE(edit, nullptr);
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("a"));
        SendMessageA(combo, CB_ADDSTRING, 0, 0);
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("b"));
    }
    std::string shown() const {
        char text[64] = {};
        GetWindowTextA(edit, text, sizeof text);
        return text;
    }
    int selectionChanges() const {
        int n = 0;
        for (const auto& c : parent.commands()) n += c.id == 7 && c.code == CBN_SELCHANGE;
        return n;
    }
    HWND popup() const { return FindWindowA("qfMenu", nullptr); }
};

TEST_F(ComboTest, SelectionSkipsSeparatorsAndRefusesOutOfRange) {
    EXPECT_EQ(SendMessageA(combo, CB_SETCURSEL, 1, 0), 1);
    EXPECT_EQ(shown(), "b");
    EXPECT_EQ(selectionChanges(), 1);
    EXPECT_EQ(SendMessageA(combo, CB_SETCURSEL, 2, 0), CB_ERR);
    EXPECT_EQ(SendMessageA(combo, CB_SETCURSEL, WPARAM(-1), 0), CB_ERR);
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(selectionChanges(), 1);
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), -1);
    EXPECT_EQ(shown(), "");
    EXPECT_EQ(SendMessageA(combo, CB_SETCURSEL, 0, 0), CB_ERR);
}

TEST_F(ComboTest, ArrowKeysAndWheelStepWithinTheItems) {
    SendMessageA(combo, CB_SETCURSEL, 0, 0);
    parent.notices.clear();
    SendMessageA(edit, WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(selectionChanges(), 0);
    SendMessageA(edit, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(shown(), "b");
    EXPECT_EQ(selectionChanges(), 1);
    SendMessageA(edit, WM_KEYDOWN, 'X', 0);
    SendMessageA(edit, WM_CHAR, 'x', 0);
    EXPECT_EQ(shown(), "b");  // read-only, and other keys do nothing
    SendMessageA(combo, WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
    EXPECT_EQ(shown(), "a");
    SendMessageA(combo, WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
    EXPECT_EQ(selectionChanges(), 2);
}

TEST_F(ComboTest, DropDownListsTheItemsBelowAndPicksOne) {
    SendMessageA(combo, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    HWND menu = popup();
    ASSERT_NE(menu, nullptr);
    RECT c, m;
    GetWindowRect(combo, &c);
    GetWindowRect(menu, &m);
    EXPECT_EQ(m.left, c.left);
    EXPECT_EQ(m.top, c.bottom - 1);
    EXPECT_EQ(m.right - m.left, c.right - c.left - 1);
    EXPECT_EQ(GetCapture(), menu);
    // b is the second item, below a and the separator line.
    const int rowHeight = (m.bottom - m.top - 2 - 1) / 2;
    SendMessageA(menu, WM_MOUSEMOVE, 0, MAKELPARAM(10, 1 + rowHeight + 1 + rowHeight / 2));
    SendMessageA(menu, WM_LBUTTONUP, 0, MAKELPARAM(10, 1 + rowHeight + 1 + rowHeight / 2));
    pump();
    EXPECT_FALSE(IsWindow(menu));
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(shown(), "b");
    EXPECT_EQ(selectionChanges(), 1);
    // The arrow drops it down too; Escape closes it without a choice.
    HWND arrow = FindWindowExA(combo, nullptr, "qfArrowButton", nullptr);
    SendMessageA(arrow, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    SendMessageA(arrow, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    menu = popup();
    ASSERT_NE(menu, nullptr);
    SendMessageA(menu, WM_CHAR, VK_ESCAPE, 0);
    pump();
    EXPECT_FALSE(IsWindow(menu));
    EXPECT_EQ(selectionChanges(), 1);
}

}  // namespace
}  // namespace qf
