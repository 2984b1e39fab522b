#include "controls/win32/popup_menu.h"

#include <cstring>

#include "controls/menu_layout.h"
#include "controls/skin_metrics.h"
#include "controls/win32/skin_core.h"

namespace qf {

qfMenuData::qfMenuData(uint32_t itemId, const char* itemText) : id(itemId), text{}, rect{} {
    if (itemText) lstrcpynA(text, itemText, sizeof text);
}

namespace {

struct MenuWindow {
    MenuDescription description;
    MenuGeometry geometry;
    int hot = -1;
};

FramePoint pointOf(LPARAM lParam) { return {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))}; }
FrameRect frameOf(const RECT& r) { return {int(r.left), int(r.top), int(r.right), int(r.bottom)}; }
RECT rectOf(const FrameRect& r) { return {r.left, r.top, r.right, r.bottom}; }

int textWidth(HDC dc, const char* text) {
    SIZE size{};
    GetTextExtentPoint32A(dc, text, lstrlenA(text), &size);
    return size.cx;
}

void layOut(HWND menu, MenuWindow& s) {
    MenuDescription& d = s.description;
    MenuMetrics m;
    m.mode = d.mode;
    HDC dc = GetDC(menu);
    HGDIOBJ oldFont = SelectObject(dc, d.font);
    SIZE size{};
    GetTextExtentPoint32A(dc, "\xd6g", 2, &size);
    m.textHeight = size.cy;
    m.hasTitle = !d.title.empty();
    if (m.hasTitle) m.titleWidth = textWidth(dc, d.title.c_str());
    for (const auto& entry : d.entries) m.entries.push_back({!entry, entry ? textWidth(dc, entry->text) : 0});
    SelectObject(dc, oldFont);
    ReleaseDC(menu, dc);
    RECT owner{};
    if (d.owner) GetWindowRect(d.owner, &owner);
    m.ownerWidth = owner.right - owner.left;
    m.ownerHeight = owner.bottom - owner.top;
    m.position = {d.position.x, d.position.y};
    m.screenWidth = GetSystemMetrics(SM_CXSCREEN);
    m.screenHeight = GetSystemMetrics(SM_CYSCREEN);
    s.geometry = layoutMenu(m);
    for (size_t i = 0; i < d.entries.size(); ++i)
        if (d.entries[i]) d.entries[i]->rect = rectOf(s.geometry.itemRects[i]);
    if (d.layered) SetWindowOpacity(menu, d.alpha);
    const FrameRect& w = s.geometry.window;
    SetWindowPos(menu, HWND_TOP, w.left, w.top, w.right - w.left, w.bottom - w.top, SWP_SHOWWINDOW);
}

void line(HDC dc, int left, int right, int y) { FillSolidRect(dc, left, y, right - left, 1, GetSkinColor(kDarkEdge)); }

void paint(HWND menu, const MenuWindow& s, HDC dc) {
    const MenuDescription& d = s.description;
    const MenuGeometry& g = s.geometry;
    RECT r;
    GetClientRect(menu, &r);
    FillSolidRect(dc, r, menuBackground(d.mode, GetSkinColor(kFace), GetSkinColor(kField)));
    Draw3dRect(dc, r, RGB(0, 0, 0), RGB(0, 0, 0));
    HGDIOBJ oldFont = SelectObject(dc, d.font);
    SetBkMode(dc, TRANSPARENT);
    r.top += 2;
    r.left += g.margin;
    if (!d.title.empty()) {
        SetTextColor(dc, GetSkinColor(kText));
        DrawTextA(dc, d.title.c_str(), -1, &r, 0);
        r.top += g.itemHeight;
        line(dc, r.left - g.margin, r.right, r.top - 1);
        r.top += g.separatorHeight;
    }
    for (size_t i = 0; i < d.entries.size(); ++i) {
        const qfMenuData* item = d.entries[i].get();
        if (!item) {
            line(dc, r.left - g.margin, r.right, r.top - 1);
            r.top += g.separatorHeight;
            continue;
        }
        const bool hot = int(i) == s.hot;
        if (hot) FillSolidRect(dc, item->rect, GetSkinColor(kHighlight));
        SetTextColor(dc, GetSkinColor(hot ? 11 : kText));
        DrawTextA(dc, item->text, -1, &r, 0);
        r.top += g.itemHeight;
    }
    SelectObject(dc, oldFont);
}

