#include "controls/win32/skin_core.h"

#include <commctrl.h>

#include "controls/skin_metrics.h"
#include "controls/win32/combo_box.h"
#include "controls/win32/inplace_edit.h"
#include "controls/win32/list_box.h"
#include "controls/win32/list_ctrl.h"
#include "controls/win32/popup_menu.h"
#include "controls/win32/scroll_bar.h"
#include "controls/win32/simple_controls.h"
#include "controls/win32/spinner.h"
#include "controls/win32/tree_ctrl.h"

namespace qf {

namespace {

// Process-wide skin objects, made on first use and deleted when the process ends.
struct SkinObjects {
    HBRUSH brushes[kPaletteSize] = {};
    HFONT fonts[kFontSlots] = {};
    ~SkinObjects() {
        for (HBRUSH& b : brushes)
            if (b) DeleteObject(b);
        for (HFONT& f : fonts)
            if (f) DeleteObject(f);
    }
};

SkinObjects& skinObjects() {
    static SkinObjects objects;
    return objects;
}

using SetLayeredWindowAttributesFn = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);

SetLayeredWindowAttributesFn layeredAttributes() {
    static SetLayeredWindowAttributesFn fn = [] {
        HMODULE user32 = LoadLibraryA("USER32.dll");
        return user32 ? reinterpret_cast<SetLayeredWindowAttributesFn>(
                            reinterpret_cast<void*>(GetProcAddress(user32, "SetLayeredWindowAttributes")))
                      : nullptr;
    }();
    return fn;
}

struct ClassEntry {
    const char* name;
    UINT style;
    WNDPROC proc;
};

constexpr UINT kRedraw = CS_HREDRAW | CS_VREDRAW;

const ClassEntry kClasses[15] = {
    {"qfStatic", kRedraw, StaticProc},
    {"qfGroupBox", kRedraw, GroupBoxProc},
    {"qfButton", kRedraw, ButtonProc},
    {"qfArrowButton", kRedraw, ArrowButtonProc},
    {"qfCheckBox", kRedraw, CheckBoxProc},
    {"qfSpinButton", kRedraw, SpinButtonProc},
    {"qfSpinner", kRedraw, SpinnerProc},
    {"qfListBox", kRedraw | CS_DBLCLKS, ListBoxProc},
    {"qfComboBox", kRedraw | CS_DBLCLKS, ComboBoxProc},
    {"qfScrollBar", kRedraw | CS_DBLCLKS, ScrollBarProc},
    {"qfInplaceEdit", kRedraw | CS_DBLCLKS | CS_SAVEBITS, InplaceEditProc},
    {"qfMenu", kRedraw | CS_DBLCLKS | CS_SAVEBITS, MenuProc},
    {"qfTreeCtrl", kRedraw | CS_DBLCLKS, TreeCtrlProc},
    {"qfListCtrl", kRedraw | CS_DBLCLKS, ListCtrlProc},
    {"qfProgressCtrl", kRedraw | CS_DBLCLKS, ProgressProc},
};

}  // namespace

const char* const kSkinClassNames[15] = {
    "qfStatic",   "qfGroupBox",  "qfButton",      "qfArrowButton", "qfCheckBox",
    "qfSpinButton", "qfSpinner", "qfListBox",     "qfComboBox",    "qfScrollBar",
    "qfInplaceEdit", "qfMenu",   "qfTreeCtrl",    "qfListCtrl",    "qfProgressCtrl",
};

LRESULT CALLBACK PlainControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        return CreateStateBlock(window, 64) ? 0 : -1;
    case WM_DESTROY:
        FreeStateBlock(window);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        RECT client;
        GetClientRect(window, &client);
        FillSolidRect(dc, client, GetSkinColor(kFace));
        EndPaint(window, &ps);
        return 0;
    }
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

namespace {
HINSTANCE g_controlsModule = nullptr;
}

HINSTANCE SkinControlsModule() { return g_controlsModule ? g_controlsModule : GetModuleHandleA(nullptr); }

int RegisterSkinControls(HINSTANCE module) {
    g_controlsModule = module;
    for (const ClassEntry& entry : kClasses) {
        WNDCLASSA wc = {};
        wc.style = entry.style;
        wc.lpfnWndProc = entry.proc;
        wc.cbWndExtra = 8;
        wc.hInstance = module;
        wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        wc.lpszClassName = entry.name;
        if (!RegisterClassA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
            MessageBoxA(nullptr, "Failed to Create", entry.name, MB_ICONEXCLAMATION);
            return 0;
        }
    }
    return 1;
}

void UnregisterSkinControls(HINSTANCE module) {
    for (const ClassEntry& entry : kClasses) UnregisterClassA(entry.name, module);
    if (g_controlsModule == module) g_controlsModule = nullptr;
}

COLORREF GetSkinColor(int index) { return paletteColor(index); }

HBRUSH GetSkinBrush(int index) {
    if (index < 0 || index >= kPaletteSize) return nullptr;
    HBRUSH& brush = skinObjects().brushes[index];
    if (!brush) brush = CreateSolidBrush(paletteColor(index));
    return brush;
}

