// A dialog window as the workers see it: every call of the link becomes a message sent to the
// window, handled on the window's thread while the worker waits, as the workers' protocol wants.
#pragma once
#include <windows.h>

#include <atomic>
#include <thread>

#include "model/messages.h"

namespace qf {

// Messages the link sends besides the protocol's own codes (which it sends as they are).
constexpr UINT WM_QF_ADD_ROWS = WM_APP + 0x100;      // wParam: count, lParam: const ObjectRow*
constexpr UINT WM_QF_SHOW_MESSAGE = WM_APP + 0x101;  // wParam: string-table id
constexpr UINT WM_QF_END_DIALOG = WM_APP + 0x102;    // wParam: the dialog's result

class WindowLink final : public DialogLink {
public:
    explicit WindowLink(HWND window) : window_(window) {}
    intptr_t send(DialogMessage code, uintptr_t wParam, intptr_t lParam) override;
    void addObjectRows(const ObjectRow* rows, size_t count) override;
    void showMessage(int textId) override;
    void endDialog(intptr_t result) override;

private:
    HWND window_;
};

// Waits on the window's thread until the worker's body has returned (finished is set by the
// worker's start), handling meanwhile the messages the worker sends, then joins it. A worker
// blocked in a send can thus always finish, and nothing it uses goes away before it has.
void JoinWorkerPumping(std::thread& worker, const std::atomic<bool>& finished);

}  // namespace qf
