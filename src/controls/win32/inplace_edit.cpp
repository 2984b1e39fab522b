#include "controls/win32/inplace_edit.h"

#include "controls/skin_metrics.h"
#include "controls/win32/simple_controls.h"
#include "controls/win32/skin_core.h"

namespace qf {

namespace {

constexpr int kEditId = 8888;

struct InplaceWindow {
    bool cancelled;
    bool reported;
    HWND target;
    HWND edit;
    char text[256];
};

// Hands the text back once: the edited text, unless cancelled or emptied, else the old one.
void finish(HWND popup, InplaceWindow& s) {
    if (s.reported) return;
    s.reported = true;
    if (!s.cancelled) {
        char edited[256] = {};
        GetWindowTextA(s.edit, edited, sizeof edited);
        if (edited[0]) lstrcpynA(s.text, edited, sizeof s.text);
    }
    if (IsWindow(s.target)) SendMessageA(s.target, WM_COMMAND, INPLACE_DONE, reinterpret_cast<LPARAM>(s.text));
    PostMessageA(popup, WM_CLOSE, 0, 0);
}

bool create(HWND popup, const CREATESTRUCTA& cs) {
    auto* s = static_cast<InplaceWindow*>(CreateStateBlock(popup, sizeof(InplaceWindow)));
    if (!s) return false;
    const auto* options = static_cast<const InplaceEditOptions*>(cs.lpCreateParams);
    s->target = options && options->target ? options->target : cs.hwndParent;
    GetWindowTextA(s->target, s->text, sizeof s->text);
    // Scrolls sideways, so that a name longer than the field can still be typed.
    s->edit = CreateWindowExA(WS_EX_CLIENTEDGE, "Edit", s->text, WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 0, 0, cs.cx,
                              cs.cy, popup, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kEditId)),
                              SkinControlsModule(), nullptr);
    if (!s->edit) return false;
    const bool smallFont = options && (options->flags & 1);
    SendMessageA(s->edit, WM_SETFONT, reinterpret_cast<WPARAM>(GetSkinFont(smallFont ? 1 : 2)), FALSE);
    SkinEditSubclass(s->edit);
    SetFocus(s->edit);
    SendMessageA(s->edit, EM_SETSEL, 0, -1);
    SetCapture(popup);
    return true;
}

bool outside(HWND popup, LPARAM lParam) {
    RECT r;
    GetClientRect(popup, &r);
    const POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    return !PtInRect(&r, p);
}

LRESULT inplaceMessage(HWND popup, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* s = static_cast<InplaceWindow*>(StateBlockOf(popup));
    if (message == WM_CREATE) return create(popup, *reinterpret_cast<const CREATESTRUCTA*>(lParam)) ? 0 : -1;
    if (!s) return DefWindowProcA(popup, message, wParam, lParam);
    switch (message) {
    case WM_CHAR:
        if (wParam == VK_ESCAPE) s->cancelled = true;
        if (wParam == VK_ESCAPE || wParam == VK_RETURN) PostMessageA(popup, WM_CLOSE, 0, 0);
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) finish(popup, *s);
        else SetFocus(s->edit);  // the field, not the popup, takes the keys
        return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        if (outside(popup, lParam)) PostMessageA(popup, WM_CLOSE, 0, 0);
        return 0;
    case WM_CTLCOLOREDIT: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, GetSkinColor(kText));
        SetBkColor(dc, GetSkinColor(kField));
        return reinterpret_cast<LRESULT>(GetSkinBrush(kField));
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_DESTROY:
        // Closed without ever being active (its owner went away first): the target still hears.
        finish(popup, *s);
        if (GetCapture() == popup) ReleaseCapture();
        if (s->edit) UnskinEdit(s->edit);
        FreeStateBlock(popup);
        return 0;
    default:
        return DefWindowProcA(popup, message, wParam, lParam);
    }
}

}  // namespace

HWND OpenInplaceEdit(HWND target, uint32_t flags) {
    RECT r;
    GetWindowRect(target, &r);
    InplaceEditOptions options{flags, target};
    return CreateWindowExA(0, "qfInplaceEdit", "", WS_POPUP | WS_VISIBLE, r.left, r.top, r.right - r.left,
                           r.bottom - r.top, target, nullptr, SkinControlsModule(), &options);
}

LRESULT CALLBACK InplaceEditProc(HWND popup, UINT message, WPARAM wParam, LPARAM lParam) {
    return NoThrow(message == WM_CREATE ? -1 : 0, [&] { return inplaceMessage(popup, message, wParam, lParam); });
}

}  // namespace qf
