#include "dialogs/win32/about_dialog.h"

#include "controls/win32/dialog_frame.h"
#include "controls/win32/skin_core.h"
#include "resources/control_ids.h"

namespace qf {

namespace {

constexpr int kAboutWidth = 279, kAboutHeight = 179;
constexpr int kPictureX = 5, kPictureY = 20, kPictureWidth = 268, kPictureHeight = 142;

void paintPicture(HINSTANCE module, HDC dc) {
    HBITMAP picture = LoadBitmapA(module, MAKEINTRESOURCEA(IDB_ABOUT));
    if (!picture) return;
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, picture);
    BitBlt(dc, kPictureX, kPictureY, kPictureWidth, kPictureHeight, source, 0, 0, SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
    DeleteObject(picture);
}

INT_PTR handle(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(w, DWLP_USER, lParam);
        SetWindowPos(w, nullptr, 0, 0, kAboutWidth, kAboutHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        ShapeSkinnedWindow(w, true);
        CenterOnOwnerMonitor(w, GetWindow(w, GW_OWNER));
        return TRUE;
    case WM_ERASEBKGND:
        SetWindowLongPtrA(w, DWLP_MSGRESULT, 1);
        return TRUE;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(w, &ps);
        PaintSkinnedFrame(w, dc, false, "", true);
        paintPicture(reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(w, DWLP_USER)), dc);
        EndPaint(w, &ps);
        return TRUE;
    }
    case WM_LBUTTONDOWN: {
        // The frame moves the box; a click on the picture closes it.
        const POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        if (!DragSkinnedFrame(w, p, true)) EndDialog(w, 0);
        return TRUE;
    }
    case WM_CLOSE:
        EndDialog(w, 1);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) EndDialog(w, 1);
        else if (LOWORD(wParam) == IDCANCEL) EndDialog(w, 0);
        return TRUE;
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK AboutProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    return NoThrow(FALSE, [&] { return handle(w, message, wParam, lParam); });
}

}  // namespace

void ShowAboutBox(HINSTANCE module, HWND owner) {
    DialogBoxParamA(module, MAKEINTRESOURCEA(IDD_ABOUT), owner, AboutProc, reinterpret_cast<LPARAM>(module));
}

}  // namespace qf
