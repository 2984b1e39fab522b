#include "controls/win32/tree_ctrl.h"

#include <commctrl.h>

#include <algorithm>

#include "controls/skin_metrics.h"
#include "controls/tree_sheet.h"
#include "controls/win32/skin_core.h"

namespace qf {

namespace {

// The host's state: the inner tree, which is always as big as its content, and where it sits.
struct TreeState {
    HWND tree = nullptr;
    WNDPROC treeProc = nullptr;
    int treeWidth = 0, treeHeight = 0;
    POINT origin{0, 0};
    int visibleRows = 8;
    int itemHeight = 8;
    HCURSOR panCursor = nullptr;
    bool ownCursor = false;
    bool panning = false;
    POINT lastPoint{0, 0};
    Sheet sheet;
    FramePoint savedOffset{0, 0};
    bool shifted = false;
};

TreeState* stateOf(HWND host) { return static_cast<TreeState*>(StateBlockOf(host)); }

SIZE clientSize(HWND window) {
    RECT r;
    GetClientRect(window, &r);
    return {r.right - r.left, r.bottom - r.top};
}

HCURSOR makePanCursor(HINSTANCE instance, bool& own) {
    const CursorMasks masks = panCursorMasks();
    HCURSOR cursor = CreateCursor(instance, masks.hotX, masks.hotY, 32, 32, masks.andMask, masks.xorMask);
    own = cursor != nullptr;
    return cursor ? cursor : LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_SIZEALL));
}

void refreshContent(TreeState& s) {
    RECT r;
    GetWindowRect(s.tree, &r);
    s.treeWidth = r.right - r.left;
    s.treeHeight = r.bottom - r.top;
    s.sheet.contentWidth = s.treeWidth - kSheetSlack;
    s.sheet.contentHeight = s.treeHeight;
}

void placeTree(TreeState& s) {
    SetWindowPos(s.tree, nullptr, s.origin.x + s.sheet.offset.x, s.origin.y + s.sheet.offset.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void scrollSheet(HWND host, TreeState& s, int dx, int dy) {
    const SIZE client = clientSize(host);
    const FramePoint d = clampSheetScroll(s.sheet, client.cx, client.cy, dx, dy);
    if (d.x == 0 && d.y == 0) return;
    s.sheet.offset.x += d.x;
    s.sheet.offset.y += d.y;
    ScrollWindowEx(host, d.x, d.y, nullptr, nullptr, nullptr, nullptr, SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
    refreshContent(s);
}

bool itemRect(HWND tree, HTREEITEM item, bool textOnly, RECT& r) {
    *reinterpret_cast<HTREEITEM*>(&r) = item;
    return SendMessageA(tree, TVM_GETITEMRECT, textOnly, reinterpret_cast<LPARAM>(&r)) != 0;
}

// Sizes the tree to every row it shows and to its widest text, then moves the sheet back when the
// view would no longer be filled. The rows are counted rather than read from the tree's scroll
// range, which the tree leaves stale once it hides its scroll bar.
void layout(HWND host, TreeState& s) {
    const SIZE client = clientSize(host);
    s.itemHeight = std::max(1, int(SendMessageA(s.tree, TVM_GETITEMHEIGHT, 0, 0)));
    s.visibleRows = client.cy / s.itemHeight;
    int rows = 0, widest = 0;
    for (auto item = reinterpret_cast<HTREEITEM>(SendMessageA(s.tree, TVM_GETNEXTITEM, TVGN_ROOT, 0)); item;
         item = reinterpret_cast<HTREEITEM>(
             SendMessageA(s.tree, TVM_GETNEXTITEM, TVGN_NEXTVISIBLE, reinterpret_cast<LPARAM>(item)))) {
        ++rows;
        RECT r;
        if (itemRect(s.tree, item, true, r)) widest = std::max(widest, int(r.right));
    }
    const int width = sheetWidth(widest, client.cx);
    const int height = sheetHeight(rows, s.itemHeight, client.cy);
    const int previousHeight = s.treeHeight;
    SetWindowPos(s.tree, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    const FilledSheet filled = fillClient(s.sheet.offset, width, height, client.cx, client.cy);
    s.sheet.offset = filled.offset;
    s.shifted = filled.shifted;
    if (height > previousHeight) {
        const RECT below{0, previousHeight, width, height};
        InvalidateRect(s.tree, &below, TRUE);
    }
    placeTree(s);
    refreshContent(s);
}

void keepVisible(HWND host, TreeState& s, HTREEITEM item) {
    RECT r;
    if (!item || !itemRect(s.tree, item, false, r)) return;
    s.sheet.offset.y = offsetShowingRow(s.sheet.offset.y, r.top, r.bottom, clientSize(host).cy);
    placeTree(s);
    refreshContent(s);
}

void endPan(TreeState& s) {
    if (!s.panning) return;
    s.panning = false;
    ReleaseCapture();
}

LRESULT forwardNotify(HWND host, LPARAM lParam) {
    return SendMessageA(GetParent(host), WM_NOTIFY, GetDlgCtrlID(host), lParam);
}

LRESULT onNotify(HWND host, TreeState& s, LPARAM lParam) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (!header || header->hwndFrom != s.tree) return 0;
    switch (header->code) {
    case TVN_SELCHANGEDA:
    case TVN_SELCHANGEDW:
        keepVisible(host, s, reinterpret_cast<const NMTREEVIEWA*>(lParam)->itemNew.hItem);
        return forwardNotify(host, lParam);
    case TVN_ITEMEXPANDEDA:
    case TVN_ITEMEXPANDEDW:
        layout(host, s);
        return 0;
    case TVN_ITEMEXPANDINGA:
    case TVN_ITEMEXPANDINGW:
    case TVN_BEGINDRAGA:
    case TVN_BEGINDRAGW:
        return forwardNotify(host, lParam);
    default:
        return 0;
    }
}

POINT pointOf(LPARAM lParam) { return {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))}; }

// Page Up and Page Down move the selection by a page of the view, as far as the rows go.
void pageSelection(HWND tree, const TreeState& s, bool down) {
    auto next = [&](HTREEITEM item, WPARAM how) {
        return reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, how, reinterpret_cast<LPARAM>(item)));
    };
    HTREEITEM item = next(nullptr, TVGN_CARET);
    if (!item) item = next(nullptr, TVGN_ROOT);
    if (!item) return;
    const WPARAM how = down ? TVGN_NEXTVISIBLE : TVGN_PREVIOUSVISIBLE;
    for (int step = pageRows(s.visibleRows); step > 0; --step) {
        HTREEITEM further = next(item, how);
        if (!further) break;
        item = further;
    }
    SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
}

