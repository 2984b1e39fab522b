#include "dialogs/win32/map_search_dialog.h"

#include "controls/win32/dialog_frame.h"
#include "controls/win32/folder_chooser.h"
#include "controls/win32/simple_controls.h"
#include "controls/win32/skin_core.h"
#include "host/xsi_sdk.h"
#include "model/fixed_text.h"
#include "resources/control_ids.h"

namespace qf {

namespace {

ObjImporter* importerOf(HWND dialog) { return reinterpret_cast<ObjImporter*>(GetWindowLongPtrA(dialog, GWLP_USERDATA)); }

void redrawHost() { XSI::Application().GetDesktop().RedrawUI(); }

INT_PTR handle(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        auto* importer = reinterpret_cast<ObjImporter*>(lParam);
        SetWindowLongPtrA(dialog, GWLP_USERDATA, lParam);
        SetDlgItemTextA(dialog, IDC_MISSING_MAP, importer->missingMapName);
        CenterOnOwnerMonitor(dialog, GetParent(dialog));
        ShapeSkinnedWindow(dialog, true);
        SkinGroupBoxSubclass(GetDlgItem(dialog, IDC_MAP_SEARCH_GROUP));
        SkinStaticSubclass(GetDlgItem(dialog, IDC_NOT_FOUND_LABEL));
        SkinStaticSubclass(GetDlgItem(dialog, IDC_MISSING_MAP));
        SkinCheckBoxSubclass(GetDlgItem(dialog, IDC_DONT_BOTHER));
        return TRUE;
    }
    case WM_DESTROY:
        UnskinGroupBox(GetDlgItem(dialog, IDC_MAP_SEARCH_GROUP));
        UnskinStatic(GetDlgItem(dialog, IDC_NOT_FOUND_LABEL));
        UnskinStatic(GetDlgItem(dialog, IDC_MISSING_MAP));
        UnskinCheckBox(GetDlgItem(dialog, IDC_DONT_BOTHER));
        return FALSE;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(dialog, &ps);
        PaintSkinnedFrame(dialog, dc, false, "", true);
        EndPaint(dialog, &ps);
        return TRUE;
    }
    case WM_DRAWITEM:
        DrawOwnerDrawButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_LBUTTONDOWN:
        DragSkinnedFrame(dialog, {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))}, true);
        return TRUE;
    case WM_COMMAND: {
        ObjImporter* importer = importerOf(dialog);
        if (!importer) return FALSE;
        switch (LOWORD(wParam)) {
        case IDCANCEL:  // "Skip", and Escape
            EndDialog(dialog, 0);
            break;
        case IDC_ADD_SEARCH_PATH:
            if (HIWORD(wParam) == BN_CLICKED && chooseSearchFolder(*importer, dialog)) EndDialog(dialog, 1);
            break;
        case IDC_DONT_BOTHER:
            importer->askForMissingMaps = IsDlgButtonChecked(dialog, IDC_DONT_BOTHER) != BST_CHECKED;
            break;
        default:  // Enter (IDOK) does nothing
            break;
        }
        return TRUE;
    }
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK MapSearchProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return NoThrow(FALSE, [&] { return handle(dialog, message, wParam, lParam); });
}

// The modal dialog over owner that a question asked now would cover: the progress dialog that
// builds the materials. Null when there is none.
HWND modalDialogOver(HWND owner) {
    if (!owner) return nullptr;
    for (HWND candidate : {GetActiveWindow(), GetLastActivePopup(owner)}) {
        if (candidate && candidate != owner && GetWindow(candidate, GW_OWNER) == owner &&
            IsWindowVisible(candidate) && IsWindowEnabled(candidate))
            return candidate;
    }
    return nullptr;
}

}  // namespace

int DialogMapSearch::askForMap(ObjImporter& importer) {
    // A dialog that ends enables its owner again. Owned by the host's window, the question would
    // hand the host its input back while the progress dialog still runs (a second import could
    // start under the first); owned by the progress dialog, it leaves the host disabled.
    HWND covered = modalDialogOver(owner_);
    beneath_ = covered ? covered : GetActiveWindow();
    const INT_PTR result = DialogBoxParamA(module_, MAKEINTRESOURCEA(IDD_MAP_SEARCH), covered ? covered : owner_,
                                           MapSearchProc, reinterpret_cast<LPARAM>(&importer));
    return result == 1 ? 1 : 0;
}

void DialogMapSearch::redrawAfterQuestion() {
    if (beneath_ && IsWindow(beneath_))
        RedrawWindow(beneath_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

bool chooseSearchFolder(ObjImporter& importer, HWND dialog) {
    char folder[kPathSize];
    copyBounded(folder, importer.lastMapFolder[0] ? importer.lastMapFolder : importer.objDirectory);
    const bool chosen = ChooseFolder(dialog, folder, sizeof folder) == 1;
    if (chosen) useChosenSearchFolder(importer, folder);
    redrawHost();
    return chosen;
}

}  // namespace qf
