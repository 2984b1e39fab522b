// The skinned popup menu: a self-drawn list of commands that reports the clicked item to its owner
// with WM_COMMAND and closes itself on any click outside, on Escape or Enter, or when it loses
// activation.
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qf {

// One item of a menu; the menu deletes its items through the virtual destructor.
class qfMenuData {
public:
    qfMenuData(uint32_t itemId, const char* itemText);
    virtual ~qfMenuData() = default;
    uint32_t id;
    char text[64];  // longer texts are cut
    RECT rect;      // in the menu's client area, set by its layout
};

struct MenuDescription {
    POINT position{0, 0};  // top-left on the screen; filled by OpenPopupMenu for modes 1 and 2
    HFONT font = nullptr;  // null: the standard control font
    int mode = 0;          // 1 at the cursor, 2 below the owner, otherwise at position
    std::string title;
    bool layered = false;
    int alpha = 100;  // percent
    // In order; null entries are separators. The menu takes them over.
    std::vector<std::unique_ptr<qfMenuData>> entries;
    HWND owner = nullptr;  // set by OpenPopupMenu
};

// Opens the menu over owner and returns at once; the menu lives until it closes itself.
HWND OpenPopupMenu(HWND owner, MenuDescription& description);

LRESULT CALLBACK MenuProc(HWND, UINT, WPARAM, LPARAM);

}  // namespace qf
