// How the dialogs answer their user while a worker reads a large file, under the dialogs' real
// message loops (run under Wine):
//   qfbench_dialogs [FILE.obj] [--probes N] [--no-cancel]
//   qfbench_dialogs --options [FILE.obj]
// The progress dialog, by default on qfbench's 200 MB grid (written when missing): a second thread
// asks the dialog for repaints while the worker reads and times each, then presses Cancel Import
// and times the dialog's end.
// With --options, the options dialog, by default on qfbench's file of 20,000 groups (written when
// missing): a second thread times the dialog's answers while the worker's rows go into the object
// list and how long the filling takes; then the dialog is opened again and cancelled in the middle
// of the scan, and the time until it has returned with its worker stopped is printed.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "dialogs/win32/options_dialog.h"
#include "dialogs/win32/progress_dialog.h"
#include "controls/win32/dialog_frame.h"
#include "controls/win32/skin_core.h"
#include "obj/input_source.h"
#include "obj/prescan.h"
#include "obj_generator.h"
#include "resources/control_ids.h"
#include "run/run_paths.h"

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

BOOL CALLBACK FindOptionsDialog(HWND w, LPARAM lParam) {
    auto* f = reinterpret_cast<FindDialog*>(lParam);
    if (GetDlgItem(w, IDC_OBJECT_LIST) && IsWindowVisible(w)) f->found = w;
    return f->found ? FALSE : TRUE;
}

HWND waitForOptionsDialog() {
    for (int i = 0; i < 60000; ++i) {
        FindDialog f{GetCurrentThreadId()};
        EnumWindows(FindOptionsDialog, reinterpret_cast<LPARAM>(&f));
        if (f.found) return f.found;
        Sleep(1);
    }
    return nullptr;
}

// Asks the dialog's thread something and waits for the answer.
LRESULT ask(HWND w, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR answer = 0;
    SendMessageTimeoutA(w, message, wParam, lParam, SMTO_NORMAL, 10000, &answer);
    return LRESULT(answer);
}

std::string askText(HWND w) {
    char text[64] = {};
    ask(w, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

struct OptionsRun {
    ObjImporter importer;
    std::unique_ptr<FileSource> file;
    bool open(const std::string& path) {
        setRunPaths(importer, path.c_str());
        importer.progressTotal = fileSize(path);
        file = FileSource::open(path);
        if (!file || !importer.lineBuffer.allocate(kLineBufferSize)) return false;
        importer.objFile = file.get();
        return true;
    }
};

int benchOptionsDialog(HINSTANCE module, const std::string& path) {
    std::printf("options dialog: %s (%.1f MB)\n", path.c_str(), double(fileSize(path)) / 1e6);
    OptionsRun run;
    if (!run.open(path)) {
        std::fprintf(stderr, "qfbench_dialogs: cannot read %s\n", path.c_str());
        return 1;
    }
    std::vector<double> roundTrips, repaints;
    double opened = 0, firstRows = 0, titled = 0;
    int rowsAtTitle = 0;
    std::string title;
    std::thread probe([&] {
        HWND dialog = waitForOptionsDialog();
        if (!dialog) return;
        HWND list = GetDlgItem(dialog, IDC_OBJECT_LIST), group = GetDlgItem(dialog, IDC_OBJECTS_GROUP);
        // Until the rows come, only look now and then; from then on, every answer is timed.
        while (ask(list, LVM_GETITEMCOUNT) == 0 && askText(group) == " Objects " && IsWindow(dialog)) Sleep(5);
        firstRows = now();
        // A question every 20 ms, a repaint of the whole dialog every 250 ms (each takes the
        // dialog's thread away from the rows for as long as it lasts).
        for (int i = 0;; ++i) {
            double t = now();
            const bool done = askText(group) != " Objects ";
            roundTrips.push_back(now() - t);
            if (done || !IsWindow(dialog)) break;
            if (i % 12 == 11) {
                t = now();
                RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
                repaints.push_back(now() - t);
            }
            Sleep(20);
        }
        titled = now();
        title = askText(group);
        rowsAtTitle = int(ask(list, LVM_GETITEMCOUNT));
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    opened = now();
    ShowOptionsDialog(module, nullptr, run.importer);
    probe.join();
    if (titled == 0) {
        std::printf("  the dialog never showed its list\n");
        return 1;
    }
    std::printf("  scan (opening to the first rows)         %8.0f ms\n", firstRows - opened);
    std::printf("  filling the list: %d rows, title \"%s\" %8.0f ms\n", rowsAtTitle, title.c_str(),
                titled - firstRows);
    summary("answer to a message while filling", roundTrips);
    summary("repaint of the whole dialog while filling", repaints);

    // Cancel in the middle of the scan: the dialog returns once its worker has stopped.
    OptionsRun again;
    if (!again.open(path)) return 1;
    double cancelledAt = 0;
    std::string polygonsAtCancel;
    std::thread canceller([&] {
        HWND dialog = waitForOptionsDialog();
        if (!dialog) return;
        HWND counter = GetDlgItem(dialog, IDC_POLYGON_COUNT);
        while (IsWindow(dialog) && askText(counter) == "0") Sleep(1);
        Sleep(200);
        polygonsAtCancel = askText(counter);
        cancelledAt = now();
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    const INT_PTR result = ShowOptionsDialog(module, nullptr, again.importer);
    const double ended = now();
    canceller.join();
    std::printf("  Cancel during the scan to the dialog's return, worker stopped: %.1f ms "
                "(result %d, polygons counted by then: %s, objects found: %zu of the file's)\n",
                ended - cancelledAt, int(result), polygonsAtCancel.c_str(), again.importer.objects.size());
    return 0;
}

std::string benchFile(const std::string& name, bool groups) {
    const std::string shared = "Z:\\tmp\\qfobjimp-bench\\" + name;
    if (GetFileAttributesA(shared.c_str()) != INVALID_FILE_ATTRIBUTES) return shared;
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    const std::string path = std::string(temp) + "qfobjimp_" + name;
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        std::printf("writing %s\n", path.c_str());
        if (groups) bench::writeGroupsFile(path, 100'000'000, 20000);
        else bench::writeGridFile(path, 200'000'000);
    }
    return path;
}

}  // namespace

int main(int argc, char** argv) {
    std::string path;
    int probes = 20;
    bool cancel = true, options = false;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--probes") && i + 1 < argc) probes = std::max(1, std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--no-cancel")) cancel = false;
        else if (!std::strcmp(argv[i], "--options")) options = true;
        else path = argv[i];
    }
    if (path.empty() || GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES)
        path = options ? benchFile("groups_100mb.obj", true) : benchFile("grid_200mb.obj", false);
    HINSTANCE module = GetModuleHandleA(nullptr);
    INITCOMMONCONTROLSEX common = {sizeof common, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&common);
    if (!RegisterSkinControls(module)) return 1;
    const int bitmaps[8] = {106, 106, 105, 101, 108, 102, 104, 103};
    SetDialogSkin(module, bitmaps, 102);
    if (options) return benchOptionsDialog(module, path);

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
