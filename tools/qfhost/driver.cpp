#include "qfhost/driver.h"

#include <cstdio>
#include <thread>

namespace qfhost::driver {

bool waitUntil(const std::function<bool()>& condition, int timeoutMs) {
    const ULONGLONG end = GetTickCount64() + ULONGLONG(timeoutMs);
    for (;;) {
        if (condition()) return true;
        if (GetTickCount64() >= end) return false;
        Sleep(20);
    }
}

namespace {

BOOL CALLBACK collect(HWND window, LPARAM out) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId() && IsWindowVisible(window))
        reinterpret_cast<std::vector<HWND>*>(out)->push_back(window);
    return TRUE;
}

}  // namespace

std::vector<HWND> topWindows() {
    std::vector<HWND> windows;
    EnumWindows(collect, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

HWND waitForDialog(int childId, int timeoutMs, HWND skip) {
    HWND found = nullptr;
    waitUntil(
        [&] {
            for (HWND w : topWindows())
                if (w != skip && GetDlgItem(w, childId)) {
                    found = w;
                    return true;
                }
            return false;
        },
        timeoutMs);
    return found;
}

bool waitGone(HWND window, int timeoutMs) {
    return waitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); }, timeoutMs);
}

std::string windowText(HWND window) {
    char text[2048] = {};
    SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

std::string className(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

void press(HWND button) {
    if (!button) return;
    if (lstrcmpiA(className(button).c_str(), "Button") == 0) {
        PostMessageA(button, BM_CLICK, 0, 0);
        return;
    }
    PostMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
    PostMessageA(button, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
}

void pressItem(HWND dialog, int id) { press(GetDlgItem(dialog, id)); }

void onHostThread(HWND hostWindow, const std::function<void()>& call) {
    SendMessageA(hostWindow, kRunOnHostThread, 0, reinterpret_cast<LPARAM>(&call));
}

bool savePicture(HWND window, const std::string& path) {
    // Let the window finish painting first.
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Sleep(250);
    RECT r;
    if (!GetWindowRect(window, &r)) return false;
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return false;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = h;  // bottom-up, as a BMP file keeps its rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool saved = false;
    if (bitmap) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
        // A shaped window: what shows beside its shape belongs to other windows, so it is
        // painted over in a plain colour.
        HRGN shape = CreateRectRgn(0, 0, 0, 0);
        if (GetWindowRgn(window, shape) != ERROR) {
            HRGN outside = CreateRectRgn(0, 0, w, h);
            CombineRgn(outside, outside, shape, RGN_DIFF);
            HBRUSH plain = CreateSolidBrush(RGB(255, 255, 255));
            FillRgn(memory, outside, plain);
            DeleteObject(plain);
            DeleteObject(outside);
        }
        DeleteObject(shape);
        GdiFlush();
        SelectObject(memory, old);
        const DWORD stride = DWORD((w * 3 + 3) & ~3);
        const DWORD imageSize = stride * DWORD(h);
        BITMAPFILEHEADER file = {};
        file.bfType = 0x4d42;  // "BM"
        file.bfOffBits = sizeof file + sizeof info.bmiHeader;
        file.bfSize = file.bfOffBits + imageSize;
        info.bmiHeader.biSizeImage = imageSize;
        if (FILE* out = std::fopen(path.c_str(), "wb")) {
            saved = std::fwrite(&file, sizeof file, 1, out) == 1 &&
                    std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out) == 1 &&
                    std::fwrite(bits, 1, imageSize, out) == imageSize;
            saved = std::fclose(out) == 0 && saved;
        }
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return saved;
}

}  // namespace qfhost::driver
