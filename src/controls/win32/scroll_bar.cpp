#include "controls/win32/scroll_bar.h"

#include "controls/scroll_logic.h"
#include "controls/skin_metrics.h"
#include "controls/win32/skin_core.h"

namespace qf {

namespace {

struct ScrollBarWindow {
    ScrollState state;
    POINT dragPoint;
    HWND up, down, thumb;
    int thumbPlacedAt = -1;  // the top the thumb was last moved to
};

int barHeight(HWND bar) {
    RECT r;
    GetClientRect(bar, &r);
    return r.bottom;
}

int thumbTop(const ScrollBarWindow& s, HWND bar) {
    RECT r;
    GetWindowRect(s.thumb, &r);
    MapWindowPoints(nullptr, bar, reinterpret_cast<POINT*>(&r), 2);
    return r.top;
}

// Every line a list box takes sets the bar's range; the thumb mostly stays where it is, and moving
// a window costs the window system a round trip even when it does not move.
void placeThumb(ScrollBarWindow& s, int top) {
    if (top == s.thumbPlacedAt) return;
    SetWindowPos(s.thumb, nullptr, 0, top, kScrollBarWidth, kThumbHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    s.thumbPlacedAt = top;
}

// Tells the parent and moves the thumb, as every movement of the bar does.
void report(HWND bar, ScrollBarWindow& s, const ScrollReport& r) {
    if (r.notify)
        PostMessageA(GetParent(bar), WM_VSCROLL, MAKEWPARAM(static_cast<WORD>(r.code), static_cast<WORD>(r.position)),
                     reinterpret_cast<LPARAM>(bar));
    placeThumb(s, r.thumbTop);
}

void move(HWND bar, ScrollBarWindow& s) { report(bar, s, scrollMove(s.state, barHeight(bar))); }

HWND arrow(HWND bar, const char* text, int id, int y, int height) {
    return CreateWindowExA(0, "qfArrowButton", text, WS_CHILD | WS_VISIBLE, 0, y, kScrollBarWidth, height, bar,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), SkinControlsModule(), nullptr);
}

// Ends a press on the track, a drag or an arrow's repeat: the final position as a thumb track.
void endGesture(HWND bar, ScrollBarWindow& s) {
    KillTimer(bar, kRepeatTimerId);
    scrollRelease(s.state);
    move(bar, s);
}

void arrowCommand(HWND bar, ScrollBarWindow& s, int id, WORD code) {
    if (code == 2) {
        s.state.step = id == kScrollUpId ? -1 : 1;
        move(bar, s);
        SetTimer(bar, kRepeatTimerId, kRepeatFirstDelayMs, nullptr);
    } else {
        // Released, inside or out: the repeat ends and the parent learns where it stopped.
        endGesture(bar, s);
    }
}

void thumbPressed(HWND bar, ScrollBarWindow& s) {
    GetCursorPos(&s.dragPoint);
    s.state.dragging = true;
    SetCapture(bar);
}

void dragTo(HWND bar, ScrollBarWindow& s, LPARAM lParam) {
    POINT cursor{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    ClientToScreen(bar, &cursor);
    report(bar, s, scrollDrag(s.state, barHeight(bar), thumbTop(s, bar), cursor.y - s.dragPoint.y));
    s.dragPoint = cursor;
}

bool arrowHeld(const ScrollBarWindow& s) {
    return (SendMessageA(s.up, BM_GETSTATE, 0, 0) & BST_PUSHED) || (SendMessageA(s.down, BM_GETSTATE, 0, 0) & BST_PUSHED);
}

LRESULT scrollBarMessage(HWND bar, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* s = static_cast<ScrollBarWindow*>(StateBlockOf(bar));
    if (message == WM_CREATE) {
        s = CreateStateObject<ScrollBarWindow>(bar);
        if (!s) return -1;
        const int height = reinterpret_cast<const CREATESTRUCTA*>(lParam)->cy;
        s->up = arrow(bar, "UP", kScrollUpId, 0, kScrollArrowHeight);
        s->down = arrow(bar, "DN", kScrollDownId, height - kScrollArrowHeight, kScrollArrowHeight);
        s->thumb = arrow(bar, "THUMB", kScrollThumbId, kScrollArrowHeight, kThumbHeight);
        return 0;
    }
    if (!s) return DefWindowProcA(bar, message, wParam, lParam);
    switch (message) {
    case WM_DESTROY:
        KillTimer(bar, kRepeatTimerId);
        DestroyStateObject<ScrollBarWindow>(bar);
        return 0;
    case WM_SIZE:
        SetWindowPos(s->down, nullptr, 0, HIWORD(lParam) - kScrollArrowHeight, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        placeThumb(*s, thumbTopFor(HIWORD(lParam), s->state.range, s->state.position));
        return 0;
    case WM_MOVE:
    case WM_ENABLE:
        InvalidateRect(bar, nullptr, TRUE);
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(bar, &ps);
        RECT r;
        GetClientRect(bar, &r);
        InflateRect(&r, 0, -kScrollArrowHeight);
        if (r.bottom > r.top) FillSolidRect(dc, r, GetSkinColor(kLightEdge));
        EndPaint(bar, &ps);
        return 0;
    }
    case SCBM_SETRANGE:
        report(bar, *s, scrollSetRange(s->state, barHeight(bar), LOWORD(wParam), HIWORD(wParam)));
        return 1;
    case SCBM_SETPOS:
        report(bar, *s, scrollSetPosition(s->state, barHeight(bar), static_cast<int>(wParam)));
        return 1;
    case SCBM_GETPOS:
        return s->state.position;
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        if (id == kScrollUpId || id == kScrollDownId) arrowCommand(bar, *s, id, HIWORD(wParam));
        else if (id == kScrollThumbId && HIWORD(wParam) == 2) thumbPressed(bar, *s);
        return 0;
    }
    case WM_TIMER:
        if (wParam != kRepeatTimerId) return 0;
        KillTimer(bar, kRepeatTimerId);
        if (scrollRepeatGoesOn(s->state, arrowHeld(*s))) {
            move(bar, *s);
            SetTimer(bar, kRepeatTimerId, kRepeatDelayMs, nullptr);
        }
        return 0;
    case WM_MOUSEMOVE:
        if (s->state.dragging) dragTo(bar, *s, lParam);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        scrollTrackPress(s->state, static_cast<short>(HIWORD(lParam)) < thumbTop(*s, bar));
        move(bar, *s);
        // Held until the release, so that the release always reaches the bar.
        SetCapture(bar);
        return 0;
    case WM_LBUTTONUP:
        if (GetCapture() == bar) {
            scrollRelease(s->state);  // before the capture goes, so that its loss ends nothing twice
            ReleaseCapture();
        }
        endGesture(bar, *s);
        return 0;
    case WM_CAPTURECHANGED:
        // Another window took the mouse in the middle of a drag or a press on the track.
        if (reinterpret_cast<HWND>(lParam) != bar && (s->state.dragging || s->state.paging)) endGesture(bar, *s);
        return 0;
    default:
        return DefWindowProcA(bar, message, wParam, lParam);
    }
}

}  // namespace

LRESULT CALLBACK ScrollBarProc(HWND bar, UINT message, WPARAM wParam, LPARAM lParam) {
    return NoThrow(0, [&] { return scrollBarMessage(bar, message, wParam, lParam); });
}

}  // namespace qf
