#include "controls/win32/list_ctrl.h"

#include <commctrl.h>

#include <new>

#include "controls/list_logic.h"
#include "controls/pointer_wrap.h"
#include "controls/skin_metrics.h"
#include "controls/win32/skin_core.h"

#define GET_X_LPARAM_(lp) (static_cast<int>(static_cast<short>(LOWORD(lp))))
#define GET_Y_LPARAM_(lp) (static_cast<int>(static_cast<short>(HIWORD(lp))))

namespace qf {

namespace {

struct ListCtrlState {
    HWND list = nullptr;
    int listWidth = 0;
    int listHeight = 0;
    bool dragging = false;
    POINT dragPoint{};  // screen coordinates
    int dragTopIndex = 0;
    int rowHeight = 0;
    bool lastSortedAtEnd = false;  // the last row placed by its text went at the end
};

// The header's look while the left button is down on it; one list control is on screen at a time.
struct HeaderLookState {
    bool pressed = false;
    bool hot = false;
    RECT item{};
};
HeaderLookState g_header;

// The procedures the host replaced on the inner list and on its header.
WNDPROC g_listBase = nullptr;
WNDPROC g_headerBase = nullptr;

// The list's vertical scroll bar lies in these extra pixels, outside the host.
constexpr int kHiddenScrollBarRoom = 40;
constexpr UINT kSortStyles = LVS_SORTASCENDING | LVS_SORTDESCENDING;

ListCtrlState* stateOf(HWND w) { return static_cast<ListCtrlState*>(StateBlockOf(w)); }

LRESULT callBase(WNDPROC base, HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    return base ? CallWindowProcA(base, w, message, wParam, lParam) : DefWindowProcA(w, message, wParam, lParam);
}

int rowHeightOf(HWND list) {
    RECT r{};
    r.left = LVIR_BOUNDS;
    if (!SendMessageA(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r))) return 0;
    return r.bottom - r.top;
}

void redrawNow(HWND w) { RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW); }

void paintHeader(HWND header, HDC dc) {
    RECT client;
    GetClientRect(header, &client);
    HGDIOBJ oldFont = SelectObject(dc, GetSkinFont(0));
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const bool buttons = (GetWindowLongPtrA(header, GWL_STYLE) & HDS_BUTTONS) != 0;
    POINT cursor{};
    GetCursorPos(&cursor);
    ScreenToClient(header, &cursor);
    const int count = int(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
    int lastRight = 0;
    for (int i = 0; i < count; ++i) {
        char text[64] = {};
        HDITEMA item{};
        item.mask = HDI_ORDER | HDI_TEXT;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(header, HDM_GETITEMA, WPARAM(i), reinterpret_cast<LPARAM>(&item));
        RECT r{};
        SendMessageA(header, HDM_GETITEMRECT, WPARAM(item.iOrder), reinterpret_cast<LPARAM>(&r));
        lastRight = r.right > lastRight ? r.right : lastRight;
        RECT inner = r;
        InflateRect(&inner, -1, -1);
        FillSolidRect(dc, inner, GetSkinColor(kFace));
        const bool inItem = PtInRect(&r, cursor) != FALSE;
        const HeaderItemLook look = headerItemLook(buttons, g_header.pressed, inItem);
        Draw3dRect(dc, r, GetSkinColor(look.topLeft), GetSkinColor(look.bottomRight));
        RECT textRect{r.left + 6, r.top, r.right - 3, r.bottom};
        if (look.pushed) {
            OffsetRect(&textRect, 1, 1);
            g_header.item = r;
        }
        SetTextColor(dc, GetSkinColor(kText));
        DrawTextA(dc, text, -1, &textRect, DT_SINGLELINE | DT_VCENTER);
    }
    // The strip right of the last column.
    RECT rest{lastRight, client.top, client.right + 10, client.bottom};
    FillSolidRect(dc, rest, GetSkinColor(kFace));
    Draw3dRect(dc, rest, GetSkinColor(buttons ? 16 : kFace), GetSkinColor(15));
    SetBkMode(dc, oldMode);
    SelectObject(dc, oldFont);
}

// The header cannot be clicked, dragged or resized: it only looks pressed while the button is down.
LRESULT CALLBACK HeaderProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    return NoThrow(0, [&]() -> LRESULT {
        switch (message) {
        case WM_LBUTTONDOWN:
            g_header.pressed = true;
            SetCapture(w);
            redrawNow(w);
            return 0;
        case WM_LBUTTONUP:
            if (!g_header.pressed) break;
            if (GetCapture() == w) ReleaseCapture();
            g_header.pressed = false;
            redrawNow(w);
            return 0;
        case WM_LBUTTONDBLCLK:
        case WM_SETCURSOR:
            return 0;
        case WM_MOUSEMOVE: {
            RECT client;
            GetClientRect(w, &client);
            const POINT p{GET_X_LPARAM_(lParam), GET_Y_LPARAM_(lParam)};
            const bool hot = PtInRect(&client, p) && PtInRect(&g_header.item, p);
            const bool changed = hot != g_header.hot;
            g_header.hot = hot;
            if (changed && g_header.pressed) {
                redrawNow(w);
                return 0;
            }
            break;
        }
        case WM_PAINT: {
            if (!GetUpdateRect(w, nullptr, FALSE)) return 0;
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(w, &ps);
            paintHeader(w, dc);
            EndPaint(w, &ps);
            return 0;
        }
        case WM_ERASEBKGND:
            return EraseWithSkinColor(w, wParam, kFace);
        default:
            break;
        }
        return callBase(g_headerBase, w, message, wParam, lParam);
    });
}

