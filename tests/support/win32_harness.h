// What the Wine tests of windows share: a parent window that records what its children tell it,
// and a message pump that lets posted messages and timers run.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace qf::test {

struct Notice {
    UINT message;
    int id;    // WM_COMMAND: control id; WM_VSCROLL: the scroll code
    int code;  // WM_COMMAND: notification code; WM_VSCROLL: the position
    std::string text;  // WM_COMMAND with a text in lParam (renames)
};

// A visible top-level window for controls to live in. WM_COMMAND and WM_VSCROLL are recorded;
// CKBM_BEGINRENAME is answered with allowRename.
class TestParent {
public:
    TestParent(int width = 400, int height = 300);
    ~TestParent();
    HWND window() const { return window_; }
    HWND child(const char* cls, const char* text, DWORD style, int id, int x, int y, int w, int h) const;
    std::vector<Notice> notices;
    bool allowRename = true;
    std::vector<Notice> commands() const;  // the WM_COMMAND notices
    std::vector<Notice> scrolls() const;   // the WM_VSCROLL notices

private:
    HWND window_;
};

// Handles every queued message, timers included, for at least the given time.
void pump(DWORD milliseconds = 0);
// Handles messages until done() or the time is up; true when done.
template <typename Done>
bool pumpUntil(Done done, DWORD milliseconds) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > milliseconds) return false;
        pump();
        Sleep(1);
    }
    return true;
}

// Keys as GetKeyState sees them on this thread: Ctrl and Alt held or not.
inline void holdModifiers(bool ctrl, bool alt) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_CONTROL] = ctrl ? 0x80 : 0;
    keys[VK_MENU] = alt ? 0x80 : 0;
    SetKeyboardState(keys);
}

}  // namespace qf::test
