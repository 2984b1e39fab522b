#include "controls/win32/folder_chooser.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <string>
#include <vector>

#include "controls/skin_metrics.h"
#include "controls/tree_sheet.h"
#include "controls/win32/dialog_frame.h"
#include "controls/win32/message_box.h"
#include "controls/win32/skin_core.h"
#include "controls/win32/tree_ctrl.h"

namespace qf {

namespace {

constexpr const char* kTitle = " Choose a Folder ";
constexpr int kOkId = 1;

struct ChooserState {
    bool hasPosition = false;
    POINT position{-1, -1};
    std::string* chosen = nullptr;  // the caller's path, overwritten on OK
    size_t capacity = 0;            // what the caller's buffer holds, its end included
    std::string current;            // the selected item's path, shown by the label
    HWND label = nullptr, ok = nullptr, tree = nullptr;
    SIZE lastClient{0, 0};
};

ChooserState* stateOf(HWND dialog) { return reinterpret_cast<ChooserState*>(GetWindowLongPtrA(dialog, GWLP_USERDATA)); }

RECT childRect(HWND dialog, HWND child) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// ---- the tree, through its host ----

LRESULT treeMessage(HWND tree, UINT message, WPARAM wParam, LPARAM lParam) {
    return SendMessageA(tree, message, wParam, lParam);
}

HTREEITEM nextItem(HWND tree, UINT relation, HTREEITEM item) {
    return reinterpret_cast<HTREEITEM>(treeMessage(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}

std::string itemText(HWND tree, HTREEITEM item) {
    // A folder's whole name (up to 255 characters): a cut one names another folder.
    char text[MAX_PATH] = {};
    TVITEMA tv = {};
    tv.mask = TVIF_TEXT | TVIF_HANDLE;
    tv.hItem = item;
    tv.pszText = text;
    tv.cchTextMax = sizeof text;
    treeMessage(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
    text[sizeof text - 1] = '\0';
    return text;
}

std::string itemPath(HWND tree, HTREEITEM item) {
    std::vector<std::string> parts;
    for (; item; item = nextItem(tree, TVGN_PARENT, item)) parts.push_back(itemText(tree, item));
    std::reverse(parts.begin(), parts.end());
    return joinItemPath(parts);
}

struct Icons {
    int image = 0, selected = 0;
};

Icons iconsOf(const std::string& path) {
    Icons icons;
    SHFILEINFOA info = {};
    if (!SHGetFileInfoA(path.c_str(), 0, &info, sizeof info, SHGFI_ICON | SHGFI_SMALLICON)) return icons;
    icons.image = info.iIcon;
    if (info.hIcon) DestroyIcon(info.hIcon);
    info = {};
    if (SHGetFileInfoA(path.c_str(), 0, &info, sizeof info, SHGFI_ICON | SHGFI_SMALLICON | SHGFI_OPENICON)) {
        icons.selected = info.iIcon;
        if (info.hIcon) DestroyIcon(info.hIcon);
    }
    return icons;
}

HTREEITEM insertItem(HWND tree, HTREEITEM parent, const std::string& text, const Icons& icons) {
    TVINSERTSTRUCTA insert = {};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    insert.item.pszText = const_cast<char*>(text.c_str());
    insert.item.iImage = icons.image;
    insert.item.iSelectedImage = icons.selected;
    return reinterpret_cast<HTREEITEM>(treeMessage(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
}

void addUnreadMarker(HWND tree, HTREEITEM item) { insertItem(tree, item, kUnreadMarker, {}); }

// Calls visit with the name of every folder the chooser lists in path, in the file system's order.
template <typename Visit>
void forEachFolder(const std::string& path, Visit visit) {
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((path + "\\*.*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        if (isListedFolder(found.dwFileAttributes, found.cFileName) && !visit(found.cFileName)) break;
    } while (FindNextFileA(find, &found));
    FindClose(find);
}

bool hasSubfolders(const std::string& path) {
    bool any = false;
    forEachFolder(path, [&](const char*) { return !(any = true); });
    return any;
}

void listDrives(HWND tree) {
    char list[127] = {};
    const DWORD length = GetLogicalDriveStringsA(sizeof list, list);
    for (const std::string& root : driveRoots(list, std::min<size_t>(length, sizeof list))) {
        const UINT type = GetDriveTypeA(root.c_str());
        if (!isListedDriveType(type)) continue;
        const std::string drive = root.substr(0, 2);
        HTREEITEM item = insertItem(tree, TVI_ROOT, drive, iconsOf(root));
        // A removable drive is not touched until the user opens it.
        if (isRemovableDriveType(type) || hasSubfolders(drive)) addUnreadMarker(tree, item);
    }
}

// Reads a folder's subfolders the first time its item opens.
void openBranch(HWND tree, HTREEITEM item) {
    HTREEITEM child = nextItem(tree, TVGN_CHILD, item);
    if (!child || itemText(tree, child) != kUnreadMarker) return;
    treeMessage(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(child));
    const std::string path = itemPath(tree, item);
    forEachFolder(path, [&](const char* name) {
        const std::string full = path + "\\" + name;
        HTREEITEM added = insertItem(tree, item, name, iconsOf(full));
        if (hasSubfolders(full)) addUnreadMarker(tree, added);
        return true;
    });
}

// A name as Windows compares folder names: its letters in the system's upper case.
std::wstring foldedName(const std::string& name) {
    std::wstring wide(name.size(), L'\0');
    const int n = name.empty() ? 0
                               : MultiByteToWideChar(CP_ACP, 0, name.data(), int(name.size()), wide.data(), int(wide.size()));
    wide.resize(size_t(std::max(n, 0)));
    if (!wide.empty()) CharUpperBuffW(wide.data(), DWORD(wide.size()));
    return wide;
}

// The item of that name; failing one spelt the same, the first whose name differs only in letter
// case (a path typed by hand, "c:\maps" for "C:\Maps").
HTREEITEM findChild(HWND tree, HTREEITEM first, const std::string& text) {
    HTREEITEM otherCase = nullptr;
    std::wstring folded;
    for (HTREEITEM item = first; item; item = nextItem(tree, TVGN_NEXT, item)) {
        const std::string name = itemText(tree, item);
        if (name == text) return item;
        if (otherCase) continue;
        if (folded.empty()) folded = foldedName(text);
        if (foldedName(name) == folded) otherCase = item;
    }
    return otherCase;
}

// Opens the tree along the path as far as its folders exist and selects the deepest one found;
// without a matching drive, the drive C:.
void selectPath(HWND tree, const std::string& path) {
    const std::vector<std::string> parts = splitItemPath(path);
    HTREEITEM roots = nextItem(tree, TVGN_ROOT, nullptr);
    HTREEITEM current = parts.empty() ? nullptr : findChild(tree, roots, parts[0]);
    if (!current) {
        if (HTREEITEM drive = findChild(tree, roots, "C:"))
            treeMessage(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(drive));
        return;
    }
    for (size_t i = 1; i < parts.size(); ++i) {
        treeMessage(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(current));
        HTREEITEM next = findChild(tree, nextItem(tree, TVGN_CHILD, current), parts[i]);
        if (!next) break;
        current = next;
    }
    treeMessage(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(current));
}

void attachSystemIcons(HWND tree) {
    SHFILEINFOA info = {};
    auto list = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoA("C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
    if (!list) return;
    ImageList_SetBkColor(list, GetSkinColor(kField));
    treeMessage(tree, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(list));
}

// ---- the dialog ----

void showPath(ChooserState& s) {
    RECT client;
    GetClientRect(s.label, &client);
    std::vector<char> text(s.current.begin(), s.current.end());
    text.push_back('\0');
    text.resize(std::max<size_t>(text.size(), 8));
    HDC dc = GetDC(s.label);
    HGDIOBJ old = SelectObject(dc, GetSkinFont(0));
    FitPathToWidth(dc, text.data(), text.size(), client.right - client.left);
    SelectObject(dc, old);
    ReleaseDC(s.label, dc);
    SetWindowTextA(s.label, text.data());
}

void resizeLayout(HWND dialog, ChooserState& s) {
    RECT client;
    GetClientRect(dialog, &client);
    const int w = client.right, h = client.bottom;
    const ChooserLayout l = chooserLayout(w, h, int(childRect(dialog, s.tree).top));
    HDWP moves = BeginDeferWindowPos(3);
    const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW;
    auto place = [&](HWND child, const FrameRect& r) {
        if (moves) moves = DeferWindowPos(moves, child, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, flags);
    };
    place(s.label, l.label);
    place(s.ok, l.ok);
    place(s.tree, l.tree);
    if (moves) EndDeferWindowPos(moves);
    if (SendMessageA(s.tree, TRCM_WASSHIFTED, 0, 0) == 0) {
        // The sheet did not move: only the bands around the tree need painting.
        for (const FrameRect& band : chooserRepaintBands(w, h, s.lastClient.cx, s.lastClient.cy, l.tree)) {
            const RECT r{band.left, band.top, band.right, band.bottom};
            InvalidateRect(dialog, &r, TRUE);
        }
    } else {
        InvalidateRect(dialog, nullptr, TRUE);
    }
    s.lastClient = {w, h};
}

HWND makeChild(HWND dialog, DWORD exStyle, const char* cls, const char* text, DWORD style, int x, int y, int id) {
    return CreateWindowExA(exStyle, cls, text, WS_CHILD | style, x, y, 10, 10, dialog,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), SkinControlsModule(), nullptr);
}

BOOL onInit(HWND dialog, ChooserState& s) {
    SetWindowLongPtrA(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&s));
    s.label = makeChild(dialog, 0, "qfStatic", "", 0, 21, 42, kChooserLabelId);
    s.ok = makeChild(dialog, 0, "qfButton", "OK", WS_VISIBLE | WS_TABSTOP, 0, 0, kOkId);
    s.tree = makeChild(dialog, WS_EX_CLIENTEDGE, "qfTreeCtrl", "", WS_VISIBLE | WS_TABSTOP, 20, 62, kChooserTreeId);
    if (!s.label || !s.ok || !s.tree) {
        EndDialog(dialog, 0);
        return TRUE;
    }
    SendMessageA(s.tree, WM_SETFONT, reinterpret_cast<WPARAM>(GetSkinFont(0)), FALSE);
    RECT client;
    GetClientRect(dialog, &client);
    s.lastClient = {client.right, client.bottom};
    SetWindowPos(dialog, nullptr, 0, 0, kChooserWidth, kChooserHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    resizeLayout(dialog, s);
    ShapeSkinnedWindow(dialog, true);
    if (s.hasPosition && (s.position.x != -1 || s.position.y != -1)) {
        RECT r;
        GetWindowRect(dialog, &r);
        const FramePoint p = chooserPosition({s.position.x, s.position.y}, GetSystemMetrics(SM_CXSCREEN),
                                             GetSystemMetrics(SM_CYSCREEN), r.right - r.left, r.bottom - r.top);
        SetWindowPos(dialog, nullptr, p.x, p.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    } else {
        CenterOnOwnerMonitor(dialog, GetParent(dialog));
    }
    s.current = *s.chosen;
    listDrives(s.tree);
    selectPath(s.tree, s.current);
    attachSystemIcons(s.tree);
    showPath(s);
    ShowWindow(s.label, SW_SHOW);
    SetFocus(s.tree);
    return FALSE;  // the focus is set
}

void onPaint(HWND dialog, ChooserState& s) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(dialog, &ps);
    for (HWND child : {s.tree, s.ok}) {
        const RECT r = childRect(dialog, child);
        ExcludeClipRect(dc, r.left, r.top, r.right, r.bottom);
    }
    PaintSkinnedFrame(dialog, dc, true, kTitle, true);
    EndPaint(dialog, &ps);
}

INT_PTR handle(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) return onInit(dialog, *reinterpret_cast<ChooserState*>(lParam));
    ChooserState* state = stateOf(dialog);
    if (!state || !state->tree) return FALSE;
    ChooserState& s = *state;
    const POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    switch (message) {
    case WM_SIZE:
        resizeLayout(dialog, s);
        ShapeSkinnedWindow(dialog, true);
        showPath(s);
        return TRUE;
    case WM_NOTIFY: {
        const auto* tv = reinterpret_cast<const NMTREEVIEWA*>(lParam);
        switch (tv->hdr.code) {
        case TVN_SELCHANGEDA:
        case TVN_SELCHANGEDW:
            s.current = itemPath(s.tree, nextItem(s.tree, TVGN_CARET, nullptr));
            showPath(s);
            break;
        case TVN_ITEMEXPANDINGA:
        case TVN_ITEMEXPANDINGW:
            if (tv->action & TVE_EXPAND) openBranch(s.tree, tv->itemNew.hItem);
            break;
        default:
            break;
        }
        SetWindowLongPtrA(dialog, DWLP_MSGRESULT, 0);
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == kOkId && HIWORD(wParam) == BN_CLICKED) {
            HTREEITEM caret = nextItem(s.tree, TVGN_CARET, nullptr);
            const std::string path = caret ? itemPath(s.tree, caret) : std::string();
            // Nothing selected, or a folder too deep for the caller: the chooser stays open.
            if (path.empty() || path.size() >= s.capacity) {
                MessageBeep(MB_ICONEXCLAMATION);
                return TRUE;
            }
            *s.chosen = path;
            EndDialog(dialog, 1);
        } else if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, 0);
        }
        return TRUE;
    case WM_PAINT:
        onPaint(dialog, s);
        return TRUE;
    case WM_ERASEBKGND:
        SetWindowLongPtrA(dialog, DWLP_MSGRESULT, 1);
        return TRUE;
    case WM_GETMINMAXINFO: {
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMinTrackSize = {kChooserMinWidth, kChooserMinHeight};
        return TRUE;
    }
    case WM_MOUSEMOVE:
        HandleSkinnedResize(dialog, point, true, false);
        return TRUE;
    case WM_LBUTTONDOWN:
        HandleSkinnedResize(dialog, point, true, true);
        return TRUE;
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK ChooserProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return NoThrow(FALSE, [&] { return handle(dialog, message, wParam, lParam); });
}

}  // namespace

int ChooseFolder(HWND owner, char* path, size_t size, const POINT* position) {
    if (!path || size == 0) return 0;
    std::string chosen(path, strnlen(path, size - 1));
    std::replace(chosen.begin(), chosen.end(), '/', '\\');
    ChooserState state;
    state.hasPosition = position != nullptr;
    if (position) state.position = *position;
    state.chosen = &chosen;
    state.capacity = size;
    // An empty in-memory template: a resizable borderless popup that makes its own controls.
    alignas(4) unsigned char tmpl[82] = {};
    auto* t = reinterpret_cast<DLGTEMPLATE*>(tmpl);
    t->style = WS_POPUP | WS_THICKFRAME | DS_SETFONT | DS_FIXEDSYS;
    t->cx = 10;
    t->cy = 10;
    const INT_PTR result =
        DialogBoxIndirectParamA(SkinControlsModule(), t, owner, ChooserProc, reinterpret_cast<LPARAM>(&state));
    lstrcpynA(path, chosen.c_str(), int(std::min<size_t>(size, 0x7fffffff)));
    return result == 1 ? 1 : 0;
}

}  // namespace qf
