#include "dialogs/win32/warnings_dialog.h"

#include "controls/win32/dialog_frame.h"
#include "controls/win32/skin_core.h"
#include "dialogs/warnings_layout.h"
#include "model/string_table.h"
#include "resources/control_ids.h"

namespace qf {

namespace {

struct WarningsDialog {
    const ObjImporter& importer;
    int width = 0, height = 0;  // the client size laid out last
};

RECT rectOf(const FrameRect& r) { return {r.left, r.top, r.right, r.bottom}; }

RECT childRect(HWND dialog, int id) {
    RECT r{};
    if (HWND child = GetDlgItem(dialog, id)) {
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    }
    return r;
}

// Places the list and Close for the client size and returns what the frame must repaint.
HRGN layOut(HWND dialog, WarningsDialog& d) {
    RECT client;
    GetClientRect(dialog, &client);
    const WarningsLayout l =
        layoutWarnings(client.right, client.bottom, childRect(dialog, IDC_WARNING_LIST).top, d.width, d.height);
    d.width = client.right;
    d.height = client.bottom;
    const RECT list = rectOf(l.list), close = rectOf(l.close);
    MoveWindow(GetDlgItem(dialog, IDC_WARNING_LIST), list.left, list.top, list.right - list.left,
               list.bottom - list.top, TRUE);
    MoveWindow(GetDlgItem(dialog, IDCANCEL), close.left, close.top, close.right - close.left,
               close.bottom - close.top, TRUE);
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    for (const FrameRect& band : l.repaint) {
        HRGN piece = CreateRectRgn(band.left, band.top, band.right, band.bottom);
        CombineRgn(region, region, piece, RGN_OR);
        DeleteObject(piece);
    }
    return region;
}

void open(HWND dialog, WarningsDialog& d) {
    CenterOnOwnerMonitor(dialog, GetWindow(dialog, GW_OWNER));
    HWND list = GetDlgItem(dialog, IDC_WARNING_LIST);
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    for (const std::string& warning : d.importer.warnings)
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(warning.c_str()));
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    RECT client;
    GetClientRect(dialog, &client);
    d.width = client.right;
    d.height = client.bottom;
    CreateWindowExA(0, "qfButton", loadText(IDS_CLOSE), WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 75, 23, dialog,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDCANCEL)), SkinControlsModule(), nullptr);
    DeleteObject(layOut(dialog, d));
    ShapeSkinnedWindow(dialog, true);
}

// A press on the frame: the size grip resizes from the corner, the rest moves the dialog.
void pressOnFrame(HWND dialog, const WarningsDialog& d, POINT p) {
    if (!IsOnSkinnedFrame(dialog, p, true)) return;
    POINT screen = p;
    ClientToScreen(dialog, &screen);
    const LPARAM at = MAKELPARAM(screen.x, screen.y);
    if (inSizeGrip(d.width, d.height, {p.x, p.y})) SendMessageA(dialog, WM_NCLBUTTONDOWN, HTBOTTOMRIGHT, at);
    else PostMessageA(dialog, WM_NCLBUTTONDOWN, HTCAPTION, at);
}

INT_PTR warningsMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        open(dialog, *reinterpret_cast<WarningsDialog*>(lParam));
        return TRUE;
    }
    auto* d = reinterpret_cast<WarningsDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message) {
    case WM_GETMINMAXINFO: {
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMinTrackSize = {kWarningsMinWidth, kWarningsMinHeight};
        return TRUE;
    }
    case WM_SIZE: {
        if (!d || wParam == SIZE_MINIMIZED) return FALSE;
        HRGN region = layOut(dialog, *d);
        ShapeSkinnedWindow(dialog, true);
        InvalidateRgn(dialog, region, TRUE);
        DeleteObject(region);
        return TRUE;
    }
    case WM_ERASEBKGND:
        SetWindowLongPtrA(dialog, DWLP_MSGRESULT, 1);
        return TRUE;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(dialog, &ps);
        for (int id : {IDC_WARNING_LIST, IDCANCEL}) {
            const RECT r = childRect(dialog, id);
            ExcludeClipRect(dc, r.left, r.top, r.right, r.bottom);
        }
        PaintSkinnedFrame(dialog, dc, false, "", true);
        EndPaint(dialog, &ps);
        return TRUE;
    }
    case WM_LBUTTONDOWN:
        if (d) pressOnFrame(dialog, *d, {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
        return TRUE;
    case WM_COMMAND:
        // Close, or Escape.
        if (LOWORD(wParam) == IDCANCEL && HIWORD(wParam) == BN_CLICKED) EndDialog(dialog, 0);
        return TRUE;
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK WarningsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return NoThrow(FALSE, [&] { return warningsMessage(dialog, message, wParam, lParam); });
}

}  // namespace

void ShowWarningsDialog(HINSTANCE module, HWND owner, const ObjImporter& importer) {
    WarningsDialog d{importer};
    DialogBoxParamA(module, MAKEINTRESOURCEA(IDD_WARNINGS), owner, WarningsDialogProc, reinterpret_cast<LPARAM>(&d));
}

}  // namespace qf
