#include "controls/win32/simple_controls.h"

#include <algorithm>
#include <cstring>

#include "controls/control_logic.h"
#include "controls/skin_metrics.h"
#include "controls/win32/inplace_edit.h"
#include "controls/win32/skin_core.h"

#define GET_X_LPARAM_(lp) (static_cast<int>(static_cast<short>(LOWORD(lp))))
#define GET_Y_LPARAM_(lp) (static_cast<int>(static_cast<short>(HIWORD(lp))))

namespace qf {

namespace {

struct ButtonState {
    PushState push;
};
struct ArrowState {
    PushState push;
    bool isThumb, isUp;
};
struct ProgressState {
    COLORREF colour;
    float fraction;
};

template <typename T>
T* stateOf(HWND w) {
    return static_cast<T*>(StateBlockOf(w));
}

HFONT fontFor(HWND w) { return GetSkinFont((GetWindowLongPtrA(w, GWLP_USERDATA) & 1) ? 1 : 0); }

FrameRect toFrame(const RECT& r) { return {int(r.left), int(r.top), int(r.right), int(r.bottom)}; }
RECT toRect(const FrameRect& r) { return {r.left, r.top, r.right, r.bottom}; }

bool pointInClient(HWND w, LPARAM lParam) {
    RECT r;
    GetClientRect(w, &r);
    const POINT p{GET_X_LPARAM_(lParam), GET_Y_LPARAM_(lParam)};
    return PtInRect(&r, p) != FALSE;
}

void notifyParent(HWND w, WORD code) {
    SendMessageA(GetParent(w), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(w), code), reinterpret_cast<LPARAM>(w));
}

void redraw(HWND w) { InvalidateRect(w, nullptr, TRUE); }

void raisedOrSunken(HDC dc, const RECT& r, bool sunken) {
    Draw3dRect(dc, r, GetSkinColor(sunken ? kDarkEdge : kLightEdge), GetSkinColor(sunken ? kLightEdge : kDarkEdge));
}

// Press, release and hover of the push buttons; the arrow differs in focus and capture.
LRESULT pushButtonMouse(HWND w, UINT message, LPARAM lParam, PushState& push, bool takesFocus, bool captures) {
    switch (message) {
    case WM_MOUSEMOVE:
        if (pushMouseMove(push, pointInClient(w, lParam))) redraw(w);
        return 0;
    case WM_LBUTTONDOWN:
        if (takesFocus) SetFocus(w);
        if (captures) SetCapture(w);
        notifyParent(w, 2);
        pushPress(push, pointInClient(w, lParam));
        redraw(w);
        return 0;
    case WM_LBUTTONUP:
        if (GetCapture() == w) ReleaseCapture();
        notifyParent(w, static_cast<WORD>(pushRelease(push, pointInClient(w, lParam))));
        redraw(w);
        return 0;
    default:
        return -1;
    }
}

// What qfButton and qfArrowButton share: the state block's end, the mouse, and BM_GETSTATE.
// Returns true with result when it handled the message.
bool handlePushButton(HWND w, UINT message, LPARAM lParam, PushState& push, bool takesFocus, bool captures,
                      LRESULT& result) {
    switch (message) {
    case WM_DESTROY:
        FreeStateBlock(w);
        result = 0;
        return true;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
        result = pushButtonMouse(w, message, lParam, push, takesFocus, captures);
        return true;
    case BM_GETSTATE:
        result = pushShownPushed(push, IsWindowEnabled(w) != FALSE) ? BST_PUSHED : 0;
        return true;
    default:
        return false;
    }
}

int textOf(HWND w, char* buffer, int size) { return GetWindowTextA(w, buffer, size); }

// The measures of a group frame's title in its font.
GroupLayout groupLayoutOf(HWND w, HDC dc, const char* text) {
    RECT client;
    GetClientRect(w, &client);
    HGDIOBJ oldFont = SelectObject(dc, fontFor(w));
    SIZE extent{};
    GetTextExtentPoint32A(dc, text, lstrlenA(text), &extent);
    SIZE x{};
    GetTextExtentPoint32A(dc, "X", 1, &x);
    SelectObject(dc, oldFont);
    return groupLayout(client.right, client.bottom, extent.cx, extent.cy, x.cy, text[0] != 0);
}

// Paints the title band, the outline and the title, and the corners beside the band above the
// outline; the inside belongs to the parent and to the controls in it.
void paintGroupBox(HWND w, HDC dc) {
    char text[63] = {};
    textOf(w, text, sizeof text);
    const GroupLayout layout = groupLayoutOf(w, dc, text);
    const RECT band = toRect(layout.titleBand);
    RECT frame = toRect(layout.outline);
    FillSolidRect(dc, band, GetSkinColor(kFace));
    FillSolidRect(dc, frame.left, 0, band.left - frame.left, frame.top, GetSkinColor(kFace));
    FillSolidRect(dc, band.right, 0, frame.right - band.right, frame.top, GetSkinColor(kFace));
    Draw3dRect(dc, frame, GetSkinColor(kFace), GetSkinColor(kFace));
    RECT inner = frame;
    inner.right -= 1;
    inner.bottom -= 1;
    Draw3dRect(dc, inner, GetSkinColor(kDarkEdge), GetSkinColor(kDarkEdge));
    OffsetRect(&inner, 1, 1);
    Draw3dRect(dc, inner, GetSkinColor(kLightEdge), GetSkinColor(kLightEdge));
    if (text[0]) {
        RECT title = toRect(layout.title);
        HGDIOBJ oldFont = SelectObject(dc, fontFor(w));
        SetBkMode(dc, OPAQUE);
        SetBkColor(dc, GetSkinColor(kFace));
        SetTextColor(dc, captionColor(GetSkinColor(kFace)));
        DrawTextA(dc, text, -1, &title, 0);
        SelectObject(dc, oldFont);
    }
}

// A new title repaints the band it sits in, never the inside with the controls in it.
void invalidateGroupTitle(HWND w) {
    HDC dc = GetDC(w);
    if (!dc) return;
    char text[63] = {};
    textOf(w, text, sizeof text);
    const GroupLayout layout = groupLayoutOf(w, dc, text);
    ReleaseDC(w, dc);
    RECT client;
    GetClientRect(w, &client);
    RECT top{0, 0, client.right, layout.titleBand.bottom > layout.outline.top + 2 ? layout.titleBand.bottom
                                                                                  : layout.outline.top + 2};
    InvalidateRect(w, &top, FALSE);
}

void paintStatic(HWND w, HDC dc, int limit, bool userColour) {
    char text[1024] = {};
    textOf(w, text, std::min<int>(limit, sizeof text));
    RECT r;
    GetClientRect(w, &r);
    FillSolidRect(dc, r, GetSkinColor(kFace));
    const LONG_PTR style = GetWindowLongPtrA(w, GWL_STYLE);
    UINT format = DT_VCENTER | ((style & SS_TYPEMASK) == SS_RIGHT ? DT_RIGHT : (style & SS_TYPEMASK) == SS_CENTER ? DT_CENTER : DT_LEFT);
    if (!std::strchr(text, '\n')) format |= DT_SINGLELINE;
    HGDIOBJ oldFont = SelectObject(dc, fontFor(w));
    if (IsWindowEnabled(w)) {
        const LONG_PTR user = GetWindowLongPtrA(w, GWLP_USERDATA);
        SetTextColor(dc, (userColour && user != 0 && user != 1) ? COLORREF(user) : GetSkinColor(kText));
        SetBkMode(dc, OPAQUE);
        SetBkColor(dc, GetSkinColor(kFace));
        DrawTextA(dc, text, -1, &r, format);
    } else {
        DrawSkinText(dc, text, r, format, false);
    }
    SelectObject(dc, oldFont);
}

CheckAlign checkAlign(LONG_PTR style) {
    if ((style & BS_VCENTER) == BS_TOP) return CheckAlign::Top;
    if ((style & BS_VCENTER) == BS_BOTTOM) return CheckAlign::Bottom;
    return CheckAlign::Centre;
}

// The square of a check box, placed by the button styles.
RECT checkSquare(HWND w) {
    RECT c;
    GetClientRect(w, &c);
    const LONG_PTR style = GetWindowLongPtrA(w, GWL_STYLE);
    return toRect(checkSquareRect(toFrame(c), (style & BS_LEFTTEXT) != 0, checkAlign(style)));
}

void paintCheckSquare(HWND w, HDC dc, bool checked, bool pressed) {
    const bool enabled = IsWindowEnabled(w) != FALSE;
    RECT s = checkSquare(w);
    FillSolidRect(dc, s, GetSkinColor(pressed ? 16 : enabled ? kField : kFace));
    Draw3dRect(dc, s, GetSkinColor(kDarkEdge), GetSkinColor(kLightEdge));
    InflateRect(&s, -1, -1);
    Draw3dRect(dc, s, RGB(0, 0, 0), GetSkinColor(kFace));
    if (!checked) return;
    HPEN pen = CreatePen(PS_SOLID, 1, GetSkinColor(enabled ? kText : kDarkEdge));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    for (int i = 0; i < 3; ++i) {
        MoveToEx(dc, s.left + 2, s.top + 4 + i, nullptr);
        LineTo(dc, s.left + 4, s.top + 6 + i);
        LineTo(dc, s.left + 9, s.top + 1 + i);
    }
    SelectObject(dc, oldPen);
    DeleteObject(pen);
}

void paintCheckLabel(HWND w, HDC dc) {
    char text[64] = {};
    textOf(w, text, sizeof text);
    RECT c;
    GetClientRect(w, &c);
    const LONG_PTR style = GetWindowLongPtrA(w, GWL_STYLE);
    HGDIOBJ oldFont = SelectObject(dc, GetSkinFont(0));
    SIZE extent{};
    GetTextExtentPoint32A(dc, text, lstrlenA(text), &extent);
    RECT r = toRect(checkLabelRect(toFrame(c), (style & BS_LEFTTEXT) != 0, checkAlign(style), extent.cy));
    UINT format = DT_LEFT;
    if ((style & BS_CENTER) == BS_CENTER) format = DT_CENTER;
    else if (style & BS_RIGHT) format = DT_RIGHT;
    DrawSkinText(dc, text, r, format, IsWindowEnabled(w) != FALSE);
    SelectObject(dc, oldFont);
}

LRESULT callBase(WNDPROC base, HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    return base ? CallWindowProcA(base, w, message, wParam, lParam) : DefWindowProcA(w, message, wParam, lParam);
}

// Labels and group frames, as library classes (base null) or as skins over standard controls.
LRESULT labelMessage(HWND w, UINT message, WPARAM wParam, LPARAM lParam, WNDPROC base, int limit, bool userColour) {
    switch (message) {
    case WM_SETTEXT: {
        const LRESULT r = callBase(base, w, message, wParam, lParam);
        redraw(w);
        return r;
    }
    case WM_ENABLE:
        redraw(w);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(w, &ps);
        paintStatic(w, dc, limit, userColour);
        EndPaint(w, &ps);
        return 0;
    }
    default:
        return callBase(base, w, message, wParam, lParam);
    }
}

