// The skinned list driven as the mouse drives it, in a test window (run under Wine).
#include "controls/win32/list_ctrl.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/win32/skin_core.h"

namespace qf {
namespace {

int g_itemChanges = 0;  // LVN_ITEMCHANGED the parent received
int g_otherNotices = 0;

LRESULT CALLBACK ParentProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NOTIFY) {
        if (reinterpret_cast<const NMHDR*>(lParam)->code == LVN_ITEMCHANGED) ++g_itemChanges;
        else ++g_otherNotices;
    }
    return DefWindowProcA(w, message, wParam, lParam);
}

struct ListFixture : ::testing::Test {
    // One window for all cases: Wine takes its time over every top-level window that goes away.
    static HWND parent;
    HWND control = nullptr, list = nullptr;
    int rowHeight = 0;

    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX common = {sizeof common, ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&common);
        RegisterSkinControls(GetModuleHandleA(nullptr));
        WNDCLASSA wc = {};
        wc.lpfnWndProc = ParentProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "qfListTestParent";
        RegisterClassA(&wc);
        parent = CreateWindowA("qfListTestParent", "", WS_POPUP | WS_VISIBLE, 100, 100, 400, 400, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    }
    static void TearDownTestSuite() { DestroyWindow(parent); }

    void SetUp() override {
        ASSERT_NE(parent, nullptr);
        g_itemChanges = g_otherNotices = 0;
    }
    void TearDown() override {
        if (control) DestroyWindow(control);
    }

    // A sorted list whose view shows about ten rows under its header.
    void make(int rows) {
        control = CreateWindowExA(WS_EX_CLIENTEDGE, "qfListCtrl", "",
                                  WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_SINGLESEL | LVS_SORTASCENDING, 10, 10, 200,
                                  10, parent, reinterpret_cast<HMENU>(INT_PTR(1107)), GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(control, nullptr);
        list = ListCtrlInnerList(control);
        ASSERT_NE(list, nullptr);
        ListCtrlInsertColumn(control, 0, "Name", LVCFMT_LEFT, 150);
        for (int i = 0; i < rows; ++i) {
            char text[16];
            wsprintfA(text, "row%02d", i);
            ListCtrlAddItem(control, text, i, false);
        }
        RECT item{};
        item.left = LVIR_BOUNDS;
        if (rows) SendMessageA(control, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
        rowHeight = item.bottom - item.top;
        RECT header{};
        GetWindowRect(reinterpret_cast<HWND>(SendMessageA(control, LVM_GETHEADER, 0, 0)), &header);
        const int height = (header.bottom - header.top) + 10 * (rowHeight ? rowHeight : 14) + 4;
        SetWindowPos(control, nullptr, 0, 0, 200, height, SWP_NOMOVE | SWP_NOZORDER);
    }
    int top() const { return int(SendMessageA(control, LVM_GETTOPINDEX, 0, 0)); }
    std::string rowText(int row) const {
        char text[64] = {};
        LVITEMA item{};
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(control, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
        return text;
    }
    LPARAM rowParam(int row) const {
        LVITEMA item{};
        item.mask = LVIF_PARAM;
        item.iItem = row;
        SendMessageA(control, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        return item.lParam;
    }
    // A point of the list in its own client coordinates, as lParam, a few rows below the header.
    LPARAM listPoint(int y) const { return MAKELPARAM(40, y); }
};

HWND ListFixture::parent = nullptr;

TEST_F(ListFixture, RowsAreSortedAndKeepTheirValue) {
    make(0);
    EXPECT_EQ(GetWindowLongPtrA(list, GWL_STYLE) & LVS_SINGLESEL, LVS_SINGLESEL);
    const int b = ListCtrlAddItem(control, "b", 20, false);
    const int c = ListCtrlAddItem(control, "c", 30, false);
    const int a = ListCtrlAddItem(control, "a", 10, false);
    EXPECT_EQ(b, 0);
    EXPECT_EQ(c, 1);
    EXPECT_EQ(a, 0);  // the index the list reports
    EXPECT_EQ(rowText(0), "a");
    EXPECT_EQ(rowText(1), "b");
    EXPECT_EQ(rowText(2), "c");
    EXPECT_EQ(rowParam(2), 30);
    // Equal names keep the order they came in.
    ListCtrlAddItem(control, "B", 21, false);
    EXPECT_EQ(rowParam(2), 21);
    EXPECT_EQ(rowText(3), "c");
    // Messages the list does not take are not passed on.
    SendMessageA(control, LVM_DELETEALLITEMS, 0, 0);
    EXPECT_EQ(SendMessageA(control, LVM_GETITEMCOUNT, 0, 0), 4);
}

TEST_F(ListFixture, OnlyItemChangesReachTheParent) {
    make(3);
    SendMessageA(control, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES, LVS_EX_CHECKBOXES);
    g_itemChanges = g_otherNotices = 0;
    LVITEMA state{};
    state.stateMask = LVIS_STATEIMAGEMASK;
    state.state = INDEXTOSTATEIMAGEMASK(2);
    SendMessageA(control, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&state));
    EXPECT_EQ(g_itemChanges, 1);
    EXPECT_EQ(g_otherNotices, 0);
    EXPECT_EQ(SendMessageA(control, LVM_GETITEMSTATE, 1, LVIS_STATEIMAGEMASK), LPARAM(INDEXTOSTATEIMAGEMASK(2)));
}

TEST_F(ListFixture, MiddleDragScrollsWithThePointerAndRightClickRestores) {
    make(30);
    ASSERT_GT(rowHeight, 0);
    SendMessageA(control, LVM_SCROLL, 0, 10 * rowHeight);
    ASSERT_EQ(top(), 10);
    const int y = 60;
    SendMessageA(list, WM_MBUTTONDOWN, MK_MBUTTON, listPoint(y));  // as the list receives it
    EXPECT_EQ(GetCapture(), control);
    POINT inHost{40, y};
    MapWindowPoints(list, control, &inHost, 1);
    SendMessageA(control, WM_MOUSEMOVE, MK_MBUTTON, MAKELPARAM(inHost.x, inHost.y + 3 * rowHeight));
    EXPECT_EQ(top(), 7);  // the content follows the pointer down
    SendMessageA(control, WM_MOUSEMOVE, MK_MBUTTON, MAKELPARAM(inHost.x, inHost.y + 3 * rowHeight + rowHeight / 2));
    EXPECT_EQ(top(), 7);  // less than a row more: no scroll
    SendMessageA(control, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(inHost.x, inHost.y));
    EXPECT_EQ(top(), 10);
    EXPECT_EQ(GetCapture(), nullptr);
    // A plain drag ends with the button.
    SendMessageA(list, WM_MBUTTONDOWN, MK_MBUTTON, listPoint(y));
    SendMessageA(control, WM_MOUSEMOVE, MK_MBUTTON, MAKELPARAM(inHost.x, inHost.y - 2 * rowHeight));
    SendMessageA(control, WM_MBUTTONUP, 0, MAKELPARAM(inHost.x, inHost.y - 2 * rowHeight));
    EXPECT_EQ(top(), 12);
    SendMessageA(control, WM_MOUSEMOVE, 0, MAKELPARAM(inHost.x, inHost.y + 5 * rowHeight));
    EXPECT_EQ(top(), 12);
}

TEST_F(ListFixture, DragPastTheScreenEdgeWrapsThePointer) {
    make(30);
    SendMessageA(control, LVM_SCROLL, 0, 10 * rowHeight);
    SendMessageA(list, WM_MBUTTONDOWN, MK_MBUTTON, listPoint(60));
    POINT origin{0, 0};
    ClientToScreen(control, &origin);
    const int screenLast = GetSystemMetrics(SM_CYSCREEN) - 1;
    SendMessageA(control, WM_MOUSEMOVE, MK_MBUTTON, MAKELPARAM(40, WORD(short(screenLast - origin.y))));
    POINT cursor{};
    GetCursorPos(&cursor);
    EXPECT_EQ(cursor.y, 1);
    EXPECT_EQ(top(), 10);  // the wrap itself scrolls nothing
    // The drag goes on from the top edge without a jump.
    SendMessageA(control, WM_MOUSEMOVE, MK_MBUTTON, MAKELPARAM(40, WORD(short(1 + 2 * rowHeight - origin.y))));
    EXPECT_EQ(top(), 8);
    SendMessageA(control, WM_MBUTTONUP, 0, 0);
}

TEST_F(ListFixture, WheelScrollsOneRowPerNotchBelowTheHeader) {
    make(30);
    POINT row{40, 60}, header{40, 5};
    ClientToScreen(list, &row);
    ClientToScreen(list, &header);
    SendMessageA(list, WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(-120)), MAKELPARAM(row.x, row.y));
    EXPECT_EQ(top(), 1);
    SendMessageA(list, WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(-240)), MAKELPARAM(row.x, row.y));
    EXPECT_EQ(top(), 3);
    SendMessageA(list, WM_MOUSEWHEEL, MAKEWPARAM(0, 120), MAKELPARAM(row.x, row.y));
    EXPECT_EQ(top(), 2);
    SendMessageA(list, WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(-120)), MAKELPARAM(header.x, header.y));
    EXPECT_EQ(top(), 2);
}

