#include "controls/win32/list_box.h"

#include "controls/scroll_logic.h"
#include "controls/skin_metrics.h"
#include "controls/win32/scroll_bar.h"
#include "controls/win32/skin_core.h"

namespace qf {

namespace {

struct ListBoxWindow {
    HWND list;
    HWND bar;
    int visibleRows;
    int rowHeight;
    // While the owner has turned redrawing off to fill the list, the bar is brought up to date
    // once, when redrawing is turned on again, instead of with every line.
    bool redrawOff;
};

// The standard list's own procedure, shared by every inner list.
WNDPROC g_innerListBase = nullptr;

// The inner list leaves the wheel to the list box, which moves the list and its bar together; the
// list's own wheel handling would scroll it a second time, past what the bar shows.
LRESULT CALLBACK InnerListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_MOUSEWHEEL) return SendMessageA(GetParent(list), message, wParam, lParam);
    return CallWindowProcA(g_innerListBase, list, message, wParam, lParam);
}

void layout(const ListBoxWindow& s, int width, int height) {
    MoveWindow(s.list, 2, 2, width - 16, height - 4, TRUE);
    MoveWindow(s.bar, width - 14, 2, kScrollBarWidth, height - 4, TRUE);
}

int lineCount(const ListBoxWindow& s) { return static_cast<int>(SendMessageA(s.list, LB_GETCOUNT, 0, 0)); }
int topIndex(const ListBoxWindow& s) { return static_cast<int>(SendMessageA(s.list, LB_GETTOPINDEX, 0, 0)); }

int linesBeyond(const ListBoxWindow& s) { return linesBeyondView(lineCount(s), s.visibleRows); }

void setRange(const ListBoxWindow& s, int range) {
    SendMessageA(s.bar, SCBM_SETRANGE, MAKEWPARAM(range, s.visibleRows), 0);
}
void followTop(const ListBoxWindow& s) {
    SendMessageA(s.bar, SCBM_SETPOS, static_cast<WPARAM>(barPositionForTop(topIndex(s), linesBeyond(s))), 0);
}

// The bar was moved, or tells where the list box set it: the list follows as far as it must.
void barMoved(const ListBoxWindow& s, ScrollCode code) {
    const int beyond = linesBeyond(s);
    const int position = static_cast<int>(SendMessageA(s.bar, SCBM_GETPOS, 0, 0));
    const int top = topIndex(s);
    const int newTop = topAfterBarMove(top, position, code, beyond, s.visibleRows);
    if (newTop != top) SendMessageA(s.list, LB_SETTOPINDEX, static_cast<WPARAM>(newTop), 0);
    if (barPositionForTop(newTop, beyond) != position) followTop(s);
}

void resync(const ListBoxWindow& s) {
    setRange(s, scrollRangeFor(lineCount(s), s.visibleRows));
    followTop(s);
}

void paintFrame(HWND w, HDC dc) {
    RECT r;
    GetWindowRect(w, &r);
    OffsetRect(&r, -r.left, -r.top);
    RECT inner{r.left + 1, r.top + 1, r.right, r.bottom - 1};
    Draw3dRect(dc, inner, RGB(0, 0, 0), GetSkinColor(kFace));
    Draw3dRect(dc, r, GetSkinColor(15), GetSkinColor(16));
}

bool create(HWND w, const CREATESTRUCTA& cs) {
    auto* s = CreateStateObject<ListBoxWindow>(w);
    if (!s) return false;
    const HINSTANCE module = SkinControlsModule();
    s->list = CreateWindowExA(0, "ListBox", "",
                              WS_CHILD | WS_VISIBLE | WS_TABSTOP | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_DISABLENOSCROLL,
                              2, 2, cs.cx - 16, cs.cy - 4, w, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kInnerListId)),
                              module, nullptr);
    s->bar = CreateWindowExA(0, "qfScrollBar", "", WS_CHILD | WS_VISIBLE, cs.cx - 14, 2, kScrollBarWidth, cs.cy - 4, w,
                             nullptr, module, nullptr);
    if (!s->list || !s->bar) return false;
    SendMessageA(s->list, WM_SETFONT, reinterpret_cast<WPARAM>(GetSkinFont(0)), FALSE);
    s->rowHeight = static_cast<int>(SendMessageA(s->list, LB_GETITEMHEIGHT, 0, 0));
    s->visibleRows = visibleRowsFor(cs.cy - 4, s->rowHeight);
    setRange(*s, 0);
    const WNDPROC previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(s->list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(InnerListProc)));
    if (previous != InnerListProc) g_innerListBase = previous;
    return true;
}

