#include "dialogs/win32/progress_dialog.h"

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "controls/control_logic.h"
#include "controls/win32/dialog_frame.h"
#include "controls/win32/simple_controls.h"
#include "controls/win32/skin_core.h"
#include "dialogs/progress_flow.h"
#include "dialogs/win32/window_link.h"
#include "model/string_table.h"
#include "resources/control_ids.h"
#include "run/import_run.h"
#include "run/workers.h"

namespace qf {

namespace {

constexpr int kSkinnedStatics[] = {IDC_PHASE, IDC_VERTICES_LABEL, IDC_VERTEX_COUNT, IDC_POLYGONS_LABEL,
                                   IDC_POLYGON_COUNTER};
// While the scene is built the dialog's thread handles no queue: what changed is painted at most
// this often.
constexpr DWORD kBuildRepaintMs = 40;

struct ProgressDialog {
    ProgressDialog(ObjImporter& imp, MapSearchUi& mapSearch) : importer(imp), logic(imp, mapSearch) {}
    ObjImporter& importer;
    ProgressDialogLogic logic;
    ProgressFlow flow;
    HWND window = nullptr;
    // The window as the worker and the builders see it.
    std::unique_ptr<WindowLink> link;
    std::thread worker;
    std::atomic<bool> workerFinished{true};
    int barPixels = -1;
    std::string phaseShown, statusShown;
    DWORD lastBuildRepaint = 0;
};

void setTimer(HWND dialog, TimerRequest t) {
    if (t.id) SetTimer(dialog, t.id, t.delayMs, nullptr);
}

void end(ProgressDialog& d, INT_PTR result) {
    d.flow.ending();
    EndDialog(d.window, result);
}

void setText(HWND dialog, int id, std::string& shown, const std::string& text) {
    if (text == shown) return;
    shown = text;
    SetDlgItemTextA(dialog, id, text.c_str());
}

// Writes a counter only when its text changes, so that a count sent again costs no repaint.
void showCounter(HWND dialog, int id, int64_t count) {
    char shown[kCounterTextSize] = {};
    GetDlgItemTextA(dialog, id, shown, sizeof shown);
    char text[kCounterTextSize];
    if (counterTextChanged(count, shown, text)) SetDlgItemTextA(dialog, id, text);
}

// The bar is redrawn only when the filled part changes by a pixel or more.
void showFraction(ProgressDialog& d) {
    HWND bar = GetDlgItem(d.window, IDC_IMPORT_PROGRESS);
    RECT r;
    GetClientRect(bar, &r);
    const float fraction = static_cast<float>(d.logic.fraction);
    const int pixels = filledWidth(r.right - 5, clampFraction(&fraction));
    if (pixels == d.barPixels) return;
    d.barPixels = pixels;
    SendMessageA(bar, PRGM_SETFRACTION, 0, reinterpret_cast<LPARAM>(&fraction));
}

void show(ProgressDialog& d, DialogMessage code) {
    switch (code) {
    case DialogMessage::Phase: setText(d.window, IDC_PHASE, d.phaseShown, d.logic.phase); break;
    case DialogMessage::Progress:
    case DialogMessage::Fraction: showFraction(d); break;
    case DialogMessage::Count:
        showCounter(d.window, IDC_VERTEX_COUNT, d.logic.vertices);
        showCounter(d.window, IDC_POLYGON_COUNTER, d.logic.polygons);
        break;
    case DialogMessage::CurrentObject: setText(d.window, IDC_STATUS, d.statusShown, d.logic.currentObject); break;
    default: break;
    }
    if (d.flow.phase() == ProgressPhase::Building && GetTickCount() - d.lastBuildRepaint >= kBuildRepaintMs) {
        RedrawWindow(d.window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        d.lastBuildRepaint = GetTickCount();
    }
}

// Reading succeeded: the scene is built here, on the dialog's thread, while the worker waits in
// its send; then the bar fades.
void buildScene(ProgressDialog& d) {
    // A cancel that came while the last lines were read, or a dialog already ending, builds nothing.
    if (d.importer.aborted || !d.flow.startBuilding()) {
        d.importer.aborted = true;
        end(d, 0);
        return;
    }
    std::string none;
    setText(d.window, IDC_PHASE, d.phaseShown, none);
    ShowWindow(GetDlgItem(d.window, IDC_CANCEL_IMPORT), SW_HIDE);
    d.lastBuildRepaint = GetTickCount();
    try {
        d.logic.handle(*d.link, DialogMessage::ReadingDone, 0, 0);
    } catch (...) {
        // Out of memory in the middle of the build: the run reports it and nothing more is built.
        if (!d.importer.errorText[0]) d.importer.setError(IDS_ERROR_CREATING_MESHES);
        end(d, 0);
        return;
    }
    setTimer(d.window, d.flow.buildingDone());
}

void startWorker(ProgressDialog& d) {
    if (!d.flow.mayStartWorker()) return;
    d.importer.aborted = false;
    const bool started = startImportWorker(d.importer, *d.link, d.worker, &d.workerFinished);
    setTimer(d.window, d.flow.workerStarted(started));
}

void timer(ProgressDialog& d, UINT_PTR id) {
    if (!IsWindowVisible(d.window)) return;  // it fires again once the dialog shows
    KillTimer(d.window, id);
    switch (id) {
    case kStartWorkerTimer: startWorker(d); break;
    case kFadeTimer: {
        const ProgressFlow::FadeTick tick = d.flow.fadeTick();
        SendMessageA(GetDlgItem(d.window, IDC_IMPORT_PROGRESS), PRGM_SETCOLOR, 0,
                     static_cast<LPARAM>(fadedColour(kImportBarColour, GetSkinColor(0), tick.factor)));
        setTimer(d.window, tick.next);
        break;
    }
    case kEndTimer: end(d, 1); break;
    default: break;
    }
}

void cancel(ProgressDialog& d) {
    if (d.flow.cancelEndsAtOnce()) {
        d.importer.aborted = true;
        EndDialog(d.window, 0);
    } else if (d.flow.phase() == ProgressPhase::Reading) {
        // The readers stop at their next look at the flag, and the worker ends the dialog.
        d.importer.aborted = true;
    }
}

void open(HWND dialog, ProgressDialog& d) {
    d.window = dialog;
    d.link = std::make_unique<WindowLink>(dialog);
    CenterOnOwnerMonitor(dialog, GetWindow(dialog, GW_OWNER));
    ShapeSkinnedWindow(dialog, true);
    for (int id : kSkinnedStatics) SkinStaticSubclass(GetDlgItem(dialog, id));
    SkinGroupBoxSubclass(GetDlgItem(dialog, IDC_IMPORTING_GROUP));
    SendMessageA(GetDlgItem(dialog, IDC_IMPORT_PROGRESS), PRGM_SETCOLOR, 0, static_cast<LPARAM>(kImportBarColour));
    setTimer(dialog, d.flow.opened());
}

void close(HWND dialog, ProgressDialog& d) {
    for (UINT id : {kStartWorkerTimer, kFadeTimer, kEndTimer}) KillTimer(dialog, id);
    // Nothing the worker uses may go before it: stop it, and keep answering it until it has ended.
    if (d.worker.joinable()) {
        if (!d.workerFinished) d.importer.aborted = true;
        JoinWorkerPumping(d.worker, d.workerFinished);
    }
    for (int id : kSkinnedStatics) UnskinStatic(GetDlgItem(dialog, id));
    UnskinGroupBox(GetDlgItem(dialog, IDC_IMPORTING_GROUP));
}

INT_PTR progressMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        open(dialog, *reinterpret_cast<ProgressDialog*>(lParam));
        return TRUE;
    }
    auto* d = reinterpret_cast<ProgressDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (!d) return FALSE;
    if (message >= UINT(DialogMessage::Phase) && message <= UINT(DialogMessage::CurrentObject)) {
        const auto code = static_cast<DialogMessage>(message);
        if (code == DialogMessage::ReadingDone) {
            buildScene(*d);
        } else if (code == DialogMessage::ReadingFailed) {
            d->logic.handle(*d->link, code, wParam, lParam);
            end(*d, 0);
        } else {
            d->logic.handle(*d->link, code, wParam, static_cast<intptr_t>(lParam));
            show(*d, code);
        }
        return TRUE;
    }
    switch (message) {
    case WM_QF_END_DIALOG:
        end(*d, static_cast<INT_PTR>(wParam));
        return TRUE;
    case WM_TIMER:
        timer(*d, wParam);
        return TRUE;
    case WM_COMMAND:
        if (HIWORD(wParam) != BN_CLICKED) return FALSE;
        // Escape is Cancel Import, and does as little as the button once it is hidden.
        if (LOWORD(wParam) == IDC_CANCEL_IMPORT || LOWORD(wParam) == IDCANCEL) cancel(*d);
        // The hidden "done" button ends the dialog only once the scene stands.
        else if (LOWORD(wParam) == IDC_DONE && d->flow.phase() == ProgressPhase::Fading) end(*d, 1);
        return TRUE;
    case WM_DESTROY:
        close(dialog, *d);
        return TRUE;
    case WM_ERASEBKGND: {
        RECT r;
        GetClientRect(dialog, &r);
        FillSolidRect(reinterpret_cast<HDC>(wParam), r, GetSkinColor(0));
        SetWindowLongPtrA(dialog, DWLP_MSGRESULT, 1);
        return TRUE;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(dialog, &ps);
        PaintSkinnedFrame(dialog, dc, false, "", true);
        EndPaint(dialog, &ps);
        return TRUE;
    }
    case WM_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, GetSkinColor(1));
        SetBkColor(dc, GetSkinColor(0));
        return reinterpret_cast<INT_PTR>(GetSkinBrush(0));
    }
    case WM_DRAWITEM:
        DrawOwnerDrawButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_LBUTTONDOWN: {
        const POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        DragSkinnedFrame(dialog, p, true);
        return TRUE;
    }
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK ProgressDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return NoThrow(FALSE, [&] { return progressMessage(dialog, message, wParam, lParam); });
}

}  // namespace

INT_PTR ShowProgressDialog(HINSTANCE module, HWND owner, ObjImporter& importer, MapSearchUi& mapSearch) {
    ProgressDialog d(importer, mapSearch);
    const INT_PTR result =
        DialogBoxParamA(module, MAKEINTRESOURCEA(IDD_PROGRESS), owner, ProgressDialogProc, reinterpret_cast<LPARAM>(&d));
    if (d.worker.joinable()) {  // only when the window never got as far as its end
        importer.aborted = true;
        JoinWorkerPumping(d.worker, d.workerFinished);
    }
    return result == 1 ? 1 : 0;
}

}  // namespace qf