LRESULT groupMessage(HWND w, UINT message, WPARAM wParam, LPARAM lParam, WNDPROC base) {
    switch (message) {
    case WM_SETTEXT: {
        // The standard group box would repaint its whole inside with the parent's brush here.
        const LRESULT r = DefWindowProcA(w, message, wParam, lParam);
        invalidateGroupTitle(w);
        return r;
    }
    // The standard group box paints itself at once, in the system's look, when the focus comes or
    // goes, when it is enabled, pushed or restyled and when keyboard cues change: here those only
    // paint again in the skin's.
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case BM_SETSTATE:  // a frame is never pushed
        return 0;
    case BM_SETSTYLE:  // the dialog manager's default-button bookkeeping: the type stays a frame
    case WM_ENABLE:
        InvalidateRect(w, nullptr, FALSE);
        return 0;
    case WM_UPDATEUISTATE: {
        const LRESULT r = DefWindowProcA(w, message, wParam, lParam);
        InvalidateRect(w, nullptr, FALSE);
        return r;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(w, &ps);
        paintGroupBox(w, dc);
        EndPaint(w, &ps);
        return 0;
    }
    default:
        return callBase(base, w, message, wParam, lParam);
    }
}

// Previous procedures of the subclassed standard controls, one per kind.
WNDPROC g_checkBoxBase = nullptr, g_editBase = nullptr, g_groupBoxBase = nullptr, g_staticBase = nullptr;

