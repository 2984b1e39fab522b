#include "plugin/dialog_run_ui.h"

#include "controls/win32/dialog_frame.h"
#include "controls/win32/message_box.h"
#include "dialogs/win32/options_dialog.h"
#include "dialogs/win32/progress_dialog.h"
#include "dialogs/win32/warnings_dialog.h"
#include "resources/control_ids.h"
#include "run/workers.h"

namespace qf {

namespace {

HWND hostWindowOf(const ObjImporter& importer) { return static_cast<HWND>(importer.hostWindow); }

// The frame's pictures: caption, (unused), ridge cap, corners, size grip and logo tab.
constexpr int kFrameBitmaps[8] = {IDB_CAPTION_LEFT, IDB_CAPTION_LEFT, IDB_RIDGE_CAP, IDB_TOP_RIGHT,
                                  IDB_BOTTOM_LEFT, IDB_BOTTOM_RIGHT, IDB_SIZE_GRIP, IDB_LOGO_TAB};
constexpr int kTabWidth = 102;

}  // namespace

void DialogRunUi::prepareDialogs(ObjImporter&) { SetDialogSkin(module_, kFrameBitmaps, kTabWidth); }

int DialogRunUi::optionsDialog(ObjImporter& importer) {
    return ShowOptionsDialog(module_, hostWindowOf(importer), importer) == 1 ? 1 : 0;
}

int DialogRunUi::progressDialog(ObjImporter& importer) {
    // The map-search question goes over the progress dialog, which is over the host's window.
    owner_ = hostWindowOf(importer);
    mapSearch_.reset();
    return ShowProgressDialog(module_, hostWindowOf(importer), importer, mapSearch()) == 1 ? 1 : 0;
}

void DialogRunUi::warningsDialog(ObjImporter& importer) {
    ShowWarningsDialog(module_, hostWindowOf(importer), importer);
}

void DialogRunUi::messageBox(ObjImporter& importer, const char* text) {
    SkinMessageBox(hostWindowOf(importer), text, 0);
}

MapSearchUi& DialogRunUi::mapSearch() {
    if (!mapSearch_) mapSearch_ = std::make_unique<DialogMapSearch>(module_, owner_);
    return *mapSearch_;
}

void DialogRunUi::waitForWorkers(ObjImporter& importer) {
    while (workerRunning(importer)) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_SENDMESSAGE);
        MSG message;
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

}  // namespace qf
