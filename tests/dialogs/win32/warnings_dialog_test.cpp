// The warnings dialog opened for real over 200 warnings, resized and closed while its modal loop
// runs (run under Wine).
#include "dialogs/win32/warnings_dialog.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "controls/win32/list_box.h"
#include "controls/win32/scroll_bar.h"
#include "controls/win32/skin_core.h"
#include "dialogs/warnings_layout.h"
#include "resources/control_ids.h"

namespace qf {
namespace {

// Runs once inside the dialog's modal loop, shortly after it opened.
std::function<void(HWND)> g_whileOpen;

void CALLBACK WhileOpen(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    HWND dialog = nullptr;
    for (HWND w = FindWindowA(nullptr, nullptr); w; w = GetWindow(w, GW_HWNDNEXT))
        if (GetWindowThreadProcessId(w, nullptr) == GetCurrentThreadId() && GetDlgItem(w, IDC_WARNING_LIST)) dialog = w;
    if (g_whileOpen) g_whileOpen(dialog);
    if (dialog && IsWindow(dialog)) {
        // Close, as the user clicks it.
        HWND close = GetDlgItem(dialog, IDCANCEL);
        SendMessageA(close, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        SendMessageA(close, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    }
}

RECT clientRectOf(HWND dialog, int id) {
    RECT r;
    GetWindowRect(GetDlgItem(dialog, id), &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void resize(HWND dialog, int width, int height) {
    SetWindowPos(dialog, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
}

TEST(WarningsDialog, ListsEveryWarningAndKeepsCloseInTheCorner) {
    ASSERT_EQ(RegisterSkinControls(GetModuleHandleA(nullptr)), 1);
    ObjImporter importer;
    for (int i = 0; i < 200; ++i) importer.addWarning(("warning number " + std::to_string(i)).c_str());
    bool ran = false;
    g_whileOpen = [&](HWND dialog) {
        ASSERT_NE(dialog, nullptr);
        ran = true;
        HWND list = GetDlgItem(dialog, IDC_WARNING_LIST);
        ASSERT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 200);
        char line[64] = {};
        SendMessageA(list, LB_GETTEXT, 199, reinterpret_cast<LPARAM>(line));
        EXPECT_STREQ(line, "warning number 199");
        char close[16] = {};
        GetWindowTextA(GetDlgItem(dialog, IDCANCEL), close, sizeof close);
        EXPECT_STREQ(close, "Close");
        // The bar scrolls over all lines but the last page.
        HWND bar = FindWindowExA(list, nullptr, "qfScrollBar", nullptr);
        ASSERT_NE(bar, nullptr);
        SendMessageA(bar, SCBM_SETPOS, 9999, 0);
        const int rows = int(200 - SendMessageA(bar, SCBM_GETPOS, 0, 0));
        RECT inner;
        GetClientRect(GetDlgItem(list, kInnerListId), &inner);
        EXPECT_EQ(rows, inner.bottom / int(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0)));

        for (auto [width, height] : {std::pair{100, 80}, std::pair{640, 480}, std::pair{230, 175}}) {
            resize(dialog, width, height);
            RECT window, client;
            GetWindowRect(dialog, &window);
            GetClientRect(dialog, &client);
            EXPECT_GE(window.right - window.left, kWarningsMinWidth) << width;
            EXPECT_GE(window.bottom - window.top, kWarningsMinHeight) << height;
            const RECT c = clientRectOf(dialog, IDCANCEL);
            EXPECT_EQ(client.right - c.left, 87) << width;
            EXPECT_EQ(client.bottom - c.top, 47) << height;
            EXPECT_EQ(c.right - c.left, 75);
            EXPECT_EQ(c.bottom - c.top, 23);
            const RECT l = clientRectOf(dialog, IDC_WARNING_LIST);
            EXPECT_EQ(l.left, 17);
            EXPECT_EQ(l.right - l.left, client.right - 35);
            EXPECT_EQ(l.bottom - l.top, client.bottom - 101);
            // The bottom row of the list stays clear of the frame's bottom strip.
            EXPECT_LE(c.bottom, client.bottom - 18);
        }
    };
    SetTimer(nullptr, 0, 200, WhileOpen);
    ShowWarningsDialog(GetModuleHandleA(nullptr), nullptr, importer);
    g_whileOpen = nullptr;
    EXPECT_TRUE(ran);
}

}  // namespace
}  // namespace qf