LRESULT CALLBACK SkinnedCheckBoxProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<CheckState*>(GetWindowLongPtrA(w, GWLP_USERDATA));
    const bool pushLike = (GetWindowLongPtrA(w, GWL_STYLE) & BS_PUSHLIKE) != 0;
    switch (message) {
    case WM_KEYDOWN:
    case WM_CHAR:
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        state->pressed = true;
        SetFocus(w);
        SetCapture(w);
        const RECT s = checkSquare(w);
        InvalidateRect(w, &s, TRUE);
        return 0;
    }
    case WM_LBUTTONUP: {
        if (GetCapture() == w) ReleaseCapture();
        if (checkRelease(*state, pointInClient(w, lParam))) notifyParent(w, BN_CLICKED);
        const RECT s = checkSquare(w);
        InvalidateRect(w, &s, TRUE);
        return 0;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        return 0;
    case WM_ENABLE:
        redraw(w);
        return 0;
    case WM_ERASEBKGND: {
        RECT r;
        GetClientRect(w, &r);
        FillSolidRect(reinterpret_cast<HDC>(wParam), r, GetSkinColor(kFace));
        return 1;
    }
    case WM_PAINT: {
        if (!GetUpdateRect(w, nullptr, FALSE)) return 0;
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(w, &ps);
        if (!pushLike) {
            paintCheckSquare(w, dc, state->checked, state->pressed);
            paintCheckLabel(w, dc);
        }
        EndPaint(w, &ps);
        return 0;
    }
    case BM_GETCHECK:
        return state->checked ? BST_CHECKED : BST_UNCHECKED;
    case BM_SETCHECK: {
        const bool checked = wParam == BST_CHECKED;
        if (checked != state->checked) {
            state->checked = checked;
            if (pushLike) redraw(w);
            else {
                const RECT s = checkSquare(w);
                InvalidateRect(w, &s, TRUE);
            }
        }
        return 0;
    }
    default:
        return CallWindowProcA(g_checkBoxBase, w, message, wParam, lParam);
    }
}