// The inner list hands the middle button and the wheel to the host, which scrolls in whole rows.
LRESULT CALLBACK InnerListProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    return NoThrow(0, [&]() -> LRESULT {
        HWND host = GetParent(w);
        if (message == WM_MBUTTONDOWN) {
            POINT p{GET_X_LPARAM_(lParam), GET_Y_LPARAM_(lParam)};
            MapWindowPoints(w, host, &p, 1);
            SendMessageA(host, WM_MBUTTONDOWN, wParam, MAKELPARAM(p.x, p.y));
        } else if (message == WM_MOUSEWHEEL) {
            return SendMessageA(host, message, wParam, lParam);
        }
        return callBase(g_listBase, w, message, wParam, lParam);
    });
}

WNDPROC replaceProc(HWND w, WNDPROC proc) {
    return reinterpret_cast<WNDPROC>(SetWindowLongPtrA(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc)));
}

bool createInnerList(HWND w, ListCtrlState& s) {
    RECT client;
    GetClientRect(w, &client);
    s.listWidth = client.right + kHiddenScrollBarRoom;
    s.listHeight = client.bottom;
    // The list-view bits of the host's style pass through, but for sorting: the list view would
    // compare a new row with every row before it, so the host places rows itself.
    const DWORD style = (DWORD(GetWindowLongPtrA(w, GWL_STYLE)) & ~kSortStyles & ~WS_BORDER) | WS_CHILD | WS_VISIBLE |
                        WS_TABSTOP | LVS_REPORT;
    s.list = CreateWindowExA(0, WC_LISTVIEWA, "", style, 0, 0, s.listWidth, s.listHeight, w, nullptr,
                             reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(w, GWLP_HINSTANCE)), nullptr);
    if (!s.list) return false;
    if (HWND header = reinterpret_cast<HWND>(SendMessageA(s.list, LVM_GETHEADER, 0, 0))) {
        const WNDPROC previous = replaceProc(header, HeaderProc);
        if (previous != HeaderProc) g_headerBase = previous;
    }
    const WNDPROC previous = replaceProc(s.list, InnerListProc);
    if (previous != InnerListProc) g_listBase = previous;
    g_header = HeaderLookState{};
    SendMessageA(s.list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    SendMessageA(s.list, LVM_SETBKCOLOR, 0, LPARAM(GetSkinColor(kField)));
    SendMessageA(s.list, LVM_SETTEXTBKCOLOR, 0, LPARAM(GetSkinColor(kField)));
    SendMessageA(s.list, LVM_SETTEXTCOLOR, 0, LPARAM(GetSkinColor(kText)));
    SendMessageA(s.list, WM_SETFONT, SendMessageA(GetParent(w), WM_GETFONT, 0, 0), FALSE);
    return true;
}

