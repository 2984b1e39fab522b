#include "controls/win32/message_box.h"

#include <algorithm>
#include <string>
#include <vector>

#include "controls/text_fitting.h"
#include "controls/win32/dialog_frame.h"
#include "controls/win32/simple_controls.h"
#include "controls/win32/skin_core.h"

namespace qf {

namespace {

struct MessageParameters {
    std::string text;
    UINT type;
    std::vector<std::string> lines;
    int lineHeight = 13;
};

bool g_messageBoxOpen = false;

void layout(HWND box, MessageParameters& p) {
    HDC dc = GetDC(box);
    HGDIOBJ old = SelectObject(dc, GetSkinFont(0));
    SIZE size{};
    GetTextExtentPoint32A(dc, "\xd6g", 2, &size);
    p.lineHeight = size.cy;
    p.lines = messageLines(p.text);
    int widest = 0;
    for (const std::string& line : p.lines) {
        GetTextExtentPoint32A(dc, line.c_str(), int(line.size()), &size);
        widest = std::max<int>(widest, size.cx);
    }
    SelectObject(dc, old);
    ReleaseDC(box, dc);
    const MessageBoxLayout l = messageBoxLayout(widest, int(p.lines.size()), p.lineHeight);
    CreateWindowA("qfButton", "OK", WS_CHILD | WS_VISIBLE, l.buttonX, l.buttonY, 70, 20, box,
                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(1)), SkinControlsModule(), nullptr);
    SetWindowPos(box, nullptr, 0, 0, l.width, l.height, SWP_NOMOVE | SWP_NOZORDER);
}

INT_PTR CALLBACK MessageBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* p = reinterpret_cast<MessageParameters*>(GetWindowLongPtrA(box, GWLP_USERDATA));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(box, GWLP_USERDATA, lParam);
        layout(box, *reinterpret_cast<MessageParameters*>(lParam));
        ShapeSkinnedWindow(box, true);
        CenterOnOwnerMonitor(box, GetParent(box));
        return TRUE;
    case WM_ERASEBKGND:
        return TRUE;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(box, &ps);
        PaintSkinnedFrame(box, dc, false, "", true);
        SetTextColor(dc, GetSkinColor(1));
        SetBkMode(dc, TRANSPARENT);
        const MessageIcon icon = messageIcon(p ? p->type : 0);
        LPCSTR id = icon == MessageIcon::Question      ? reinterpret_cast<LPCSTR>(IDI_QUESTION)
                    : icon == MessageIcon::Exclamation ? reinterpret_cast<LPCSTR>(IDI_EXCLAMATION)
                                                       : reinterpret_cast<LPCSTR>(IDI_ASTERISK);
        DrawIcon(dc, 20, 35, LoadIconA(nullptr, id));
        HGDIOBJ old = SelectObject(dc, GetSkinFont(0));
        if (p)
            for (size_t i = 0; i < p->lines.size(); ++i)
                TextOutA(dc, 70, 42 + p->lineHeight * int(i), p->lines[i].c_str(), int(p->lines[i].size()));
        SelectObject(dc, old);
        EndPaint(box, &ps);
        return TRUE;
    }
    case WM_LBUTTONDOWN: {
        const POINT pt{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        DragSkinnedFrame(box, pt, true);
        return TRUE;
    }
    case WM_DRAWITEM:
        DrawOwnerDrawButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == 1 && HIWORD(wParam) == BN_CLICKED) EndDialog(box, 1);
        else if (LOWORD(wParam) == IDCANCEL) EndDialog(box, 0);
        return TRUE;
    default:
        return FALSE;
    }
}

struct HelpEngine {
    HMODULE module = nullptr;
    using Entry = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);
    Entry entry = nullptr;
    bool failed = false;
};

}  // namespace

int SkinMessageBox(HWND owner, const char* text, UINT type) {
    if (g_messageBoxOpen) return 10;
    MessageParameters p;
    p.text.assign(text ? text : "", 0, 2047);
    p.type = type;
    g_messageBoxOpen = true;
    // An empty in-memory template: a borderless popup of 10 x 10 units that lays itself out.
    alignas(4) unsigned char tmpl[82] = {};
    auto* t = reinterpret_cast<DLGTEMPLATE*>(tmpl);
    t->style = WS_POPUP | DS_SETFONT | DS_FIXEDSYS;
    t->cx = 10;
    t->cy = 10;
    DialogBoxIndirectParamA(nullptr, t, owner, MessageBoxProc, reinterpret_cast<LPARAM>(&p));
    g_messageBoxOpen = false;
    return 0;
}

HWND HelpLookup(HWND caller, const char* file, UINT command, DWORD_PTR data) {
    static HelpEngine engine;
    if (engine.failed) return nullptr;
    if (!engine.module) {
        HKEY key;
        char path[260] = {};
        if (RegOpenKeyExA(HKEY_CLASSES_ROOT, "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32", 0,
                          KEY_READ, &key) == ERROR_SUCCESS) {
            DWORD size = sizeof path - 1;
            if (RegQueryValueExA(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(path), &size) != ERROR_SUCCESS)
                path[0] = '\0';
            RegCloseKey(key);
        }
        if (path[0]) engine.module = LoadLibraryA(path);
        if (!engine.module) engine.module = LoadLibraryA("hhctrl.ocx");
        if (!engine.module) {
            engine.failed = true;
            return nullptr;
        }
    }
    if (!engine.entry) {
        engine.entry = reinterpret_cast<HelpEngine::Entry>(
            reinterpret_cast<void*>(GetProcAddress(engine.module, MAKEINTRESOURCEA(14))));
        if (!engine.entry) {
            engine.failed = true;
            return nullptr;
        }
    }
    return engine.entry(caller, file, command, data);
}

void FitPathToWidth(HDC dc, char* path, size_t size, int maxWidth) {
    const std::string fitted = fitPathToWidth(path, maxWidth, [dc](const std::string& text) {
        SIZE extent{};
        GetTextExtentPoint32A(dc, text.c_str(), int(text.size()), &extent);
        POINT p[2] = {{0, 0}, {extent.cx, 0}};
        LPtoDP(dc, p, 2);
        return int(p[1].x - p[0].x);
    });
    lstrcpynA(path, fitted.c_str(), int(size));
}

}  // namespace qf
