// The options dialog over an OBJ file, to look at under Wine and to time the filling of its list:
//   options_demo FILE.obj [--read-for MILLISECONDS] [--close-after MILLISECONDS] [--times]
//   options_demo --about [--close-after MILLISECONDS]
// --read-for spreads the reading of the file over about that time, so that the dialog can be seen
// while it counts; --times prints when the first rows came and when the scan was over. --about
// shows the about box instead.
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

LARGE_INTEGER g_frequency, g_opened, g_firstRows, g_scanDone;
size_t g_rowsAdded = 0;

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

// Sees the worker's messages before the dialog handles them: a subclass costs nothing per
// message, where a hook would cost a call into the Wine server for each.
WNDPROC g_dialogProc = nullptr;
LRESULT CALLBACK WatchDialog(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_QF_ADD_ROWS) {
        if (!g_rowsAdded) QueryPerformanceCounter(&g_firstRows);
        g_rowsAdded += size_t(wParam);
    } else if (message == UINT(DialogMessage::ScanDone) && !g_scanDone.QuadPart) {
        QueryPerformanceCounter(&g_scanDone);
    }
    return CallWindowProcA(g_dialogProc, w, message, wParam, lParam);
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

    if (times) SetTimer(nullptr, 0, 10, WatchWhenOpen);
    if (closeAfter > 0) g_closeTimer = SetTimer(nullptr, 0, UINT(closeAfter), CloseDialog);
    QueryPerformanceFrequency(&g_frequency);
    QueryPerformanceCounter(&g_opened);
    const INT_PTR result = ShowOptionsDialog(module, nullptr, importer);
    if (times && g_scanDone.QuadPart) {
        std::printf("objects: %zu, rows: %zu\n", importer.objects.size(), g_rowsAdded);
        std::printf("from opening to the end of the scan: %.3f s\n", secondsSince(g_opened, g_scanDone));
        if (g_rowsAdded)
            std::printf("filling the list (first rows to the end of the scan): %.3f s\n",
                        secondsSince(g_firstRows, g_scanDone));
    }
    std::printf("result: %d, selected objects: %d\n", int(result), importer.countSelectedObjects());
    return 0;
}
