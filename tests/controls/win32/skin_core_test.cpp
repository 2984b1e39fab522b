// The control library's base on real Win32 (run under Wine).
#include "controls/win32/skin_core.h"

#include <gtest/gtest.h>

#include "controls/skin_metrics.h"

namespace qf {
namespace {

HINSTANCE module() { return GetModuleHandleA(nullptr); }

TEST(SkinCore, RegistersEveryClassAndAgain) {
    ASSERT_EQ(RegisterSkinControls(module()), 1);
    EXPECT_EQ(RegisterSkinControls(module()), 1);
    for (const char* name : kSkinClassNames) {
        WNDCLASSA wc = {};
        ASSERT_TRUE(GetClassInfoA(module(), name, &wc)) << name;
        EXPECT_EQ(wc.cbWndExtra, 8) << name;
    }
}

TEST(SkinCore, ColoursBrushesAndFonts) {
    EXPECT_EQ(GetSkinColor(0), RGB(56, 56, 56));
    EXPECT_EQ(GetSkinColor(18), 0u);
    EXPECT_EQ(GetSkinBrush(18), nullptr);
    EXPECT_EQ(GetSkinFont(6), nullptr);
    ASSERT_NE(GetSkinBrush(7), nullptr);
    EXPECT_EQ(GetSkinBrush(7), GetSkinBrush(7));
    LOGBRUSH lb = {};
    GetObjectA(GetSkinBrush(7), sizeof lb, &lb);
    EXPECT_EQ(lb.lbColor, RGB(53, 70, 87));
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    LOGFONTA lf = {};
    GetObjectA(GetSkinFont(1), sizeof lf, &lf);
    EXPECT_EQ(lf.lfHeight, -11);
    GetObjectA(GetSkinFont(0), sizeof lf, &lf);
    EXPECT_EQ(lf.lfHeight, skinFontHeight(0, dpi));
    GetObjectA(GetSkinFont(2), sizeof lf, &lf);
    EXPECT_EQ(lf.lfHeight, skinFontHeight(2, dpi));
}

COLORREF pixelAfter(void (*paint)(HDC), int x, int y) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 20, 20);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    paint(dc);
    const COLORREF c = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return c;
}

TEST(SkinCore, FillAndFramePaintTheirPixels) {
    auto frame = [](HDC dc) {
        FillSolidRect(dc, 0, 0, 20, 20, GetSkinColor(kFace));
        const RECT r{2, 2, 12, 12};
        Draw3dRect(dc, r, GetSkinColor(kLightEdge), GetSkinColor(kDarkEdge));
    };
    EXPECT_EQ(pixelAfter(frame, 5, 2), GetSkinColor(kLightEdge));   // top edge
    EXPECT_EQ(pixelAfter(frame, 2, 5), GetSkinColor(kLightEdge));   // left edge
    EXPECT_EQ(pixelAfter(frame, 11, 5), GetSkinColor(kDarkEdge));   // right column
    EXPECT_EQ(pixelAfter(frame, 5, 11), GetSkinColor(kDarkEdge));   // bottom row
    EXPECT_EQ(pixelAfter(frame, 11, 2), GetSkinColor(kDarkEdge));   // top-right belongs to the right edge
    EXPECT_EQ(pixelAfter(frame, 6, 6), GetSkinColor(kFace));
    EXPECT_EQ(pixelAfter(frame, 12, 12), GetSkinColor(kFace));
}

TEST(SkinCore, ControlsKeepAStateBlockForTheirLifetime) {
    ASSERT_EQ(RegisterSkinControls(module()), 1);
    HWND w = CreateWindowA("qfListCtrl", "", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, module(), nullptr);
    ASSERT_NE(w, nullptr);
    EXPECT_NE(StateBlockOf(w), nullptr);
    DestroyWindow(w);
}

TEST(SkinCore, OpacityIsClampedToOneHundredPercent) {
    HWND w = CreateWindowA("qfStatic", "", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, module(), nullptr);
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(SetWindowOpacity(w, 150));
    BYTE alpha = 0;
    DWORD flags = 0;
    COLORREF key = 0;
    if (GetLayeredWindowAttributes(w, &key, &alpha, &flags)) {
        EXPECT_EQ(alpha, 255);
    }
    ASSERT_TRUE(SetWindowOpacity(w, 50));
    if (GetLayeredWindowAttributes(w, &key, &alpha, &flags)) {
        EXPECT_EQ(alpha, 127);
    }
    EXPECT_TRUE(GetWindowLongPtrA(w, GWL_EXSTYLE) & WS_EX_LAYERED);
    DestroyWindow(w);
}

}  // namespace
}  // namespace qf