TEST_F(ListFixture, EmptyListIgnoresDragAndWheel) {
    make(0);
    SendMessageA(list, WM_MBUTTONDOWN, MK_MBUTTON, listPoint(60));
    EXPECT_EQ(GetCapture(), nullptr);
    SendMessageA(control, WM_MOUSEMOVE, MK_MBUTTON, MAKELPARAM(40, 200));
    POINT p{40, 60};
    ClientToScreen(list, &p);
    SendMessageA(list, WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(-120)), MAKELPARAM(p.x, p.y));
    EXPECT_EQ(top(), 0);
}

TEST_F(ListFixture, HeaderCannotBeResizedOrClicked) {
    make(3);
    HWND header = reinterpret_cast<HWND>(SendMessageA(control, LVM_GETHEADER, 0, 0));
    ASSERT_NE(header, nullptr);
    RECT item{};
    SendMessageA(header, HDM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
    const int width = item.right - item.left;
    // Press on the divider and pull it to the right, as a resize would start.
    SendMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(item.right - 1, 5));
    SendMessageA(header, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(item.right + 40, 5));
    SendMessageA(header, WM_LBUTTONUP, 0, MAKELPARAM(item.right + 40, 5));
    SendMessageA(header, HDM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(item.right - item.left, width);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(g_otherNotices, 0);  // no column click reached anybody
    EXPECT_EQ(SendMessageA(header, WM_SETCURSOR, reinterpret_cast<WPARAM>(header), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
              0);
}

}  // namespace
}  // namespace qf
