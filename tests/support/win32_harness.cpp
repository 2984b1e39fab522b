#include "support/win32_harness.h"

#include "controls/win32/simple_controls.h"
#include "controls/win32/skin_core.h"

namespace qf::test {

namespace {

LRESULT CALLBACK ParentProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<TestParent*>(GetWindowLongPtrA(w, GWLP_USERDATA));
    if (!self) return DefWindowProcA(w, message, wParam, lParam);
    switch (message) {
    case WM_COMMAND: {
        Notice n{message, LOWORD(wParam), HIWORD(wParam), {}};
        if (HIWORD(wParam) == CKBN_RENAMED && lParam) n.text = reinterpret_cast<const char*>(lParam);
        self->notices.push_back(n);
        return 0;
    }
    case WM_VSCROLL:
        self->notices.push_back({message, LOWORD(wParam), HIWORD(wParam), {}});
        return 0;
    case CKBM_BEGINRENAME:
        return self->allowRename ? 1 : 0;
    default:
        return DefWindowProcA(w, message, wParam, lParam);
    }
}

}  // namespace

TestParent::TestParent(int width, int height) {
    RegisterSkinControls(GetModuleHandleA(nullptr));
    WNDCLASSA wc = {};
    wc.lpfnWndProc = ParentProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.lpszClassName = "qfTestHarnessParent";
    RegisterClassA(&wc);
    window_ = CreateWindowA("qfTestHarnessParent", "", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 100, 100, width, height,
                            nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetForegroundWindow(window_);
    pump();
}

TestParent::~TestParent() {
    SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
    pump();
}

HWND TestParent::child(const char* cls, const char* text, DWORD style, int id, int x, int y, int w, int h) const {
    return CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, window_,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
}

std::vector<Notice> TestParent::commands() const {
    std::vector<Notice> out;
    for (const Notice& n : notices)
        if (n.message == WM_COMMAND) out.push_back(n);
    return out;
}

std::vector<Notice> TestParent::scrolls() const {
    std::vector<Notice> out;
    for (const Notice& n : notices)
        if (n.message == WM_VSCROLL) out.push_back(n);
    return out;
}

void pump(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (milliseconds) Sleep(1);
    } while (GetTickCount() - start < milliseconds);
}

}  // namespace qf::test
