// How the progress dialog answers its user while the import worker reads a large file, under the
// dialog's real message loop (run under Wine):
//   qfbench_dialogs [FILE.obj] [--probes N] [--no-cancel]
// The file defaults to qfbench's 200 MB grid (written when missing). A second thread asks the
// dialog for repaints while the worker reads and times each, then presses Cancel Import and times
// the dialog's end.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "dialogs/win32/progress_dialog.h"
#include "controls/win32/dialog_frame.h"
#include "controls/win32/skin_core.h"
#include "obj/input_source.h"
#include "obj/prescan.h"
#include "obj_generator.h"
#include "resources/control_ids.h"

namespace {

using namespace qf;

double now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return 1000.0 * double(t.QuadPart) / double(frequency.QuadPart);
}

struct FindDialog {
    DWORD thread;
    HWND found = nullptr;
};

BOOL CALLBACK FindProgressDialog(HWND w, LPARAM lParam) {
    auto* f = reinterpret_cast<FindDialog*>(lParam);
    if (GetDlgItem(w, IDC_CANCEL_IMPORT) && IsWindowVisible(w)) f->found = w;
    return f->found ? FALSE : TRUE;
}

std::string counterText(HWND dialog) {
    char text[64] = {};
    DWORD_PTR ignored;
    SendMessageTimeoutA(GetDlgItem(dialog, IDC_VERTEX_COUNT), WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                        SMTO_NORMAL, 5000, &ignored);
    return text;
}

void summary(const char* what, std::vector<double> ms) {
    if (ms.empty()) return;
    std::sort(ms.begin(), ms.end());
    std::printf("  %-40s median %6.2f ms, max %6.2f ms (%zu probes)\n", what, ms[ms.size() / 2], ms.back(), ms.size());
}

}  // namespace

int main(int argc, char** argv) {
    std::string path = "Z:\\tmp\\qfobjimp-bench\\grid_200mb.obj";
    int probes = 20;
    bool cancel = true;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--probes") && i + 1 < argc) probes = std::max(1, std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--no-cancel")) cancel = false;
        else path = argv[i];
    }
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        path = std::string(temp) + "qfobjimp_grid_200mb.obj";
        if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
            std::printf("writing %s\n", path.c_str());
            bench::writeGridFile(path, 200'000'000);
        }
    }
    HINSTANCE module = GetModuleHandleA(nullptr);
    if (!RegisterSkinControls(module)) return 1;
    const int bitmaps[8] = {106, 106, 105, 101, 108, 102, 104, 103};
    SetDialogSkin(module, bitmaps, 102);

    ObjImporter importer;
    std::unique_ptr<FileSource> file = FileSource::open(path);
    if (!file || !importer.lineBuffer.allocate(kLineBufferSize)) {
        std::fprintf(stderr, "qfbench_dialogs: cannot read %s\n", path.c_str());
        return 1;
    }
    importer.objFile = file.get();
    importer.progressTotal = fileSize(path);
    std::printf("%s (%.1f MB)\n", path.c_str(), double(importer.progressTotal) / 1e6);
    SilentLink silent;
    const double scanStart = now();
    prescanObj(importer, silent);
    std::printf("  pre-scan                                 %8.0f ms\n", now() - scanStart);
    for (auto& object : importer.objects) object->selected = true;

    std::vector<double> repaints, roundTrips;
    std::atomic<double> cancelledAt{0.0};
    std::string readAtCancel;
    int unpainted = 0;
    std::thread probe([&] {
        FindDialog f{GetCurrentThreadId()};
        HWND dialog = nullptr;
        // Wait until the worker reads: the vertex counter has left 0.
        for (int i = 0; i < 60000 && !dialog; ++i) {
            f.found = nullptr;
            EnumWindows(FindProgressDialog, reinterpret_cast<LPARAM>(&f));
            if (f.found && counterText(f.found) != "0" && !counterText(f.found).empty()) dialog = f.found;
            else Sleep(1);
        }
        if (!dialog) return;
        for (int i = 0; i < probes && IsWindow(dialog); ++i) {
            double t = now();
            DWORD_PTR ignored;
            SendMessageTimeoutA(dialog, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored);
            roundTrips.push_back(now() - t);
            t = now();
            // Painted by the dialog's thread before the call returns.
            RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
            repaints.push_back(now() - t);
            if (GetUpdateRect(dialog, nullptr, FALSE)) ++unpainted;
            Sleep(50);
        }
        if (!cancel || !IsWindow(dialog)) return;
        readAtCancel = counterText(dialog);
        HWND button = GetDlgItem(dialog, IDC_CANCEL_IMPORT);
        cancelledAt = now();
        PostMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        PostMessageA(button, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    });
    NoMapSearch noSearch;
    const double start = now();
    const INT_PTR result = ShowProgressDialog(module, nullptr, importer, noSearch);
    const double ended = now();
    probe.join();
    std::printf("  dialog result %d after %.0f ms%s\n", int(result), ended - start,
                cancelledAt > 0 ? " (cancelled)" : "");
    summary("message round trip while reading", roundTrips);
    summary("repaint of the whole dialog while reading", repaints);
    if (unpainted) std::printf("  %d repaints left the dialog unpainted\n", unpainted);
    if (cancelledAt > 0)
        std::printf("  Cancel Import to the dialog's end         %6.1f ms (vertices read by then: %s)\n",
                    ended - cancelledAt, readAtCancel.c_str());
    return 0;
}