LRESULT CALLBACK SkinnedEditProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCPAINT) {
        PaintBorderFrames(w, GetSkinColor(kDarkEdge), GetSkinColor(kLightEdge), RGB(0, 0, 0), GetSkinColor(kFace));
        return 0;
    }
    if (message == WM_PAINT && PaintDisabledField(w)) return 0;
    if (message == WM_CHAR && (wParam == VK_RETURN || wParam == VK_ESCAPE))
        SendMessageA(GetParent(w), message, wParam, lParam);
    return CallWindowProcA(g_editBase, w, message, wParam, lParam);
}

LRESULT CALLBACK SkinnedGroupBoxProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    return groupMessage(w, message, wParam, lParam, g_groupBoxBase);
}

LRESULT CALLBACK SkinnedStaticProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    return labelMessage(w, message, wParam, lParam, g_staticBase, 256, true);
}

void subclass(HWND control, WNDPROC proc, WNDPROC& base) {
    const WNDPROC previous =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc)));
    if (previous != proc) base = previous;
}

void unsubclass(HWND control, WNDPROC base) {
    if (base) SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(base));
}

}  // namespace

LRESULT CALLBACK ButtonProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* s = stateOf<ButtonState>(w);
    LRESULT result = 0;
    if (s && handlePushButton(w, message, lParam, s->push, true, true, result)) return result;
    switch (message) {
    case WM_CREATE:
        return CreateStateBlock(w, sizeof(ButtonState)) ? 0 : -1;
    case WM_ENABLE:
        RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        return 0;
    case WM_ERASEBKGND: {
        RECT r;
        GetClientRect(w, &r);
        FillSolidRect(reinterpret_cast<HDC>(wParam), r, GetSkinColor(kFace));
        return 1;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(w, &ps);
        RECT r;
        GetClientRect(w, &r);
        raisedOrSunken(dc, r, pushShownPushed(s->push, IsWindowEnabled(w) != FALSE));
        char text[128] = {};
        textOf(w, text, sizeof text);
        InflateRect(&r, -1, -3);
        HGDIOBJ oldFont = SelectObject(dc, fontFor(w));
        DrawSkinText(dc, text, r, DT_CENTER | DT_VCENTER | DT_SINGLELINE, IsWindowEnabled(w) != FALSE);
        SelectObject(dc, oldFont);
        EndPaint(w, &ps);
        return 0;
    }
    default:
        return DefWindowProcA(w, message, wParam, lParam);
    }
}