HFONT GetSkinFont(int index) {
    if (index < 0 || index >= kFontSlots) return nullptr;
    HFONT& font = skinObjects().fonts[index];
    if (font) return font;
    HGDIOBJ stock = GetStockObject(DEFAULT_GUI_FONT);
    if (!stock) stock = GetStockObject(SYSTEM_FONT);
    LOGFONTA lf = {};
    GetObjectA(stock, sizeof lf, &lf);
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    lf.lfHeight = skinFontHeight(index, dpi);
    font = CreateFontIndirectA(&lf);
    return font;
}

bool SetWindowOpacity(HWND window, int percent) {
    SetLayeredWindowAttributesFn setAttributes = layeredAttributes();
    if (!setAttributes) return false;
    SetWindowLongPtrA(window, GWL_EXSTYLE, GetWindowLongPtrA(window, GWL_EXSTYLE) | WS_EX_LAYERED);
    return setAttributes(window, 0, static_cast<BYTE>(opacityAlpha(percent)), LWA_ALPHA) != FALSE;
}

void FillSolidRect(HDC dc, const RECT& rect, COLORREF colour) {
    SetBkColor(dc, colour);
    ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
}

void FillSolidRect(HDC dc, int x, int y, int width, int height, COLORREF colour) {
    const RECT rect{x, y, x + width, y + height};
    FillSolidRect(dc, rect, colour);
}

void Draw3dRect(HDC dc, const RECT& r, COLORREF topLeft, COLORREF bottomRight) {
    const int w = r.right - r.left, h = r.bottom - r.top;
    FillSolidRect(dc, r.left, r.top, w - 1, 1, topLeft);
    FillSolidRect(dc, r.left, r.top, 1, h - 1, topLeft);
    FillSolidRect(dc, r.right - 1, r.top, 1, h, bottomRight);
    FillSolidRect(dc, r.left, r.bottom - 1, w, 1, bottomRight);
}

void DrawSkinText(HDC dc, const char* text, RECT rect, UINT format, bool enabled) {
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    if (enabled) {
        SetTextColor(dc, GetSkinColor(kText));
        DrawTextA(dc, text, -1, &rect, format);
    } else {
        RECT shifted = rect;
        OffsetRect(&shifted, 1, 1);
        SetTextColor(dc, GetSkinColor(kLightEdge));
        DrawTextA(dc, text, -1, &shifted, format);
        SetTextColor(dc, GetSkinColor(kDarkEdge));
        DrawTextA(dc, text, -1, &rect, format);
    }
    SetBkMode(dc, oldMode);
}

LRESULT ColourSkinnedField(WPARAM dc, HWND field) {
    HDC hdc = reinterpret_cast<HDC>(dc);
    const COLORREF text = GetSkinColor(kText), background = GetSkinColor(kField);
    SetTextColor(hdc, IsWindowEnabled(field) ? text : dimmedFieldText(text, background));
    SetBkColor(hdc, background);
    return reinterpret_cast<LRESULT>(GetSkinBrush(kField));
}

bool PaintDisabledField(HWND edit) {
    if (IsWindowEnabled(edit)) return false;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(edit, &ps);
    RECT client;
    GetClientRect(edit, &client);
    FillSolidRect(dc, client, GetSkinColor(kField));
    RECT format = client;
    SendMessageA(edit, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    char text[256] = {};
    GetWindowTextA(edit, text, sizeof text);
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(edit, WM_GETFONT, 0, 0));
    HGDIOBJ oldFont = font ? SelectObject(dc, font) : nullptr;
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, dimmedFieldText(GetSkinColor(kText), GetSkinColor(kField)));
    DrawTextA(dc, text, -1, &format, DT_SINGLELINE | DT_NOPREFIX | DT_LEFT | DT_TOP);
    SetBkMode(dc, oldMode);
    if (oldFont) SelectObject(dc, oldFont);
    EndPaint(edit, &ps);
    return true;
}

void PaintBorderFrames(HWND window, COLORREF outerTopLeft, COLORREF outerBottomRight, COLORREF innerTopLeft,
                       COLORREF innerBottomRight) {
    HDC dc = GetWindowDC(window);
    if (!dc) return;
    RECT r;
    GetWindowRect(window, &r);
    OffsetRect(&r, -r.left, -r.top);
    Draw3dRect(dc, r, outerTopLeft, outerBottomRight);
    InflateRect(&r, -1, -1);
    Draw3dRect(dc, r, innerTopLeft, innerBottomRight);
    ReleaseDC(window, dc);
}

LRESULT EraseWithSkinColor(HWND window, WPARAM dc, int paletteIndex) {
    RECT r;
    GetClientRect(window, &r);
    FillSolidRect(reinterpret_cast<HDC>(dc), r, GetSkinColor(paletteIndex));
    return 1;
}

void* CreateStateBlock(HWND window, size_t bytes) {
    void* block = LocalAlloc(LPTR, bytes);
    SetWindowLongPtrA(window, 0, reinterpret_cast<LONG_PTR>(block));
    return block;
}

void* StateBlockOf(HWND window) { return reinterpret_cast<void*>(GetWindowLongPtrA(window, 0)); }

void FreeStateBlock(HWND window) {
    if (void* block = StateBlockOf(window)) LocalFree(LocalHandle(block));
    SetWindowLongPtrA(window, 0, 0);
}

}  // namespace qf