// A row of a sorted host goes where its text belongs, found by halving the list (or at its end
// at once while rows come in their order).
LRESULT insertItem(HWND w, ListCtrlState& s, LPARAM lParam) {
    const auto* item = reinterpret_cast<const LVITEMA*>(lParam);
    const LONG_PTR style = GetWindowLongPtrA(w, GWL_STYLE);
    if (!item || !(style & kSortStyles) || !(item->mask & LVIF_TEXT) || !item->pszText ||
        item->pszText == LPSTR_TEXTCALLBACKA)
        return SendMessageA(s.list, LVM_INSERTITEMA, 0, lParam);
    const bool descending = (style & LVS_SORTDESCENDING) && !(style & LVS_SORTASCENDING);
    const size_t count = size_t(SendMessageA(s.list, LVM_GETITEMCOUNT, 0, 0));
    const size_t index = sortedInsertIndex(count, [&](size_t row) {
        char text[260] = {};
        LVITEMA probe{};
        probe.iSubItem = 0;
        probe.pszText = text;
        probe.cchTextMax = sizeof text;
        SendMessageA(s.list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&probe));
        const int order = lstrcmpiA(item->pszText, text);
        return descending ? -order : order;
    }, s.lastSortedAtEnd);
    s.lastSortedAtEnd = count > 0 && index == count;
    LVITEMA placed = *item;
    placed.iItem = int(index);
    return SendMessageA(s.list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&placed));
}

void endDrag(HWND w, ListCtrlState& s) {
    s.dragging = false;
    if (GetCapture() == w) ReleaseCapture();
}

void beginDrag(HWND w, ListCtrlState& s, LPARAM lParam) {
    s.rowHeight = rowHeightOf(s.list);
    if (s.rowHeight <= 0) return;  // an empty list has nothing to drag
    s.dragTopIndex = int(SendMessageA(s.list, LVM_GETTOPINDEX, 0, 0));
    s.dragPoint = {GET_X_LPARAM_(lParam), GET_Y_LPARAM_(lParam)};
    ClientToScreen(w, &s.dragPoint);
    s.dragging = true;
    SetCapture(w);
}

void dragTo(HWND w, ListCtrlState& s, LPARAM lParam) {
    POINT p{GET_X_LPARAM_(lParam), GET_Y_LPARAM_(lParam)};
    ClientToScreen(w, &p);
    const PointerWrap wrap = wrapPointerY(p.y, GetSystemMetrics(SM_CYSCREEN) - 1);
    if (wrap.wrapped) {
        SetCursorPos(p.x, wrap.y);
        s.dragPoint.y = wrap.y;
        return;
    }
    const int rows = dragScrollRows(p.y, s.dragPoint.y, s.rowHeight);
    if (rows != 0 && SendMessageA(s.list, LVM_SCROLL, 0, rows * s.rowHeight)) s.dragPoint = p;
}

void wheel(HWND w, const ListCtrlState& s, WPARAM wParam, LPARAM lParam) {
    POINT p{GET_X_LPARAM_(lParam), GET_Y_LPARAM_(lParam)};
    ScreenToClient(w, &p);
    RECT client;
    GetClientRect(w, &client);
    if (!PtInRect(&client, p) || p.y < kListHeaderHeight) return;
    const int rowHeight = rowHeightOf(s.list);
    const int rows = wheelScrollRows(GET_WHEEL_DELTA_WPARAM(wParam));
    if (rowHeight > 0 && rows != 0) SendMessageA(s.list, LVM_SCROLL, 0, rows * rowHeight);
}

bool passedThrough(UINT message) {
    switch (message) {
    case LVM_SETBKCOLOR:
    case LVM_GETITEMCOUNT:
    case LVM_SETITEMA:
    case LVM_GETITEMA:
    case LVM_GETITEMRECT:
    case LVM_SCROLL:
    case LVM_INSERTCOLUMNA:
    case LVM_GETHEADER:
    case LVM_SETTEXTCOLOR:
    case LVM_SETTEXTBKCOLOR:
    case LVM_GETTOPINDEX:
    case LVM_SETITEMSTATE:
    case LVM_GETITEMSTATE:
    case LVM_GETITEMTEXTA:
    case LVM_SETEXTENDEDLISTVIEWSTYLE:
        return true;
    default:
        return false;
    }
}