LRESULT CALLBACK ArrowButtonProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* s = stateOf<ArrowState>(w);
    LRESULT result = 0;
    if (s && handlePushButton(w, message, lParam, s->push, false, !s->isThumb, result)) return result;
    switch (message) {
    case WM_CREATE: {
        auto* state = static_cast<ArrowState*>(CreateStateBlock(w, sizeof(ArrowState)));
        if (!state) return -1;
        char text[16] = {};
        textOf(w, text, sizeof text);
        state->isThumb = std::strcmp(text, "THUMB") == 0;
        state->isUp = std::strcmp(text, "UP") == 0;
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(w, &ps);
        RECT r;
        GetClientRect(w, &r);
        FillSolidRect(dc, r, GetSkinColor(kFace));
        const bool pushed = pushShownPushed(s->push, IsWindowEnabled(w) != FALSE);
        raisedOrSunken(dc, r, !s->isThumb && pushed);
        if (!s->isThumb) {
            HPEN pen = CreatePen(PS_SOLID, 1, GetSkinColor(IsWindowEnabled(w) ? kText : kDarkEdge));
            HGDIOBJ oldPen = SelectObject(dc, pen);
            const int cx = r.right / 2, cy = (r.bottom - 3) / 2 + (pushed ? 1 : 0);
            for (int row = 0; row < 3; ++row) {
                const int y = s->isUp ? cy + 2 - row : cy + row;
                MoveToEx(dc, cx - 2 + row, y, nullptr);
                LineTo(dc, cx + 3 - row, y);
            }
            SelectObject(dc, oldPen);
            DeleteObject(pen);
        }
        EndPaint(w, &ps);
        return 0;
    }
    default:
        return DefWindowProcA(w, message, wParam, lParam);
    }
}