// The inner tree's procedure: background in the field colour; middle button, wheel and
// control-clicks go to the host first.
LRESULT CALLBACK InnerTreeProc(HWND tree, UINT message, WPARAM wParam, LPARAM lParam) {
    HWND host = GetParent(tree);
    TreeState* s = stateOf(host);
    if (!s || !s->treeProc) return DefWindowProcA(tree, message, wParam, lParam);
    return NoThrow(0, [&]() -> LRESULT {
        switch (message) {
        case WM_ERASEBKGND:
            return EraseWithSkinColor(tree, wParam, kField);
        case WM_MBUTTONDOWN:
            SendMessageA(host, TRCM_BEGINPAN, 0, lParam);
            break;
        case WM_MOUSEWHEEL:
            // Only the host scrolls: the tree, as big as its content, has nothing to scroll, and
            // passing the wheel on would bring it back to the host a second time.
            SendMessageA(host, WM_MOUSEWHEEL, wParam, lParam);
            return 0;
        case WM_LBUTTONDOWN:
            if (wParam & MK_CONTROL) {
                POINT p = pointOf(lParam);
                MapWindowPoints(tree, host, &p, 1);
                SendMessageA(host, WM_LBUTTONDOWN, wParam, MAKELPARAM(p.x, p.y));
            }
            break;
        case WM_KEYDOWN:
            if (wParam == VK_PRIOR || wParam == VK_NEXT) {
                pageSelection(tree, *s, wParam == VK_NEXT);
                return 0;
            }
            break;
        default:
            break;
        }
        return CallWindowProcA(s->treeProc, tree, message, wParam, lParam);
    });
}

LRESULT onCreate(HWND host) {
    TreeState* state = CreateStateObject<TreeState>(host);
    if (!state) return -1;
    TreeState& s = *state;
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(host, GWLP_HINSTANCE));
    s.panCursor = makePanCursor(instance, s.ownCursor);
    const SIZE client = clientSize(host);
    s.tree = CreateWindowExA(0, WC_TREEVIEWA, "",
                             WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT |
                                 TVS_SHOWSELALWAYS,
                             0, 0, client.cx, client.cy, host, nullptr, instance, nullptr);
    if (!s.tree) return -1;
    s.itemHeight = std::max(1, int(SendMessageA(s.tree, TVM_GETITEMHEIGHT, 0, 0)));
    s.visibleRows = client.cy / s.itemHeight;
    refreshContent(s);
    s.treeProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(s.tree, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(InnerTreeProc)));
    SendMessageA(s.tree, TVM_SETTEXTCOLOR, 0, LPARAM(GetSkinColor(kText)));
    SendMessageA(s.tree, TVM_SETBKCOLOR, 0, LPARAM(GetSkinColor(kField)));
    return 0;
}

