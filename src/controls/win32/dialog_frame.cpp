#include "controls/win32/dialog_frame.h"

#include <vector>

#include "controls/frame_geometry.h"
#include "controls/skin_metrics.h"
#include "controls/win32/skin_core.h"

namespace qf {

namespace {

SIZE clientSize(HWND window);

enum BitmapSlot { kCaptionLeft = 0, kRidgeCap = 2, kTopRight = 3, kBottomLeft = 4, kBottomRight = 5, kSizeGrip = 6,
                  kLogoTab = 7 };

const COLORREF kGrey110 = RGB(110, 110, 110), kGrey86 = RGB(86, 86, 86), kGrey63 = RGB(63, 63, 63),
               kGrey56 = RGB(56, 56, 56), kGrey52 = RGB(52, 52, 52), kGrey38 = RGB(38, 38, 38),
               kGrey21 = RGB(21, 21, 21);

SIZE clientSize(HWND window) {
    RECT r;
    GetClientRect(window, &r);
    return {r.right - r.left, r.bottom - r.top};
}

HRGN polygonRegion(const std::vector<FramePoint>& points) {
    std::vector<POINT> pts;
    for (const FramePoint& p : points) pts.push_back({p.x, p.y});
    return CreatePolygonRgn(pts.data(), int(pts.size()), WINDING);
}

void addRegion(HRGN target, HRGN piece) {
    CombineRgn(target, target, piece, RGN_OR);
    DeleteObject(piece);
}

void line(HDC dc, int x0, int y, int x1, COLORREF colour) { FillSolidRect(dc, x0, y, x1 - x0, 1, colour); }
void column(HDC dc, int x, int y0, int y1, COLORREF colour) { FillSolidRect(dc, x, y0, 1, y1 - y0, colour); }

// Copies a frame bitmap of the skin into dc; a missing one leaves the place as it is.
void blitBitmap(HDC dc, int slot, int x, int y, int w, int h) {
    const DialogSkin& skin = dialogSkin();
    if (!skin.module || skin.bitmaps[slot] == 0) return;
    HBITMAP bitmap = LoadBitmapA(skin.module, MAKEINTRESOURCEA(skin.bitmaps[slot]));
    if (!bitmap) return;
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, bitmap);
    BitBlt(dc, x, y, w, h, source, 0, 0, SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
    DeleteObject(bitmap);
}

}  // namespace

DialogSkin& dialogSkin() {
    static DialogSkin skin;
    return skin;
}

void SetDialogSkin(HINSTANCE module, const int (&bitmapIds)[8], int tabWidth) {
    DialogSkin& skin = dialogSkin();
    skin.module = module;
    for (int i = 0; i < 8; ++i) skin.bitmaps[i] = bitmapIds[i];
    if (tabWidth > 0) skin.tabWidth = tabWidth;
}

void ShapeSkinnedWindow(HWND window, bool withLogo) {
    const SIZE size = clientSize(window);
    const bool thick = (GetWindowLongPtrA(window, GWL_STYLE) & WS_THICKFRAME) != 0;
    const FrameOutline o = frameOutline(size.cx, size.cy, dialogSkin().tabWidth, withLogo,
                                        thick ? GetSystemMetrics(SM_CXFRAME) - 1 : 0,
                                        thick ? GetSystemMetrics(SM_CYFRAME) - 1 : 0);
    HRGN region = CreateRoundRectRgn(o.body.left, o.body.top, o.body.right, o.body.bottom, 2, 2);
    addRegion(region, polygonRegion(o.tab));
    addRegion(region, polygonRegion(o.ridge));
    if (!o.logoTab.empty()) addRegion(region, polygonRegion(o.logoTab));
    if (o.offset.x || o.offset.y) OffsetRgn(region, o.offset.x, o.offset.y);
    if (!SetWindowRgn(window, region, TRUE)) DeleteObject(region);
}

void PaintSkinnedFrame(HWND window, HDC dc, bool drawTitle, const char* title, bool withLogo) {
    const SIZE size = clientSize(window);
    const int w = size.cx, h = size.cy, t = dialogSkin().tabWidth;
    const int stripHeight = withLogo ? 18 : 12;
    const int b = bottomStripTop(h, withLogo);
    const bool thick = (GetWindowLongPtrA(window, GWL_STYLE) & WS_THICKFRAME) != 0;

    // Caption and bottom strips are composed off screen, then copied in one blit each.
    HDC strip = CreateCompatibleDC(dc);
    HBITMAP caption = CreateCompatibleBitmap(dc, w, 23);
    HGDIOBJ old = SelectObject(strip, caption);
    FillSolidRect(strip, 0, 0, w, 23, kGrey56);
    line(strip, 0, 8, w, kGrey110);
    line(strip, 0, 15, w, kGrey110);
    line(strip, 0, 9, w, kGrey86);
    line(strip, 0, 16, w, kGrey86);
    line(strip, 0, 10, w, kGrey63);
    line(strip, 0, 18, w, kGrey38);
    line(strip, 0, 19, w, kGrey21);
    blitBitmap(strip, kCaptionLeft, 0, 0, 123, 23);
    blitBitmap(strip, kRidgeCap, ridgeEnd(w, t) - 3, 8, 9, 12);
    blitBitmap(strip, kTopRight, w - 8, 15, 7, 9);
    BitBlt(dc, 0, 0, w, 23, strip, 0, 0, SRCCOPY);

    HBITMAP bottom = CreateCompatibleBitmap(dc, w, stripHeight);
    SelectObject(strip, bottom);
    FillSolidRect(strip, 0, 0, w, stripHeight, kGrey56);
    line(strip, 0, 1, w, kGrey110);
    line(strip, 0, 2, w, kGrey86);
    line(strip, 0, 3, w - 3, kGrey63);
    line(strip, 0, 9, w, kGrey52);
    line(strip, 0, 10, w, kGrey38);
    line(strip, 0, 11, w, kGrey21);
    blitBitmap(strip, kBottomLeft, 0, 0, 9, 12);
    if (withLogo) blitBitmap(strip, kLogoTab, w - 118, 5, 92, 13);
    if (thick) blitBitmap(strip, kSizeGrip, w - 11, 0, 10, 12);
    else blitBitmap(strip, kBottomRight, w - 8, 0, 7, 12);
    BitBlt(dc, 0, b, w, stripHeight, strip, 0, 0, SRCCOPY);
    SelectObject(strip, old);
    DeleteObject(caption);
    DeleteObject(bottom);
    DeleteDC(strip);

    const COLORREF sides[5] = {kGrey110, kGrey86, kGrey56, kGrey38, kGrey21};
    for (int i = 0; i < 5; ++i) {
        column(dc, i, 23, b, sides[i]);
        column(dc, w - 6 + i, 23, b, sides[i]);
    }
    FillSolidRect(dc, 5, 23, w - 11, b - 23, GetSkinColor(kFace));

    if (!drawTitle) return;
    RECT etched{11, 30, w - 12, h - 54};
    Draw3dRect(dc, etched, GetSkinColor(kDarkEdge), GetSkinColor(kDarkEdge));
    OffsetRect(&etched, 1, 1);
    Draw3dRect(dc, etched, GetSkinColor(kLightEdge), GetSkinColor(kLightEdge));
    if (!title || !*title) return;
    HGDIOBJ oldFont = SelectObject(dc, GetSkinFont(0));
    SIZE text{};
    GetTextExtentPoint32A(dc, title, lstrlenA(title), &text);
    RECT r{(w - 23) / 2 - text.cx / 2, 24, 0, 24 + text.cy};
    r.right = r.left + text.cx;
    SetTextColor(dc, captionColor(GetSkinColor(kFace)));
    SetBkColor(dc, GetSkinColor(kFace));
    SetBkMode(dc, OPAQUE);
    DrawTextA(dc, title, -1, &r, DT_CENTER);
    SelectObject(dc, oldFont);
}

bool IsOnSkinnedFrame(HWND window, POINT p, bool withLogo) {
    const SIZE size = clientSize(window);
    return !dragInterior(size.cx, size.cy, withLogo).contains({p.x, p.y});
}

bool DragSkinnedFrame(HWND window, POINT p, bool withLogo) {
    if (!IsOnSkinnedFrame(window, p, withLogo)) return false;
    POINT screen = p;
    ClientToScreen(window, &screen);
    PostMessageA(window, WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(screen.x, screen.y));
    return true;
}

void CenterOnOwnerMonitor(HWND window, HWND owner) {
    RECT reference, bounds;
    MONITORINFO info{sizeof info, {}, {}, 0};
    if (owner) {
        GetWindowRect(owner, &reference);
        GetMonitorInfoA(MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &info);
        bounds = info.rcWork;
    } else {
        GetMonitorInfoA(MonitorFromWindow(GetDesktopWindow(), MONITOR_DEFAULTTOPRIMARY), &info);
        reference = bounds = info.rcWork;
    }
    RECT own;
    GetWindowRect(window, &own);
    const FramePoint p = centredPosition({reference.left, reference.top, reference.right, reference.bottom},
                                         {bounds.left, bounds.top, bounds.right, bounds.bottom},
                                         own.right - own.left, own.bottom - own.top);
    SetWindowPos(window, nullptr, p.x, p.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace qf

namespace qf {

bool HandleSkinnedResize(HWND window, POINT p, bool withLogo, bool buttonDown) {
    const SIZE size = clientSize(window);
    const ResizeHit hit = resizeHit(size.cx, size.cy, withLogo, {p.x, p.y}, buttonDown);
    if (hit == ResizeHit::None) return false;
    POINT screen = p;
    ClientToScreen(window, &screen);
    const LPARAM at = MAKELPARAM(screen.x, screen.y);
    if (hit == ResizeHit::Caption) {
        PostMessageA(window, WM_NCLBUTTONDOWN, HTCAPTION, at);
        return true;
    }
    const LPCSTR cursor = hit == ResizeHit::BottomRight ? reinterpret_cast<LPCSTR>(IDC_SIZENWSE)
                          : hit == ResizeHit::Right     ? reinterpret_cast<LPCSTR>(IDC_SIZEWE)
                                                        : reinterpret_cast<LPCSTR>(IDC_SIZENS);
    SetCursor(LoadCursorA(nullptr, cursor));
    if (buttonDown) {
        const WPARAM code = hit == ResizeHit::BottomRight ? HTBOTTOMRIGHT : hit == ResizeHit::Right ? HTRIGHT : HTBOTTOM;
        SendMessageA(window, WM_NCLBUTTONDOWN, code, at);
    }
    return true;
}

}  // namespace qf