LRESULT CALLBACK CheckBoxProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* s = stateOf<CheckState>(w);
    switch (message) {
    case WM_CREATE:
        return CreateStateBlock(w, sizeof(CheckState)) ? 0 : -1;
    case WM_DESTROY:
        FreeStateBlock(w);
        return 0;
    case BM_GETCHECK:
        return s->checked ? BST_CHECKED : BST_UNCHECKED;
    case BM_SETCHECK: {
        const bool checked = wParam == BST_CHECKED;
        if (checked != s->checked) {
            s->checked = checked;
            redraw(w);
        }
        return 0;
    }
    case WM_LBUTTONDOWN:
        SetFocus(w);
        s->pressed = true;
        SetCapture(w);
        redraw(w);
        return 0;
    case WM_LBUTTONUP:
        if (GetCapture() == w) ReleaseCapture();
        if (checkRelease(*s, pointInClient(w, lParam))) {
            SetFocus(w);
            notifyParent(w, BN_CLICKED);
        }
        redraw(w);
        return 0;
    case WM_KEYDOWN:
        // F2 renames in place when the parent agrees; the editor hands the text back with
        // INPLACE_DONE (below).
        if (wParam == VK_F2 && SendMessageA(GetParent(w), CKBM_BEGINRENAME, 0, 0)) OpenInplaceEdit(w, 1);
        return 1;
    case CKBM_BEGINRENAME:
        OpenInplaceEdit(w, 1);
        return 1;
    case WM_COMMAND:
        if (LOWORD(wParam) == INPLACE_DONE) {
            SetWindowTextA(w, reinterpret_cast<const char*>(lParam));
            SendMessageA(GetParent(w), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(w), CKBN_RENAMED), lParam);
        }
        return 0;
    case WM_RBUTTONUP: {
        POINT p{GET_X_LPARAM_(lParam), GET_Y_LPARAM_(lParam)};
        MapWindowPoints(w, GetParent(w), &p, 1);
        SendMessageA(GetParent(w), WM_RBUTTONUP, wParam, MAKELPARAM(p.x, p.y));
        return 0;
    }
    case WM_SETTEXT: {
        const LRESULT r = DefWindowProcA(w, message, wParam, lParam);
        redraw(w);
        return r;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(w, &ps);
        RECT r;
        GetClientRect(w, &r);
        const LONG_PTR style = GetWindowLongPtrA(w, GWL_STYLE);
        if (style & BS_PUSHLIKE) {
            const bool down = s->pressed || s->checked;
            FillSolidRect(dc, r, GetSkinColor(down ? kHighlight : kFace));
            raisedOrSunken(dc, r, down);
            char text[64] = {};
            textOf(w, text, sizeof text);
            RECT t = r;
            OffsetRect(&t, down ? 1 : 0, 2 + (down ? 1 : 0));
            InflateRect(&t, -3, 0);
            HGDIOBJ oldFont = SelectObject(dc, fontFor(w));
            const bool enabled = IsWindowEnabled(w) != FALSE;
            if (std::strcmp(text, "2n") == 0) {
                // A power of two: the "2" ends at the centre, the "n" follows it, raised.
                SIZE two{};
                GetTextExtentPoint32A(dc, "2", 1, &two);
                const int centre = (t.left + t.right) / 2 - (GetDeviceCaps(dc, LOGPIXELSX) < 120 ? 1 : 0);
                RECT base{centre - two.cx, t.top, centre, t.bottom};
                RECT power{centre, t.top - 3, t.right, t.bottom - 3};
                DrawSkinText(dc, "2", base, DT_VCENTER | DT_SINGLELINE, enabled);
                DrawSkinText(dc, "n", power, DT_VCENTER | DT_SINGLELINE, enabled);
            } else {
                DrawSkinText(dc, text, t, DT_VCENTER | ((style & BS_LEFT) && !(style & BS_RIGHT) ? 0 : DT_CENTER),
                             enabled);
            }
            SelectObject(dc, oldFont);
        } else {
            FillSolidRect(dc, r, GetSkinColor(kFace));
            paintCheckSquare(w, dc, s->checked, s->pressed);
        }
        EndPaint(w, &ps);
        return 0;
    }
    default:
        return DefWindowProcA(w, message, wParam, lParam);
    }
}

LRESULT CALLBACK StaticProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    return labelMessage(w, message, wParam, lParam, nullptr, 1024, false);
}

LRESULT CALLBACK GroupBoxProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    return groupMessage(w, message, wParam, lParam, nullptr);
}

