// A skinned window with one of each control of the library, to look at under Wine:
//   skin_demo [--close-after MILLISECONDS] [--message TEXT]
#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "controls/win32/dialog_frame.h"
#include "controls/win32/message_box.h"
#include "controls/win32/simple_controls.h"
#include "controls/win32/skin_core.h"

namespace {

using namespace qf;

constexpr int kWidth = 360, kHeight = 300;

HWND child(HWND parent, const char* cls, const char* text, DWORD style, int x, int y, int w, int h, int id) {
    return CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
}

LRESULT CALLBACK FrameProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: {
        child(w, "qfGroupBox", " Geometry ", 0, 20, 36, 150, 120, 100);
        HWND check = child(w, "BUTTON", "Import as clusters", BS_AUTOCHECKBOX, 30, 56, 130, 16, 101);
        SkinCheckBoxSubclass(check);
        SendMessageA(check, BM_SETCHECK, BST_CHECKED, 0);
        HWND flip = child(w, "BUTTON", "Flip ZY-axis", BS_AUTOCHECKBOX, 30, 76, 130, 16, 102);
        SkinCheckBoxSubclass(flip);
        HWND label = child(w, "STATIC", "Prefix:", SS_LEFT, 30, 100, 40, 16, 103);
        SkinStaticSubclass(label);
        HWND edit = child(w, "EDIT", "_toy_car", ES_AUTOHSCROLL | WS_BORDER, 74, 98, 86, 18, 104);
        SkinEditSubclass(edit);
        HWND disabled = child(w, "STATIC", "disabled text", SS_LEFT, 30, 126, 120, 16, 105);
        SkinStaticSubclass(disabled);
        EnableWindow(disabled, FALSE);

        child(w, "qfGroupBox", " Material ", 0, 185, 36, 150, 120, 110);
        child(w, "qfCheckBox", "Push-like", BS_PUSHLIKE, 195, 56, 130, 20, 111);
        HWND pushed = child(w, "qfCheckBox", "Checked", BS_PUSHLIKE, 195, 82, 130, 20, 112);
        SendMessageA(pushed, BM_SETCHECK, BST_CHECKED, 0);
        child(w, "qfStatic", "qfStatic label", 0, 195, 110, 130, 16, 113);
        child(w, "qfArrowButton", "UP", 0, 195, 130, 16, 16, 114);
        child(w, "qfArrowButton", "DOWN", 0, 213, 130, 16, 16, 115);

        HWND bar = child(w, "qfProgressCtrl", "", 0, 20, 172, 315, 14, 120);
        SendMessageA(bar, PRGM_SETCOLOR, 0, RGB(40, 100, 140));
        const float fraction = 0.6f;
        SendMessageA(bar, PRGM_SETFRACTION, 0, reinterpret_cast<LPARAM>(&fraction));
        child(w, "qfButton", "Import", 0, 20, 200, 90, 22, 1);
        child(w, "BUTTON", "Cancel", BS_OWNERDRAW, 120, 200, 90, 22, 2);
        HWND off = child(w, "qfButton", "Help", 0, 220, 200, 90, 22, 3);
        EnableWindow(off, FALSE);
        ShapeSkinnedWindow(w, true);
        return 0;
    }
    case WM_SIZE:
        ShapeSkinnedWindow(w, true);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(w, &ps);
        PaintSkinnedFrame(w, dc, false, "", true);
        EndPaint(w, &ps);
        return 0;
    }
    case WM_CTLCOLOREDIT:
        SetTextColor(reinterpret_cast<HDC>(wParam), GetSkinColor(1));
        SetBkColor(reinterpret_cast<HDC>(wParam), GetSkinColor(7));
        return reinterpret_cast<LRESULT>(GetSkinBrush(7));
    case WM_DRAWITEM:
        DrawOwnerDrawButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_LBUTTONDOWN: {
        const POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        DragSkinnedFrame(w, p, true);
        return 0;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == 2 && HIWORD(wParam) == BN_CLICKED) DestroyWindow(w);
        return 0;
    case WM_TIMER:
        DestroyWindow(w);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(w, message, wParam, lParam);
    }
}

}  // namespace

int main(int argc, char** argv) {
    HINSTANCE module = GetModuleHandleA(nullptr);
    if (!RegisterSkinControls(module)) return 1;
    const int bitmaps[8] = {106, 106, 105, 101, 108, 102, 104, 103};
    SetDialogSkin(module, bitmaps, 102);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = FrameProc;
    wc.hInstance = module;
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.lpszClassName = "qfSkinDemo";
    RegisterClassA(&wc);
    HWND frame = CreateWindowExA(0, "qfSkinDemo", "qf::ObjImport", WS_POPUP, 0, 0, kWidth, kHeight,
                                 nullptr, nullptr, module, nullptr);
    if (!frame) return 1;
    CenterOnOwnerMonitor(frame, nullptr);
    ShowWindow(frame, SW_SHOW);
    UpdateWindow(frame);
    const char* message = nullptr;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--close-after") == 0) SetTimer(frame, 1, UINT(std::atoi(argv[i + 1])), nullptr);
        if (std::strcmp(argv[i], "--message") == 0) message = argv[i + 1];
    }
    if (message) SkinMessageBox(frame, message, MB_ICONEXCLAMATION);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