void onDestroy(HWND host, TreeState& s) {
    endPan(s);
    if (s.ownCursor) DestroyCursor(s.panCursor);
    if (s.tree && s.treeProc) SetWindowLongPtrA(s.tree, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(s.treeProc));
    s.treeProc = nullptr;
    DestroyStateObject<TreeState>(host);
}

LRESULT handle(HWND host, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) return onCreate(host);
    TreeState* state = stateOf(host);
    if (message == WM_DESTROY) {
        if (state) onDestroy(host, *state);
        return 0;
    }
    if (!state || !state->tree) return DefWindowProcA(host, message, wParam, lParam);
    TreeState& s = *state;
    switch (message) {
    case WM_SIZE:
        layout(host, s);
        return 0;
    case WM_SETFOCUS:
        SetFocus(s.tree);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_SETFONT:
    case WM_GETFONT:
        return SendMessageA(s.tree, message, wParam, lParam);
    case WM_NCPAINT:
        PaintBorderFrames(host, GetSkinColor(15), GetSkinColor(16), RGB(0, 0, 0), GetSkinColor(kFace));
        return 1;
    case WM_NOTIFY:
        return onNotify(host, s, lParam);
    case TVM_EXPAND:
    case TVM_GETITEMRECT:
    case TVM_GETIMAGELIST:
    case TVM_SETIMAGELIST:
    case TVM_GETNEXTITEM:
    case TVM_SELECTITEM:
    case TVM_GETITEMA:
    case TVM_SETITEMA:
    case TVM_CREATEDRAGIMAGE:
    case TVM_ENSUREVISIBLE:
    case TVM_GETITEMHEIGHT:
        return SendMessageA(s.tree, message, wParam, lParam);
    case TVM_INSERTITEMA: {
        const LRESULT item = SendMessageA(s.tree, message, wParam, lParam);
        // Only an insert that made the content outgrow the tree needs a new size.
        if (GetWindowLongPtrA(s.tree, GWL_STYLE) & WS_VSCROLL) layout(host, s);
        return item;
    }
    case TVM_DELETEITEM: {
        const LRESULT done = SendMessageA(s.tree, message, wParam, lParam);
        layout(host, s);
        return done;
    }
    case TRCM_WASSHIFTED:
        return s.shifted ? 1 : 0;
    case TRCM_BEGINPAN: {
        s.savedOffset = s.sheet.offset;
        SetCursor(s.panCursor);
        POINT p = pointOf(lParam);
        p.x += s.sheet.offset.x;
        p.y += s.sheet.offset.y;
        ClientToScreen(host, &p);
        s.lastPoint = p;
        SetCapture(host);
        s.panning = true;
        return 1;
    }
    case WM_MOUSEMOVE:
        if (s.panning) {
            POINT p = pointOf(lParam);
            ClientToScreen(host, &p);
            const PanStep step =
                panStep({p.x, p.y}, {s.lastPoint.x, s.lastPoint.y}, GetSystemMetrics(SM_CYSCREEN));
            if (step.wrap) SetCursorPos(p.x, step.wrapY);
            else scrollSheet(host, s, step.scroll.x, step.scroll.y);
            s.lastPoint = {step.last.x, step.last.y};
            SetCursor(s.panCursor);
        }
        return 0;
    case WM_MBUTTONUP:
    case WM_CANCELMODE:
        endPan(s);
        return 0;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != host) s.panning = false;
        return 0;
    case WM_RBUTTONDOWN:
        if (s.panning) {
            endPan(s);
            scrollSheet(host, s, s.savedOffset.x - s.sheet.offset.x, s.savedOffset.y - s.sheet.offset.y);
        }
        return 0;
    case WM_LBUTTONDOWN:
        if (wParam & MK_CONTROL) {
            POINT p = pointOf(lParam);
            MapWindowPoints(host, GetParent(host), &p, 1);
            return SendMessageA(GetParent(host), WM_LBUTTONDOWN, wParam, MAKELPARAM(p.x, p.y));
        }
        return 0;
    case WM_LBUTTONDBLCLK:
        return 0;
    case WM_MOUSEWHEEL: {
        const SIZE client = clientSize(host);
        if (s.sheet.contentWidth <= client.cx && s.sheet.contentHeight <= client.cy) return 0;
        scrollSheet(host, s, 0, wheelScroll(GET_WHEEL_DELTA_WPARAM(wParam), s.itemHeight));
        return 0;
    }
    default:
        return DefWindowProcA(host, message, wParam, lParam);
    }
}

}  // namespace

LRESULT CALLBACK TreeCtrlProc(HWND host, UINT message, WPARAM wParam, LPARAM lParam) {
    return NoThrow(0, [&] { return handle(host, message, wParam, lParam); });
}

}  // namespace qf