LRESULT CALLBACK ProgressProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* s = stateOf<ProgressState>(w);
    auto paintBar = [&](HDC dc) {
        RECT r;
        GetClientRect(w, &r);
        RECT frame = r;
        frame.right -= 1;
        Draw3dRect(dc, frame, GetSkinColor(15), GetSkinColor(16));
        // The ring between frame and bar, and the column right of the frame, in the face colour.
        RECT ring{r.left + 1, r.top + 1, r.right - 2, r.bottom - 1};
        Draw3dRect(dc, ring, GetSkinColor(kFace), GetSkinColor(kFace));
        FillSolidRect(dc, r.right - 1, r.top, 1, r.bottom - r.top, GetSkinColor(kFace));
        RECT bar{r.left + 2, r.top + 2, r.right - 3, r.bottom - 2};
        FillSolidRect(dc, bar, GetSkinColor(kFace));
        const int filled = filledWidth(bar.right - bar.left, s->fraction);
        if (filled > 0) FillSolidRect(dc, bar.left, bar.top, filled, bar.bottom - bar.top, s->colour);
    };
    switch (message) {
    case WM_CREATE: {
        auto* state = static_cast<ProgressState*>(CreateStateBlock(w, sizeof(ProgressState)));
        if (!state) return -1;
        state->colour = RGB(0, 0, 128);
        return 0;
    }
    case WM_DESTROY:
        FreeStateBlock(w);
        return 0;
    case PRGM_SETCOLOR:
        s->colour = static_cast<COLORREF>(lParam);
        InvalidateRect(w, nullptr, FALSE);
        return 1;
    case PRGM_SETFRACTION: {
        s->fraction = clampFraction(reinterpret_cast<const float*>(lParam));
        HDC dc = GetDC(w);
        paintBar(dc);
        ReleaseDC(w, dc);
        return 1;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(w, &ps);
        paintBar(dc);
        EndPaint(w, &ps);
        return 0;
    }
    default:
        return DefWindowProcA(w, message, wParam, lParam);
    }
}

void SkinCheckBoxSubclass(HWND control) {
    if (!GetWindowLongPtrA(control, GWLP_USERDATA)) {
        auto* state = static_cast<CheckState*>(LocalAlloc(LPTR, sizeof(CheckState)));
        if (!state) return;
        state->checked = SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
        SetWindowLongPtrA(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
    }
    subclass(control, SkinnedCheckBoxProc, g_checkBoxBase);
}
void UnskinCheckBox(HWND control) {
    auto* state = reinterpret_cast<CheckState*>(GetWindowLongPtrA(control, GWLP_USERDATA));
    unsubclass(control, g_checkBoxBase);
    if (!state) return;
    // The standard control keeps the check; the skin's state goes with the skin.
    SendMessageA(control, BM_SETCHECK, state->checked ? BST_CHECKED : BST_UNCHECKED, 0);
    SetWindowLongPtrA(control, GWLP_USERDATA, 0);
    LocalFree(LocalHandle(state));
}

void SkinEditSubclass(HWND control) {
    subclass(control, SkinnedEditProc, g_editBase);
    SendMessageA(control, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(1, 1));
}
void UnskinEdit(HWND control) { unsubclass(control, g_editBase); }
void SkinGroupBoxSubclass(HWND control) { subclass(control, SkinnedGroupBoxProc, g_groupBoxBase); }
void UnskinGroupBox(HWND control) { unsubclass(control, g_groupBoxBase); }
void SkinStaticSubclass(HWND control) { subclass(control, SkinnedStaticProc, g_staticBase); }
void UnskinStatic(HWND control) { unsubclass(control, g_staticBase); }

void DrawOwnerDrawButton(const DRAWITEMSTRUCT& item) {
    HDC dc = item.hDC;
    RECT r = item.rcItem;
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    raisedOrSunken(dc, r, selected);
    InflateRect(&r, -1, -1);
    FillSolidRect(dc, r, GetSkinColor(kFace));
    InflateRect(&r, -1, 0);
    if (selected) OffsetRect(&r, 1, 1);
    char text[64] = {};
    GetWindowTextA(item.hwndItem, text, sizeof text);
    const bool enabled = (item.itemState & ODS_DISABLED) == 0;
    UINT format = DT_VCENTER | DT_SINGLELINE;
    const LONG_PTR style = GetWindowLongPtrA(item.hwndItem, GWL_STYLE);
    if (!enabled && (style & BS_CENTER) == BS_RIGHT) format |= DT_RIGHT;
    else if (!enabled && (style & BS_CENTER) == BS_LEFT) format |= DT_LEFT;
    else format |= DT_CENTER;
    HGDIOBJ oldFont = SelectObject(dc, GetSkinFont(0));
    DrawSkinText(dc, text, r, format, enabled);
    SelectObject(dc, oldFont);
}

}  // namespace qf