void invalidateEntry(HWND menu, const MenuWindow& s, int index) {
    if (index < 0 || size_t(index) >= s.description.entries.size() || !s.description.entries[size_t(index)]) return;
    InvalidateRect(menu, &s.description.entries[size_t(index)]->rect, TRUE);
}

LRESULT menuMessage(HWND menu, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* s = static_cast<MenuWindow*>(StateBlockOf(menu));
    if (message == WM_CREATE) {
        auto* given = static_cast<MenuDescription*>(reinterpret_cast<const CREATESTRUCTA*>(lParam)->lpCreateParams);
        s = CreateStateObject<MenuWindow>(menu);
        if (!s || !given) return -1;
        s->description = std::move(*given);
        given->entries.clear();
        if (!s->description.font) s->description.font = GetSkinFont(0);
        layOut(menu, *s);
        SetCapture(menu);
        return 0;
    }
    if (!s) return DefWindowProcA(menu, message, wParam, lParam);
    switch (message) {
    case WM_DESTROY:
        if (GetCapture() == menu) ReleaseCapture();
        DestroyStateObject<MenuWindow>(menu);
        return 0;
    case WM_MOUSEMOVE: {
        const int hot = menuHotAfterMove(s->geometry, s->hot, pointOf(lParam));
        if (hot != s->hot) {
            invalidateEntry(menu, *s, s->hot);
            s->hot = hot;
            invalidateEntry(menu, *s, hot);
        }
        return 0;
    }
    case WM_LBUTTONUP: {
        const int item = menuItemAt(s->geometry, pointOf(lParam));
        if (item < 0) return 0;
        SendMessageA(s->description.owner, WM_COMMAND, s->description.entries[size_t(item)]->id, 0);
        PostMessageA(menu, WM_CLOSE, 0, 0);
        return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        if (!menuContains(s->geometry, pointOf(lParam))) PostMessageA(menu, WM_CLOSE, 0, 0);
        return 0;
    case WM_CHAR:
        if (wParam == VK_ESCAPE || wParam == VK_RETURN) PostMessageA(menu, WM_CLOSE, 0, 0);
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) PostMessageA(menu, WM_CLOSE, 0, 0);
        return DefWindowProcA(menu, message, wParam, lParam);
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(menu, &ps);
        paint(menu, *s, dc);
        EndPaint(menu, &ps);
        return 0;
    }
    default:
        return DefWindowProcA(menu, message, wParam, lParam);
    }
}

}  // namespace

HWND OpenPopupMenu(HWND owner, MenuDescription& description) {
    description.owner = owner;
    RECT ownerRect{};
    if (owner) GetWindowRect(owner, &ownerRect);
    POINT cursor{};
    GetCursorPos(&cursor);
    const FramePoint p = menuOpeningPoint(description.mode, frameOf(ownerRect), {cursor.x, cursor.y},
                                          {description.position.x, description.position.y});
    description.position = {p.x, p.y};
    return CreateWindowExA(0, "qfMenu", "", WS_POPUP | WS_VISIBLE, 10, 10, 100, 100, owner, nullptr,
                           SkinControlsModule(), &description);
}

LRESULT CALLBACK MenuProc(HWND menu, UINT message, WPARAM wParam, LPARAM lParam) {
    return NoThrow(message == WM_CREATE ? -1 : 0, [&] { return menuMessage(menu, message, wParam, lParam); });
}

}  // namespace qf