LRESULT listMessage(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    ListCtrlState* s = stateOf(w);
    if (message == WM_CREATE) {
        void* block = CreateStateBlock(w, sizeof(ListCtrlState));
        if (!block) return -1;
        return createInnerList(w, *new (block) ListCtrlState()) ? 0 : -1;
    }
    if (!s || !s->list) return DefWindowProcA(w, message, wParam, lParam);
    if (passedThrough(message)) return SendMessageA(s->list, message, wParam, lParam);
    switch (message) {
    case LVM_INSERTITEMA:
        return insertItem(w, *s, lParam);
    case WM_DESTROY:
        if (HWND header = reinterpret_cast<HWND>(SendMessageA(s->list, LVM_GETHEADER, 0, 0)); header && g_headerBase)
            replaceProc(header, g_headerBase);
        if (g_listBase) replaceProc(s->list, g_listBase);
        FreeStateBlock(w);
        return 0;
    case WM_SIZE:
        s->listWidth = LOWORD(lParam) + kHiddenScrollBarRoom;
        s->listHeight = HIWORD(lParam);
        MoveWindow(s->list, 0, 0, s->listWidth, s->listHeight, TRUE);
        return 0;
    case WM_SETREDRAW:
        // Many rows at once: the list is drawn once when they are all in.
        SendMessageA(s->list, WM_SETREDRAW, wParam, 0);
        if (wParam) InvalidateRect(s->list, nullptr, TRUE);
        return 0;
    case WM_SETFOCUS:
        SetFocus(s->list);
        return 0;
    case WM_ERASEBKGND:
        return EraseWithSkinColor(w, wParam, kField);
    case WM_NCPAINT:
        PaintBorderFrames(w, GetSkinColor(15), GetSkinColor(16), RGB(0, 0, 0), GetSkinColor(kFace));
        return 1;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header && header->hwndFrom == s->list && header->code == LVN_ITEMCHANGED)
            return SendMessageA(GetParent(w), WM_NOTIFY, wParam, lParam);
        return 0;
    }
    case WM_MBUTTONDOWN:
        beginDrag(w, *s, lParam);
        return 0;
    case WM_MOUSEMOVE:
        if (s->dragging) dragTo(w, *s, lParam);
        return 0;
    case WM_MBUTTONUP:
    case WM_CANCELMODE:
        if (s->dragging) endDrag(w, *s);
        return 0;
    case WM_CAPTURECHANGED:
        if (s->dragging && reinterpret_cast<HWND>(lParam) != w) s->dragging = false;
        return 0;
    case WM_RBUTTONDOWN:
        if (s->dragging) {
            // A right click takes the drag back to the row it began at.
            endDrag(w, *s);
            const int top = int(SendMessageA(s->list, LVM_GETTOPINDEX, 0, 0));
            SendMessageA(s->list, LVM_SCROLL, 0, restoreScrollPixels(s->dragTopIndex, top, s->rowHeight));
        }
        return 0;
    case WM_MOUSEWHEEL:
        wheel(w, *s, wParam, lParam);
        return 0;
    default:
        return DefWindowProcA(w, message, wParam, lParam);
    }
}

}  // namespace

LRESULT CALLBACK ListCtrlProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    return NoThrow(0, [&] { return listMessage(w, message, wParam, lParam); });
}

int ListCtrlInsertColumn(HWND control, int index, const char* text, int format, int width) {
    LVCOLUMNA column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
    column.fmt = format;
    column.cx = width;
    column.pszText = const_cast<char*>(text);
    return int(SendMessageA(control, LVM_INSERTCOLUMNA, WPARAM(index), reinterpret_cast<LPARAM>(&column)));
}

int ListCtrlAddItem(HWND control, const char* text, LPARAM param, bool scrollToIt) {
    const int count = int(SendMessageA(control, LVM_GETITEMCOUNT, 0, 0));
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = count;
    item.pszText = const_cast<char*>(text);
    item.lParam = param;
    const int index = int(SendMessageA(control, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    if (scrollToIt) {
        RECT r{};
        r.left = LVIR_BOUNDS;
        if (SendMessageA(control, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r)))
            SendMessageA(control, LVM_SCROLL, 0, (r.bottom - r.top) * count);
    }
    return index;
}

HWND ListCtrlInnerList(HWND control) {
    const ListCtrlState* s = stateOf(control);
    return s ? s->list : nullptr;
}

}  // namespace qf
