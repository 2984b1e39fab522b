// The skinned message box under Wine: its size, the refusal of a second one, and closing.
#include "controls/win32/message_box.h"

#include <gtest/gtest.h>

#include "controls/text_fitting.h"
#include "controls/win32/skin_core.h"

namespace qf {
namespace {

int g_nestedResult = -1;
SIZE g_boxSize{};

BOOL CALLBACK findBox(HWND w, LPARAM out) {
    char cls[16] = {};
    GetClassNameA(w, cls, sizeof cls);
    if (lstrcmpA(cls, "#32770") == 0 && IsWindowVisible(w)) {
        *reinterpret_cast<HWND*>(out) = w;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK whileOpen(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    g_nestedResult = SkinMessageBox(nullptr, "second", 0);
    HWND box = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), findBox, reinterpret_cast<LPARAM>(&box));
    if (!box) return;
    RECT r;
    GetWindowRect(box, &r);
    g_boxSize = {r.right - r.left, r.bottom - r.top};
    PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
}

TEST(SkinMessageBox, ASecondBoxIsRefusedWhileOneIsOpen) {
    ASSERT_EQ(RegisterSkinControls(GetModuleHandleA(nullptr)), 1);
    SetTimer(nullptr, 0, 300, whileOpen);
    EXPECT_EQ(SkinMessageBox(nullptr, "first line\n\nsecond line", MB_ICONEXCLAMATION), 0);
    EXPECT_EQ(g_nestedResult, 10);
    // Two lines (the empty one vanishes), the width from the widest line in font 0.
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, GetSkinFont(0));
    SIZE line{}, wide{};
    GetTextExtentPoint32A(dc, "\xd6g", 2, &line);
    GetTextExtentPoint32A(dc, "second line", 11, &wide);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    const MessageBoxLayout expected = messageBoxLayout(wide.cx, 2, line.cy);
    EXPECT_EQ(g_boxSize.cx, expected.width);
    EXPECT_EQ(g_boxSize.cy, expected.height);
    // Open again after the first closed: shown, not refused.
    g_nestedResult = -1;
    SetTimer(nullptr, 0, 300, whileOpen);
    EXPECT_EQ(SkinMessageBox(nullptr, "again", 0), 0);
    EXPECT_EQ(g_nestedResult, 10);
}

TEST(FitPathToWidth, UsesTheFontOfTheDeviceContext) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, GetSkinFont(0));
    char path[260] = "C:/Data/Textures/wood.tga";
    FitPathToWidth(dc, path, sizeof path, 2000);
    EXPECT_STREQ(path, "C:\\Data\\Textures\\wood.tga");
    FitPathToWidth(dc, path, sizeof path, 3);
    EXPECT_STREQ(path, "!");
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
}

}  // namespace
}  // namespace qf
