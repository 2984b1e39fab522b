// The simple skinned controls driven by messages in a test window (run under Wine).
#include "controls/win32/simple_controls.h"

#include <gtest/gtest.h>

#include <vector>

#include "controls/skin_metrics.h"
#include "controls/win32/dialog_frame.h"
#include "controls/win32/skin_core.h"

namespace qf {
namespace {

std::vector<std::pair<int, int>> g_commands;  // (id, code) received by the parent

LRESULT CALLBACK ParentProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) g_commands.emplace_back(LOWORD(wParam), HIWORD(wParam));
    return DefWindowProcA(w, message, wParam, lParam);
}

struct ControlFixture : ::testing::Test {
    HWND parent = nullptr;
    void SetUp() override {
        ASSERT_EQ(RegisterSkinControls(GetModuleHandleA(nullptr)), 1);
        WNDCLASSA wc = {};
        wc.lpfnWndProc = ParentProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "qfTestParent";
        RegisterClassA(&wc);
        parent = CreateWindowA("qfTestParent", "", WS_POPUP | WS_VISIBLE, 0, 0, 300, 200, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(parent, nullptr);
        g_commands.clear();
    }
    void TearDown() override { DestroyWindow(parent); }
    HWND make(const char* cls, const char* text, DWORD style, int id, int w = 80, int h = 20) {
        return CreateWindowA(cls, text, WS_CHILD | WS_VISIBLE | style, 10, 10, w, h, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
    }
};

TEST_F(ControlFixture, ButtonPressedAndReleasedOutsideSendsTwoThenThree) {
    HWND b = make("qfButton", "OK", 0, 7);
    SendMessageA(b, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(SendMessageA(b, BM_GETSTATE, 0, 0), BST_PUSHED);
    SendMessageA(b, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(200, 5));
    EXPECT_EQ(SendMessageA(b, BM_GETSTATE, 0, 0), 0);
    SendMessageA(b, WM_LBUTTONUP, 0, MAKELPARAM(200, 5));
    EXPECT_EQ(g_commands, (std::vector<std::pair<int, int>>{{7, 2}, {7, 3}}));
    g_commands.clear();
    SendMessageA(b, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageA(b, WM_LBUTTONUP, 0, MAKELPARAM(6, 6));
    EXPECT_EQ(g_commands, (std::vector<std::pair<int, int>>{{7, 2}, {7, BN_CLICKED}}));
}

TEST_F(ControlFixture, CheckBoxToggleAndSetCheck) {
    HWND c = make("qfCheckBox", "Box", BS_PUSHLIKE, 8);
    EXPECT_EQ(SendMessageA(c, BM_GETCHECK, 0, 0), 0);
    SendMessageA(c, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageA(c, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(SendMessageA(c, BM_GETCHECK, 0, 0), 1);
    EXPECT_EQ(g_commands, (std::vector<std::pair<int, int>>{{8, BN_CLICKED}}));
    SendMessageA(c, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageA(c, WM_LBUTTONUP, 0, MAKELPARAM(500, 5));  // released outside: no toggle
    EXPECT_EQ(SendMessageA(c, BM_GETCHECK, 0, 0), 1);
    SendMessageA(c, BM_SETCHECK, BST_UNCHECKED, 0);
    EXPECT_EQ(SendMessageA(c, BM_GETCHECK, 0, 0), 0);
}

TEST_F(ControlFixture, SkinnedStandardCheckBoxIgnoresTheKeyboard) {
    HWND c = make("BUTTON", "Flip", BS_AUTOCHECKBOX, 9, 120, 16);
    SkinCheckBoxSubclass(c);
    SendMessageA(c, WM_KEYDOWN, VK_SPACE, 0);
    SendMessageA(c, WM_CHAR, ' ', 0);
    EXPECT_EQ(SendMessageA(c, BM_GETCHECK, 0, 0), 0);
    SendMessageA(c, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    SendMessageA(c, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    EXPECT_EQ(SendMessageA(c, BM_GETCHECK, 0, 0), 1);
    EXPECT_EQ(g_commands, (std::vector<std::pair<int, int>>{{9, BN_CLICKED}}));
    // Without its skin the box keeps its check and holds no state of the skin's any more.
    UnskinCheckBox(c);
    EXPECT_EQ(SendMessageA(c, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(GetWindowLongPtrA(c, GWLP_USERDATA), 0);
}

TEST_F(ControlFixture, CheckMarkIsDrawnInTheSquare) {
    HWND c = make("BUTTON", "", BS_AUTOCHECKBOX, 11, 40, 15);
    SkinCheckBoxSubclass(c);
    SendMessageA(c, BM_SETCHECK, BST_CHECKED, 0);
    RedrawWindow(c, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    HDC dc = GetDC(c);
    // The square's top is ((15 - 13) >> 1) - 1 = 0; one pixel in, the mark's stroke passes (x+4, y+6).
    EXPECT_EQ(GetPixel(dc, 1 + 4, 1 + 6), GetSkinColor(kText));
    EXPECT_EQ(GetPixel(dc, 0, 5), GetSkinColor(kDarkEdge));  // sunken frame, left edge
    EXPECT_EQ(GetPixel(dc, 1 + 9, 1 + 8), GetSkinColor(kField));  // field, away from the mark
    ReleaseDC(c, dc);
    UnskinCheckBox(c);
}

TEST_F(ControlFixture, ProgressBarFractionIsClamped) {
    HWND p = make("qfProgressCtrl", "", 0, 10, 104, 14);
    SendMessageA(p, PRGM_SETCOLOR, 0, RGB(255, 0, 0));
    const float over = 1.5f, under = -0.2f, half = 0.5f;
    EXPECT_EQ(SendMessageA(p, PRGM_SETFRACTION, 0, reinterpret_cast<LPARAM>(&over)), 1);
    HDC dc = GetDC(p);
    EXPECT_EQ(GetPixel(dc, 98, 7), RGB(255, 0, 0));  // bar area ends at right - 3
    SendMessageA(p, PRGM_SETFRACTION, 0, reinterpret_cast<LPARAM>(&under));
    EXPECT_EQ(GetPixel(dc, 3, 7), GetSkinColor(kFace));
    SendMessageA(p, PRGM_SETFRACTION, 0, reinterpret_cast<LPARAM>(&half));
    EXPECT_EQ(GetPixel(dc, 40, 7), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(dc, 60, 7), GetSkinColor(kFace));
    EXPECT_EQ(GetPixel(dc, 0, 0), GetSkinColor(15));  // frame
    ReleaseDC(p, dc);
}

// Paints a window's whole area in a colour no control uses, so that pixels a control leaves
// unpainted show.
void fillWindow(HWND w, COLORREF colour) {
    HDC dc = GetWindowDC(w);
    RECT r;
    GetWindowRect(w, &r);
    OffsetRect(&r, -r.left, -r.top);
    FillSolidRect(dc, r, colour);
    ReleaseDC(w, dc);
}

const COLORREF kSentinel = RGB(255, 0, 255);

TEST_F(ControlFixture, ProgressBarAndGroupFramePaintEveryPixelTheyOwn) {
    HWND p = make("qfProgressCtrl", "", 0, 10, 104, 14);
    fillWindow(p, kSentinel);
    RedrawWindow(p, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    HDC dc = GetDC(p);
    for (POINT at : {POINT{103, 7}, POINT{1, 1}, POINT{101, 7}, POINT{50, 12}})
        EXPECT_EQ(GetPixel(dc, at.x, at.y), GetSkinColor(kFace)) << at.x << "," << at.y;
    ReleaseDC(p, dc);

    HWND g = make("qfGroupBox", " Objects ", 0, 11, 150, 80);
    fillWindow(g, kSentinel);
    RedrawWindow(g, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    dc = GetDC(g);
    EXPECT_EQ(GetPixel(dc, 1, 1), GetSkinColor(kFace));    // beside the title band, above the outline
    EXPECT_EQ(GetPixel(dc, 148, 1), GetSkinColor(kFace));
    EXPECT_EQ(GetPixel(dc, 75, 40), kSentinel);            // the inside is the parent's
    ReleaseDC(g, dc);
}

TEST_F(ControlFixture, RenamingAGroupBoxKeepsTheControlsInIt) {
    for (bool skinnedButton : {false, true}) {
        HWND group = skinnedButton ? make("BUTTON", " Objects ", BS_GROUPBOX, 12, 200, 120)
                                   : make("qfGroupBox", " Objects ", 0, 12, 200, 120);
        if (skinnedButton) SkinGroupBoxSubclass(group);
        HWND bar = CreateWindowA("qfProgressCtrl", "", WS_CHILD | WS_VISIBLE, 40, 60, 100, 14, parent, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
        SendMessageA(bar, PRGM_SETCOLOR, 0, RGB(255, 0, 0));
        const float full = 1.0f;
        SendMessageA(bar, PRGM_SETFRACTION, 0, reinterpret_cast<LPARAM>(&full));
        RedrawWindow(parent, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        HDC dc = GetDC(parent);
        ASSERT_EQ(GetPixel(dc, 60, 67), RGB(255, 0, 0));
        SetWindowTextA(group, "12 Objects");
        UpdateWindow(group);
        UpdateWindow(parent);
        EXPECT_EQ(GetPixel(dc, 60, 67), RGB(255, 0, 0)) << skinnedButton;
        ReleaseDC(parent, dc);
        char text[32] = {};
        GetWindowTextA(group, text, sizeof text);
        EXPECT_STREQ(text, "12 Objects");
        if (skinnedButton) UnskinGroupBox(group);
        DestroyWindow(bar);
        DestroyWindow(group);
    }
}

// The standard button paints itself at once, in the system's look, when it takes or loses the
// focus, is enabled, pushed or restyled: a skinned group box keeps its own look through all of it.
TEST_F(ControlFixture, ASkinnedGroupBoxKeepsItsLookWhateverHappensToTheButtonUnderIt) {
    HWND group = make("BUTTON", " importing... ", BS_GROUPBOX, 13, 200, 120);
    SkinGroupBoxSubclass(group);
    RedrawWindow(parent, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    auto pixels = [group] {
        RECT r;
        GetClientRect(group, &r);
        HDC dc = GetDC(group);
        std::vector<COLORREF> all;
        for (int y = 0; y < r.bottom; y += 2)
            for (int x = 0; x < r.right; x += 2) all.push_back(GetPixel(dc, x, y));
        ReleaseDC(group, dc);
        return all;
    };
    const auto before = pixels();
    SetFocus(group);
    UpdateWindow(group);
    EXPECT_EQ(pixels(), before);
    SetFocus(parent);
    EnableWindow(group, FALSE);
    EnableWindow(group, TRUE);
    UpdateWindow(group);
    EXPECT_EQ(pixels(), before);
    // Pushed or restyled, as the dialog manager's default-button bookkeeping may do to any button.
    SendMessageA(group, BM_SETSTATE, TRUE, 0);
    UpdateWindow(group);
    EXPECT_EQ(pixels(), before);
    SendMessageA(group, BM_SETSTYLE, BS_GROUPBOX, TRUE);
    UpdateWindow(group);
    EXPECT_EQ(pixels(), before);
    UnskinGroupBox(group);
    DestroyWindow(group);
}

TEST_F(ControlFixture, SkinnedEditDrawsItsFrameInItsBorder) {
    HWND edit = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "", WS_CHILD | WS_VISIBLE, 10, 10, 100, 20, parent, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    SkinEditSubclass(edit);
    RedrawWindow(edit, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    HDC dc = GetWindowDC(edit);
    EXPECT_EQ(GetPixel(dc, 0, 10), GetSkinColor(kDarkEdge));
    EXPECT_EQ(GetPixel(dc, 1, 10), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(dc, 99, 10), GetSkinColor(kLightEdge));
    EXPECT_EQ(GetPixel(dc, 98, 10), GetSkinColor(kFace));
    ReleaseDC(edit, dc);
    UnskinEdit(edit);
}

TEST_F(ControlFixture, FrameRegionFollowsTheOutline) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "qfTestFrame";
    RegisterClassA(&wc);
    HWND frame = CreateWindowA("qfTestFrame", "", WS_POPUP, 0, 0, 340, 200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ShapeSkinnedWindow(frame, true);
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(frame, region), ERROR);
    EXPECT_TRUE(PtInRegion(region, 50, 5));     // caption tab
    EXPECT_FALSE(PtInRegion(region, 160, 3));   // above the ridge, beside the tab
    EXPECT_TRUE(PtInRegion(region, 150, 10));   // ridge
    EXPECT_TRUE(PtInRegion(region, 170, 100));  // body
    EXPECT_TRUE(PtInRegion(region, 250, 197));  // logo tab
    EXPECT_FALSE(PtInRegion(region, 10, 197));  // below the body, left of the logo
    DeleteObject(region);
    const POINT inside{100, 100}, onFrame{3, 100};
    EXPECT_FALSE(IsOnSkinnedFrame(frame, inside, true));
    EXPECT_TRUE(IsOnSkinnedFrame(frame, onFrame, true));
    DestroyWindow(frame);
}

TEST_F(ControlFixture, FramePaintsItsStripsAndBorders) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "qfTestPainted";
    RegisterClassA(&wc);
    HWND frame = CreateWindowA("qfTestPainted", "", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    HDC screen = GetDC(frame);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 300, 200);
    ReleaseDC(frame, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    PaintSkinnedFrame(frame, dc, true, " Title ", true);  // no module: the bitmaps are left out
    EXPECT_EQ(GetPixel(dc, 200, 8), RGB(110, 110, 110));   // caption strip lines
    EXPECT_EQ(GetPixel(dc, 200, 19), RGB(21, 21, 21));
    EXPECT_EQ(GetPixel(dc, 0, 100), RGB(110, 110, 110));   // side borders
    EXPECT_EQ(GetPixel(dc, 294, 100), RGB(110, 110, 110));
    EXPECT_EQ(GetPixel(dc, 298, 100), RGB(21, 21, 21));
    EXPECT_EQ(GetPixel(dc, 100, 182 + 1), RGB(110, 110, 110));  // bottom strip starts at H - 18
    EXPECT_EQ(GetPixel(dc, 100, 100), GetSkinColor(kFace));    // interior
    EXPECT_EQ(GetPixel(dc, 50, 30), GetSkinColor(kDarkEdge));  // etched frame, outer line
    EXPECT_EQ(GetPixel(dc, 50, 31), GetSkinColor(kLightEdge));
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    DestroyWindow(frame);
}

}  // namespace
}  // namespace qf
