// The about box: its size, its picture and how it closes (run under Wine).
#include "dialogs/win32/about_dialog.h"

#include <gtest/gtest.h>

#include "controls/win32/skin_core.h"
#include "resources/control_ids.h"

namespace qf {
namespace {

HWND g_box = nullptr;
COLORREF g_shown = 0, g_expected = 1;

HWND findAbout() {
    HWND found = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM out) -> BOOL {
            RECT r;
            GetWindowRect(w, &r);
            if (!IsWindowVisible(w) || r.right - r.left != 279) return TRUE;
            *reinterpret_cast<HWND*>(out) = w;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

TEST(AboutBox, ShowsItsPictureAndClosesOnAClickInIt) {
    ASSERT_EQ(RegisterSkinControls(GetModuleHandleA(nullptr)), 1);
    g_box = nullptr;
    SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR id, DWORD) {
        HWND box = findAbout();
        if (!box) return;
        KillTimer(nullptr, id);
        g_box = box;
        UpdateWindow(box);
        // The picture sits at (5, 20) of the client area.
        HBITMAP picture = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_ABOUT));
        HDC screen = GetDC(box);
        HDC source = CreateCompatibleDC(screen);
        HGDIOBJ old = SelectObject(source, picture);
        g_expected = GetPixel(source, 130, 70);
        g_shown = GetPixel(screen, 5 + 130, 20 + 70);
        SelectObject(source, old);
        DeleteDC(source);
        DeleteObject(picture);
        ReleaseDC(box, screen);
        SendMessageA(box, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 80));
    });
    ShowAboutBox(GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(g_box, nullptr);
    EXPECT_FALSE(IsWindow(g_box));
    EXPECT_EQ(g_shown, g_expected);
}

}  // namespace
}  // namespace qf
