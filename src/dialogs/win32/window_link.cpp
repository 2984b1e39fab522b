#include "dialogs/win32/window_link.h"

namespace qf {

intptr_t WindowLink::send(DialogMessage code, uintptr_t wParam, intptr_t lParam) {
    return SendMessageA(window_, static_cast<UINT>(code), static_cast<WPARAM>(wParam), static_cast<LPARAM>(lParam));
}

void WindowLink::addObjectRows(const ObjectRow* rows, size_t count) {
    SendMessageA(window_, WM_QF_ADD_ROWS, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(rows));
}

void WindowLink::showMessage(int textId) { SendMessageA(window_, WM_QF_SHOW_MESSAGE, static_cast<WPARAM>(textId), 0); }

void WindowLink::endDialog(intptr_t result) {
    SendMessageA(window_, WM_QF_END_DIALOG, static_cast<WPARAM>(result), 0);
}

void JoinWorkerPumping(std::thread& worker, const std::atomic<bool>& finished) {
    if (!worker.joinable()) return;
    while (!finished.load()) {
        // Sent messages are handled inside the wait and inside PeekMessage; posted ones stay queued
        // for the dialog's own loop.
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_SENDMESSAGE);
        MSG message;
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    worker.join();
}

}  // namespace qf