LRESULT listBoxMessage(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* s = static_cast<ListBoxWindow*>(StateBlockOf(w));
    if (message == WM_CREATE) return create(w, *reinterpret_cast<const CREATESTRUCTA*>(lParam)) ? 0 : -1;
    if (!s) return DefWindowProcA(w, message, wParam, lParam);
    switch (message) {
    case WM_DESTROY:
        if (s->list && g_innerListBase)
            SetWindowLongPtrA(s->list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_innerListBase));
        DestroyStateObject<ListBoxWindow>(w);
        return 0;
    case WM_SIZE: {
        const int width = LOWORD(lParam), height = HIWORD(lParam);
        layout(*s, width, height);
        s->visibleRows = visibleRowsFor(height - 4, s->rowHeight);
        resync(*s);
        return 0;
    }
    case LB_ADDSTRING: {
        SendMessageA(s->list, message, wParam, lParam);
        if (s->redrawOff) return 1;
        const int count = lineCount(*s);
        if (count - s->visibleRows < 0) return 1;
        setRange(*s, scrollRangeFor(count, s->visibleRows));
        // Spread over the bar's positions, the lines shown now have another position.
        if (linesBeyondView(count, s->visibleRows) > kScrollPositionMax) followTop(*s);
        return 1;
    }
    case LB_INSERTSTRING:
    case LB_DELETESTRING:
    case LB_RESETCONTENT: {
        const LRESULT r = SendMessageA(s->list, message, wParam, lParam);
        resync(*s);
        return r;
    }
    case WM_SETREDRAW:
        s->redrawOff = wParam == FALSE;
        SendMessageA(s->list, message, wParam, lParam);
        if (!s->redrawOff) {
            resync(*s);
            InvalidateRect(s->list, nullptr, TRUE);
        }
        return 0;
    case WM_MOUSEWHEEL: {
        const int top = topIndex(*s);
        const int newTop = topAfterWheel(top, GET_WHEEL_DELTA_WPARAM(wParam));
        if (newTop != top) SendMessageA(s->list, LB_SETTOPINDEX, static_cast<WPARAM>(newTop), 0);
        followTop(*s);
        return 1;
    }
    case WM_VSCROLL:
        if (reinterpret_cast<HWND>(lParam) == s->bar) barMoved(*s, static_cast<ScrollCode>(LOWORD(wParam)));
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == kInnerListId && HIWORD(wParam) == LBN_SELCHANGE) followTop(*s);
        return 1;
    case WM_SETFOCUS:
        SetFocus(s->list);
        return 0;
    case WM_SETFONT:
        return SendMessageA(s->list, message, wParam, lParam);
    case WM_ERASEBKGND:
        return 1;
    case WM_CTLCOLORLISTBOX: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, GetSkinColor(kText));
        SetBkColor(dc, GetSkinColor(kField));
        return reinterpret_cast<LRESULT>(GetSkinBrush(kField));
    }
    case WM_NCPAINT: {
        HDC dc = GetWindowDC(w);
        paintFrame(w, dc);
        ReleaseDC(w, dc);
        return 0;
    }
    case WM_PAINT: {
        // The frame lies in the client area: a repaint of it redraws the frame too.
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(w, &ps);
        paintFrame(w, dc);
        EndPaint(w, &ps);
        return 0;
    }
    default:
        // The other list messages (count, texts, selection) are the inner list's to answer.
        if (message >= LB_ADDSTRING && message <= LB_MSGMAX) return SendMessageA(s->list, message, wParam, lParam);
        return DefWindowProcA(w, message, wParam, lParam);
    }
}

}  // namespace

LRESULT CALLBACK ListBoxProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    return NoThrow(0, [&] { return listBoxMessage(w, message, wParam, lParam); });
}

}  // namespace qf
