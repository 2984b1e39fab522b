// The options dialog over an OBJ file, to look at under Wine and to time the filling of its list:
//   options_demo FILE.obj [--read-for MILLISECONDS] [--close-after MILLISECONDS] [--times]
//   options_demo --about [--close-after MILLISECONDS]
// --read-for spreads the reading of the file over about that time, so that the dialog can be seen
// while it counts; --times prints how long the scan and the filling of the list took, and how long
// the dialog kept a 20 ms timer waiting meanwhile at the most. --about shows the about box instead.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "controls/win32/dialog_frame.h"
#include "controls/win32/skin_core.h"
#include "dialogs/win32/about_dialog.h"
#include "dialogs/win32/options_dialog.h"
#include "dialogs/win32/window_link.h"
#include "model/messages.h"
#include "obj/input_source.h"
#include "run/run_paths.h"

namespace {

using namespace qf;

// A file read a little at a time, so that its scan lasts.
class SlowSource final : public InputSource {
public:
    SlowSource(InputSource& file, size_t chunk) : file_(file), chunk_(chunk) {}
    size_t read(char* dst, size_t n) override {
        Sleep(20);
        return file_.read(dst, std::min(n, chunk_));
    }
    bool rewind() override { return file_.rewind(); }

private:
    InputSource& file_;
    size_t chunk_;
};

LARGE_INTEGER g_frequency, g_opened, g_firstRows, g_listDone;
size_t g_rowsAdded = 0;
DWORD g_lastBeat = 0, g_longestWait = 0;

double secondsSince(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    return double(to.QuadPart - from.QuadPart) / double(g_frequency.QuadPart);
}

HWND findDialog() {
    HWND found = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM out) -> BOOL {
            if (!GetDlgItem(w, 1107)) return TRUE;
            *reinterpret_cast<HWND*>(out) = w;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

bool titled(HWND dialog) {
    char title[64] = {};
    GetWindowTextA(GetDlgItem(dialog, 1127), title, sizeof title);
    return std::strcmp(title, " Objects ") != 0;
}

// Sees the dialog's messages: the worker's rows, and the timer ticks after which the list may be
// complete (its group then has its title). A subclass costs nothing per message, where a hook
// would cost a call into the Wine server for each.
WNDPROC g_dialogProc = nullptr;
LRESULT CALLBACK WatchDialog(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_QF_ADD_ROWS) {
        if (!g_rowsAdded) QueryPerformanceCounter(&g_firstRows);
        g_rowsAdded += size_t(wParam);
    }
    const LRESULT result = CallWindowProcA(g_dialogProc, w, message, wParam, lParam);
    if (!g_listDone.QuadPart && (message == WM_TIMER || message == UINT(DialogMessage::ScanDone)) && titled(w))
        QueryPerformanceCounter(&g_listDone);
    return result;
}

// A timer that the dialog can run only between its own work: how long it waits is how long the
// dialog would leave a click or a repaint waiting.
void CALLBACK Heartbeat(HWND, UINT, UINT_PTR, DWORD) {
    const DWORD now = GetTickCount();
    if (g_rowsAdded && g_lastBeat && now - g_lastBeat > g_longestWait) g_longestWait = now - g_lastBeat;
    g_lastBeat = g_listDone.QuadPart ? 0 : now;
}

void CALLBACK WatchWhenOpen(HWND, UINT, UINT_PTR id, DWORD) {
    HWND dialog = findDialog();
    if (!dialog) return;
    KillTimer(nullptr, id);
    g_dialogProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(dialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WatchDialog)));
}

UINT_PTR g_closeTimer = 0;
void CALLBACK CloseDialog(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    if (HWND dialog = findDialog()) PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    else if (HWND box = GetActiveWindow()) PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: options_demo FILE.obj [--read-for MS] [--close-after MS] [--times]\n"
                             "       options_demo --about [--close-after MS]\n");
        return 2;
    }
    int readFor = 0, closeAfter = 0;
    bool times = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--read-for") == 0 && i + 1 < argc) readFor = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--close-after") == 0 && i + 1 < argc) closeAfter = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--times") == 0) times = true;
    }
    HINSTANCE module = GetModuleHandleA(nullptr);
    if (!RegisterSkinControls(module)) return 1;
    const int bitmaps[8] = {106, 106, 105, 101, 108, 102, 104, 103};
    SetDialogSkin(module, bitmaps, 102);
    if (std::strcmp(argv[1], "--about") == 0) {
        if (closeAfter > 0) SetTimer(nullptr, 0, UINT(closeAfter), CloseDialog);
        ShowAboutBox(module, nullptr);
        return 0;
    }

    ObjImporter importer;
    setRunPaths(importer, argv[1]);
    importer.progressTotal = fileSize(argv[1]);
    std::unique_ptr<FileSource> file = FileSource::open(argv[1]);
    if (!file || !importer.lineBuffer.allocate(kLineBufferSize)) {
        std::fprintf(stderr, "options_demo: cannot read %s\n", argv[1]);
        return 1;
    }
    const size_t chunk = readFor > 0 ? std::max<size_t>(64, size_t(importer.progressTotal * 20 / uint64_t(readFor))) : 0;
    SlowSource slow(*file, chunk);
    importer.objFile = readFor > 0 ? static_cast<InputSource*>(&slow) : file.get();

    if (times) {
        SetTimer(nullptr, 0, 10, WatchWhenOpen);
        SetTimer(nullptr, 0, 20, Heartbeat);
    }
    if (closeAfter > 0) g_closeTimer = SetTimer(nullptr, 0, UINT(closeAfter), CloseDialog);
    QueryPerformanceFrequency(&g_frequency);
    QueryPerformanceCounter(&g_opened);
    const INT_PTR result = ShowOptionsDialog(module, nullptr, importer);
    if (times && g_listDone.QuadPart) {
        std::printf("objects: %zu, rows: %zu\n", importer.objects.size(), g_rowsAdded);
        std::printf("from opening to the titled list: %.3f s\n", secondsSince(g_opened, g_listDone));
        if (g_rowsAdded) {
            std::printf("filling the list (first rows to the title): %.3f s\n", secondsSince(g_firstRows, g_listDone));
            std::printf("longest wait of a 20 ms timer meanwhile: %lu ms\n", g_longestWait);
        }
    }
    std::printf("result: %d, selected objects: %d\n", int(result), importer.countSelectedObjects());
    return 0;
}
