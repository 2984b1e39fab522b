// Waiting in a Win32 test the way a modal loop waits: messages are handled meanwhile.
#pragma once
#include <windows.h>

#include <functional>

namespace qf::test {

// Handles the thread's messages until done() or the time is up; true when done.
inline bool pumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs) return false;
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    return true;
}

inline void pumpFor(DWORD ms) {
    pumpUntil([] { return false; }, ms);
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
