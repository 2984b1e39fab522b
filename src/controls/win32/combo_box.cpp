#include "controls/win32/combo_box.h"

#include "controls/combo_logic.h"
#include "controls/menu_layout.h"
#include "controls/skin_metrics.h"
#include "controls/win32/popup_menu.h"
#include "controls/win32/skin_core.h"

namespace qf {

namespace {

struct ComboWindow {
    ComboItems items;
    HWND edit;
    HWND arrow;
};

// The standard edit's own procedure, shared by every combo's edit.
WNDPROC g_comboEditBase = nullptr;

ComboWindow* comboOf(HWND combo) { return static_cast<ComboWindow*>(StateBlockOf(combo)); }

void notifyChange(HWND combo) {
    SendMessageA(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
}

void showSelection(const ComboWindow& s) {
    const std::string* text = comboItemText(s.items, s.items.selection);
    SetWindowTextA(s.edit, text ? text->c_str() : "");
}

// Moves the selection to target (when it moves) and selects the edit's whole text.
void moveSelection(HWND combo, const ComboWindow& s, int target) {
    if (target == s.items.selection) return;
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(target), 0);
    SendMessageA(s.edit, EM_SETSEL, 0, -1);
}

void dropDown(HWND combo, ComboWindow& s) {
    SetFocus(s.edit);
    MenuDescription d;
    for (const ComboMenuEntry& e : comboMenuEntries(s.items))
        d.entries.push_back(e.separator ? nullptr : std::make_unique<qfMenuData>(e.id, e.text.c_str()));
    d.font = GetSkinFont((GetWindowLongPtrA(combo, GWLP_USERDATA) & 1) ? 1 : 0);
    d.mode = kMenuBelowOwner;
    OpenPopupMenu(combo, d);
}

// The read-only edit: the arrow keys step through the items, other keys do nothing, and a click
// drops the list down.
LRESULT CALLBACK ComboEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
    const HWND combo = GetParent(edit);
    switch (message) {
    case WM_SETFOCUS: {
        const LRESULT r = CallWindowProcA(g_comboEditBase, edit, message, wParam, lParam);
        SendMessageA(edit, EM_SETSEL, 0, -1);
        HideCaret(edit);
        return r;
    }
    case WM_SETCURSOR:
        return 1;
    case WM_KEYDOWN:
        if (wParam == VK_UP || wParam == VK_DOWN) {
            if (ComboWindow* s = comboOf(combo)) moveSelection(combo, *s, comboStepTarget(s->items, wParam == VK_UP ? -1 : 1));
        }
        return 0;
    case WM_CHAR:
        return 0;
    case WM_LBUTTONDOWN:
        SendMessageA(combo, WM_LBUTTONDOWN, wParam, lParam);
        return 0;
    default:
        return CallWindowProcA(g_comboEditBase, edit, message, wParam, lParam);
    }
}

void placeEdit(HWND combo, const ComboWindow& s) {
    RECT client, edit;
    GetClientRect(combo, &client);
    GetWindowRect(s.edit, &edit);
    HDC dc = GetDC(s.edit);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(s.edit, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32A(dc, "\xd6g", 2, &size);
    SelectObject(dc, old);
    ReleaseDC(s.edit, dc);
    const ComboEditRow row = comboEditRow(client.bottom, size.cy);
    SetWindowPos(s.edit, nullptr, 4, row.y, edit.right - edit.left, row.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

bool create(HWND combo, const CREATESTRUCTA& cs) {
    auto* s = CreateStateObject<ComboWindow>(combo);
    if (!s) return false;
    const HINSTANCE module = SkinControlsModule();
    s->edit = CreateWindowExA(0, "Edit", "", WS_CHILD | WS_VISIBLE | ES_READONLY, 4, 2, cs.cx - 19, cs.cy - 4, combo,
                              nullptr, module, nullptr);
    s->arrow = CreateWindowExA(0, "qfArrowButton", "", WS_CHILD | WS_VISIBLE, cs.cx - 15, 2, 13, cs.cy - 4, combo,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(kComboArrowId)), module, nullptr);
    if (!s->edit || !s->arrow) return false;
    SendMessageA(s->edit, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(1, 1));
    const WNDPROC previous =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrA(s->edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ComboEditProc)));
    if (previous != ComboEditProc) g_comboEditBase = previous;
    SendMessageA(combo, WM_SETFONT, reinterpret_cast<WPARAM>(GetSkinFont(0)), FALSE);
    return true;
}

LRESULT comboMessage(HWND combo, UINT message, WPARAM wParam, LPARAM lParam) {
    ComboWindow* s = comboOf(combo);
    if (message == WM_CREATE) return create(combo, *reinterpret_cast<const CREATESTRUCTA*>(lParam)) ? 0 : -1;
    if (!s) return DefWindowProcA(combo, message, wParam, lParam);
    switch (message) {
    case WM_DESTROY:
        if (s->edit && g_comboEditBase)
            SetWindowLongPtrA(s->edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_comboEditBase));
        DestroyStateObject<ComboWindow>(combo);
        return 0;
    case CB_ADDSTRING:
        comboAdd(s->items, reinterpret_cast<const char*>(lParam));
        return 1;
    case CB_GETCURSEL:
        return s->items.selection;
    case CB_SETCURSEL:
        if (!comboSelect(s->items, static_cast<int>(wParam))) return CB_ERR;
        showSelection(*s);
        notifyChange(combo);
        return s->items.selection;
    case CB_RESETCONTENT:
        comboClear(s->items);
        SetWindowTextA(s->edit, "");
        return 1;
    case WM_LBUTTONDOWN:
        dropDown(combo, *s);
        return 0;
    case WM_MOUSEWHEEL:
        moveSelection(combo, *s, comboWheelTarget(s->items, GET_WHEEL_DELTA_WPARAM(wParam)));
        return 0;
    case WM_COMMAND: {
        const WORD id = LOWORD(wParam);
        if (id == kComboArrowId) {
            if (HIWORD(wParam) == BN_CLICKED) dropDown(combo, *s);
        } else if (id >= kComboFirstItemId) {
            const int index = comboItemOfCommand(s->items, id);
            if (index != s->items.selection) {
                s->items.selection = index;
                showSelection(*s);
                notifyChange(combo);
            }
        }
        return 0;
    }
    case WM_SETFOCUS:
        SetFocus(s->edit);
        return 0;
    case WM_ENABLE:
        EnableWindow(s->arrow, static_cast<BOOL>(wParam));
        EnableWindow(s->edit, static_cast<BOOL>(wParam));
        return 0;
    case WM_SETFONT:
        SendMessageA(s->edit, WM_SETFONT, wParam, lParam);
        placeEdit(combo, *s);
        return 0;
    case WM_ERASEBKGND: {
        RECT r;
        GetClientRect(combo, &r);
        InflateRect(&r, 2, 2);
        r.right -= 13;
        FillSolidRect(reinterpret_cast<HDC>(wParam), r, GetSkinColor(kField));
        return 1;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(combo, &ps);
        RECT r;
        GetClientRect(combo, &r);
        Draw3dRect(dc, r, GetSkinColor(kDarkEdge), GetSkinColor(kLightEdge));
        InflateRect(&r, -1, -1);
        Draw3dRect(dc, r, RGB(0, 0, 0), GetSkinColor(kFace));
        EndPaint(combo, &ps);
        return 0;
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, GetSkinColor(kText));
        SetBkColor(dc, GetSkinColor(kField));
        return reinterpret_cast<LRESULT>(GetSkinBrush(kField));
    }
    default:
        return DefWindowProcA(combo, message, wParam, lParam);
    }
}

}  // namespace

LRESULT CALLBACK ComboBoxProc(HWND combo, UINT message, WPARAM wParam, LPARAM lParam) {
    return NoThrow(message == WM_CREATE ? -1 : 0, [&] { return comboMessage(combo, message, wParam, lParam); });
}

}  // namespace qf
