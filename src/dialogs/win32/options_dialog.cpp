#include "dialogs/win32/options_dialog.h"

#include <commctrl.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <memory>
#include <new>
#include <thread>
#include <vector>

#include "controls/format_thousands.h"
#include "controls/skin_metrics.h"
#include "controls/win32/dialog_frame.h"
#include "controls/win32/list_ctrl.h"
#include "controls/win32/message_box.h"
#include "controls/win32/simple_controls.h"
#include "controls/win32/skin_core.h"
#include "controls/win32/spinner.h"
#include "dialogs/object_selection.h"
#include "dialogs/options_state.h"
#include "dialogs/win32/about_dialog.h"
#include "dialogs/win32/window_link.h"
#include "model/fixed_text.h"
#include "model/string_table.h"
#include "resources/control_ids.h"
#include "run/workers.h"

namespace qf {

namespace {

constexpr UINT_PTR kStartScanTimer = 1041;
constexpr UINT_PTR kFadeTimer = 1042;
constexpr UINT_PTR kFillTimer = 1045;
// Rows go into the list a slice at a time, so that the dialog keeps answering and drawing while
// a file of many groups fills it.
constexpr auto kFillSlice = std::chrono::milliseconds(25);
// The list shows the rows that went in this often; in between, its drawing stays held across
// slices, because each time drawing is let go the list view works out its scroll range and lays
// itself out again, which costs about as much as a slice of rows.
constexpr auto kFillShowEvery = std::chrono::milliseconds(250);
constexpr UINT kCheckedImage = INDEXTOSTATEIMAGEMASK(2);
constexpr UINT kUncheckedImage = INDEXTOSTATEIMAGEMASK(1);

constexpr int kGroupIds[] = {IDC_OBJECTS_GROUP, IDC_GEOMETRY_GROUP, IDC_MATERIAL_GROUP};
constexpr int kStaticIds[] = {IDC_CLUSTER_PREFIX_LABEL, IDC_OBJECT_SCALE_LABEL, IDC_DEFAULT_BUMP_LABEL, IDC_BASE_NAME,
                              IDC_POLYGON_COUNT};
constexpr int kEditIds[] = {IDC_CLUSTER_PREFIX, IDC_MATERIAL_PREFIX, IDC_OBJECT_FILTER};
constexpr int kCheckIds[] = {IDC_REPLACE_SCENE, IDC_IMPORT_AS_CLUSTERS, IDC_FLIP_ZY,        IDC_CENTER_PIVOTS,
                             IDC_TEXTURE_COORDS, IDC_IMPORT_MATERIALS, IDC_USE_MATERIAL_PREFIX, IDC_FORCE_BLACK_AMBIENT};

// Everything one opening of the dialog owns; it outlives the dialog's window and the worker.
struct OptionsDialog {
    OptionsDialog(HINSTANCE m, ObjImporter& i) : module(m), importer(i) {}
    HINSTANCE module;
    ObjImporter& importer;
    HWND window = nullptr;
    // Kept at hand: the worker's messages and the rows of a large file ask for them many times.
    HWND objectList = nullptr;
    HWND innerList = nullptr;
    HWND scanBar = nullptr;
    HWND counter = nullptr;
    std::unique_ptr<WindowLink> link;
    std::thread worker;
    std::atomic<bool> workerFinished{true};
    TickTally tally;
    bool listReady = false;     // the scan is over: ticks are counted and drive Import
    bool scanFinished = false;  // and the bar has faded
    int fadeStepsDone = 0;
    bool bulkChange = false;    // many rows change at once: count once at the end
    // Rows handed over by the worker and not yet in the list; their names are the records'.
    std::vector<ObjectRow> pendingRows;
    size_t nextPendingRow = 0;
    bool fillDrawingHeld = false;
    std::chrono::steady_clock::time_point fillShown;
    bool scanOverPending = false;  // the worker is done; the title and the rest wait for the rows
    NewRowTicks newRows;           // how rows still to come are ticked, after the user's last choice

    HWND item(int id) const { return GetDlgItem(window, id); }
    HWND list() const { return objectList; }
    bool checked(int id) const { return SendMessageA(item(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    void setChecked(int id, bool on) const { SendMessageA(item(id), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0); }
};

OptionsDialog* dialogOf(HWND w) { return reinterpret_cast<OptionsDialog*>(GetWindowLongPtrA(w, DWLP_USER)); }

int rowCount(const OptionsDialog& d) { return int(SendMessageA(d.list(), LVM_GETITEMCOUNT, 0, 0)); }

int32_t rowRecord(const OptionsDialog& d, int row) {
    LVITEMA item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!SendMessageA(d.list(), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return -1;
    return int32_t(item.lParam);
}

bool rowTicked(const OptionsDialog& d, int row) {
    return (UINT(SendMessageA(d.list(), LVM_GETITEMSTATE, WPARAM(row), LVIS_STATEIMAGEMASK)) & LVIS_STATEIMAGEMASK) ==
           kCheckedImage;
}

void setRowTicked(const OptionsDialog& d, int row, bool ticked) {
    LVITEMA state{};
    state.stateMask = LVIS_STATEIMAGEMASK;
    state.state = ticked ? kCheckedImage : kUncheckedImage;
    SendMessageA(d.list(), LVM_SETITEMSTATE, WPARAM(row), reinterpret_cast<LPARAM>(&state));
}

const ObjectInfo* recordOf(const OptionsDialog& d, int32_t record) {
    if (record < 0 || size_t(record) >= d.importer.objects.size()) return nullptr;
    return d.importer.objects[size_t(record)].get();
}

void sendCount(const OptionsDialog& d) {
    SendMessageA(d.window, UINT(DialogMessage::Count), 0, LPARAM(d.tally.polygons()));
}

// The tally from every row as it stands: record and check mark in one question per row, asked of
// the list view itself, as a file of many groups has many rows.
void recountAll(OptionsDialog& d) {
    d.tally.reset(d.importer);
    const int rows = rowCount(d);
    for (int row = 0; row < rows; ++row) {
        LVITEMA item{};
        item.mask = LVIF_PARAM | LVIF_STATE;
        item.stateMask = LVIS_STATEIMAGEMASK;
        item.iItem = row;
        if (!SendMessageA(d.innerList, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) continue;
        d.tally.setTicked(int32_t(item.lParam), (item.state & LVIS_STATEIMAGEMASK) == kCheckedImage);
    }
}

// Ticks rows by a rule, drawing and counting once when all are done.
template <typename Rule>
void tickRows(OptionsDialog& d, Rule tickedAfter) {
    const bool wasReady = d.listReady;
    d.bulkChange = true;
    SendMessageA(d.list(), WM_SETREDRAW, FALSE, 0);
    const int rows = rowCount(d);
    bool changed = false;
    for (int row = 0; row < rows; ++row) {
        const bool was = rowTicked(d, row), now = tickedAfter(row, was);
        if (was == now) continue;
        setRowTicked(d, row, now);
        changed = true;
    }
    SendMessageA(d.list(), WM_SETREDRAW, TRUE, 0);
    d.bulkChange = false;
    if (changed && wasReady) sendCount(d);
}

void applyFilter(OptionsDialog& d) {
    char pattern[kFilterTextLimit + 1] = {};
    GetWindowTextA(d.item(IDC_OBJECT_FILTER), pattern, sizeof pattern);
    d.newRows.filter(pattern);
    tickRows(d, [&](int row, bool) {
        const ObjectInfo* o = recordOf(d, rowRecord(d, row));
        return o && matchesWildcard(pattern, o->name);
    });
}

void applyMaterialRule(const OptionsDialog& d) {
    const MaterialEnables e = materialEnables(d.checked(IDC_IMPORT_MATERIALS), d.checked(IDC_USE_MATERIAL_PREFIX));
    EnableWindow(d.item(IDC_USE_MATERIAL_PREFIX), e.usePrefix);
    EnableWindow(d.item(IDC_MATERIAL_PREFIX), e.prefixEdit);
    EnableWindow(d.item(IDC_DEFAULT_BUMP_LABEL), e.defaultBump);
    EnableWindow(d.item(IDC_DEFAULT_BUMP), e.defaultBump);
    EnableWindow(d.item(IDC_FORCE_BLACK_AMBIENT), e.forceBlackAmbient);
}

void setupSpinner(HWND spinner, double min, double max, int16_t decimals, double defaultValue, double value) {
    const SpinnerSetup setup{min, max, 0.1, decimals, 0, 1};
    SendMessageA(spinner, SPNM_SETUP, 0, reinterpret_cast<LPARAM>(&setup));
    SendMessageA(spinner, SPNM_SETDEFAULT, 0, reinterpret_cast<LPARAM>(&defaultValue));
    SendMessageA(spinner, SPNM_SETVALUE, 0, reinterpret_cast<LPARAM>(&value));
}

void moveDownOnePixel(HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    SetWindowPos(control, nullptr, r.left, r.top + 1, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void initDialog(OptionsDialog& d) {
    HWND w = d.window;
    const ImportOptions& o = d.importer.options;
    CenterOnOwnerMonitor(w, GetWindow(w, GW_OWNER));
    ShapeSkinnedWindow(w, true);
    SendMessageA(d.item(IDC_SCAN_PROGRESS), PRGM_SETCOLOR, 0, LPARAM(kScanBarColour));
    for (int id : kGroupIds) SkinGroupBoxSubclass(d.item(id));
    for (int id : kStaticIds) SkinStaticSubclass(d.item(id));
    for (int id : kEditIds) SkinEditSubclass(d.item(id));
    for (int id : kCheckIds) SkinCheckBoxSubclass(d.item(id));
    const LONG_PTR highlight = LONG_PTR(countHighlightColour(GetSkinColor(kFace)));
    SetWindowLongPtrA(d.item(IDC_BASE_NAME), GWLP_USERDATA, highlight);
    SetWindowLongPtrA(d.item(IDC_POLYGON_COUNT), GWLP_USERDATA, highlight);
    for (int id : {IDC_USE_MATERIAL_PREFIX, IDC_OBJECT_SCALE_LABEL, IDC_DEFAULT_BUMP_LABEL}) moveDownOnePixel(d.item(id));
    ShowWindow(d.item(IDC_NORMALS), SW_HIDE);

    d.setChecked(IDC_REPLACE_SCENE, o.replaceScene);
    d.setChecked(IDC_IMPORT_AS_CLUSTERS, o.importAsClusters);
    d.setChecked(IDC_FLIP_ZY, o.flipZY);
    d.setChecked(IDC_CENTER_PIVOTS, o.centerPivots);
    d.setChecked(IDC_TEXTURE_COORDS, o.textureCoords);
    d.setChecked(IDC_NORMALS, o.importNormals);
    d.setChecked(IDC_IMPORT_MATERIALS, o.importMaterials);
    d.setChecked(IDC_FORCE_BLACK_AMBIENT, o.forceBlackAmbient);
    d.setChecked(IDC_USE_MATERIAL_PREFIX, o.useMaterialPrefix);
    SetWindowTextA(d.item(IDC_MATERIAL_PREFIX), o.materialPrefix);
    SetWindowTextA(d.item(IDC_CLUSTER_PREFIX), "");
    applyMaterialRule(d);

    setupSpinner(d.item(IDC_OBJECT_SCALE), kObjectScaleMin, kObjectScaleMax, 3, 1.0, o.objectScale);
    setupSpinner(d.item(IDC_DEFAULT_BUMP), kDefaultBumpMin, kDefaultBumpMax, 2, 0.0, o.defaultBump);

    HWND list = d.list();
    SetWindowLongPtrA(list, GWL_STYLE, GetWindowLongPtrA(list, GWL_STYLE) | LVS_SORTASCENDING);
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES, LVS_EX_CHECKBOXES);
    ListCtrlInsertColumn(list, 0, loadText(IDS_COLUMN_NAME), LVCFMT_LEFT, 150);
    ListCtrlInsertColumn(list, 1, loadText(IDS_COLUMN_POLYGONS), LVCFMT_LEFT, 69);

    EnableWindow(d.item(IDC_IMPORT), FALSE);
    SetWindowTextA(d.item(IDC_BASE_NAME), d.importer.baseName);
    SetWindowTextA(d.item(IDC_POLYGON_COUNT), "0");
    SetTimer(w, kStartScanTimer, 100, nullptr);
}

void startScan(OptionsDialog& d) {
    d.importer.aborted = false;
    d.scanFinished = false;
    d.link = std::make_unique<WindowLink>(d.window);
    // Without its worker the dialog could never be used: it closes, and the run shows errorText.
    if (!startPrescanWorker(d.importer, *d.link, d.worker, &d.workerFinished)) EndDialog(d.window, 0);
}

void addRow(const OptionsDialog& d, const ObjectRow& source) {
    HWND list = d.list();
    const int row = ListCtrlAddItem(list, source.name, LPARAM(source.record), false);
    if (row < 0) return;
    setRowTicked(d, row, d.newRows.ticks(source.name));
    char polygons[32];
    FormatThousands(uint64_t(source.polygons > 0 ? source.polygons : 0), polygons, sizeof polygons);
    LVITEMA column{};
    column.mask = LVIF_TEXT;
    column.iItem = row;
    column.iSubItem = 1;
    column.pszText = polygons;
    SendMessageA(list, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&column));
}

// The worker's batch is kept, and the worker goes on at once; the rows go in from a timer.
void queueRows(OptionsDialog& d, const ObjectRow* rows, size_t count) {
    if (!rows || count == 0) return;
    const bool idle = d.nextPendingRow == d.pendingRows.size();
    d.pendingRows.insert(d.pendingRows.end(), rows, rows + count);
    if (idle) SetTimer(d.window, kFillTimer, USER_TIMER_MINIMUM, nullptr);
}

void scanDone(OptionsDialog& d);

// One slice of the pending rows; the list is drawn every kFillShowEvery and when all are in.
void fillSlice(OptionsDialog& d) {
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    if (!d.fillDrawingHeld) {
        SendMessageA(d.list(), WM_SETREDRAW, FALSE, 0);
        d.fillDrawingHeld = true;
        d.fillShown = start;
    }
    while (d.nextPendingRow < d.pendingRows.size()) {
        addRow(d, d.pendingRows[d.nextPendingRow++]);
        if (Clock::now() - start >= kFillSlice) break;
    }
    const bool more = d.nextPendingRow < d.pendingRows.size();
    if (!more || Clock::now() - d.fillShown >= kFillShowEvery) {
        SendMessageA(d.list(), WM_SETREDRAW, TRUE, 0);
        d.fillDrawingHeld = false;
    }
    if (more) return;
    KillTimer(d.window, kFillTimer);
    d.pendingRows.clear();
    d.nextPendingRow = 0;
    if (d.scanOverPending) scanDone(d);
}

void showCount(OptionsDialog& d, WPARAM which, LPARAM count) {
    if (which != 0) return;
    char text[32];
    FormatThousands(uint64_t(count > 0 ? count : 0), text, sizeof text);
    char shown[32] = {};
    GetWindowTextA(d.counter, shown, sizeof shown);
    if (std::strcmp(text, shown) != 0) SetWindowTextA(d.counter, text);
    if (d.listReady) EnableWindow(d.item(IDC_IMPORT), count != 0);
}

void scanDone(OptionsDialog& d) {
    if (d.importer.aborted || d.listReady) return;
    if (d.nextPendingRow < d.pendingRows.size()) {
        d.scanOverPending = true;
        return;
    }
    const size_t n = d.importer.objects.size();
    HWND import = d.item(IDC_IMPORT);
    if (n >= 1) {
        EnableWindow(import, TRUE);
        SendMessageA(d.window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(import), TRUE);
        RedrawWindow(import, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    }
    SetWindowTextA(d.item(IDC_OBJECTS_GROUP), objectGroupTitle(n).c_str());
    recountAll(d);
    d.listReady = true;
    // The worker counted every polygon; choices made during the scan may have left rows unticked.
    // (A file whose objects have no polygons lists no row, and stays importable.)
    if (rowCount(d) > 0) sendCount(d);
    d.fadeStepsDone = 0;
    SetTimer(d.window, kFadeTimer, 100, nullptr);
}

void fadeStep(OptionsDialog& d) {
    KillTimer(d.window, kFadeTimer);
    ++d.fadeStepsDone;
    const SkinColor colour = scanFadeColour(kScanBarColour, GetSkinColor(kFace), d.fadeStepsDone);
    SendMessageA(d.scanBar, PRGM_SETCOLOR, 0, LPARAM(colour));
    if (d.fadeStepsDone < kScanFadeSteps) SetTimer(d.window, kFadeTimer, 50, nullptr);
    else d.scanFinished = true;
}

void scanProgress(const OptionsDialog& d, LPARAM bytes) {
    const uint64_t total = d.importer.progressTotal;
    const float fraction = total ? float(double(uint64_t(bytes)) / double(total)) : 0.0f;
    SendMessageA(d.scanBar, PRGM_SETFRACTION, 0, reinterpret_cast<LPARAM>(&fraction));
}

void rowChanged(OptionsDialog& d, const NMLISTVIEW& change) {
    if (!d.listReady || !(change.uChanged & LVIF_STATE) || change.iItem < 0) return;
    const bool counted = d.tally.setTicked(rowRecord(d, change.iItem), rowTicked(d, change.iItem));
    if (counted && !d.bulkChange) sendCount(d);
}

void showHelp(const OptionsDialog& d) {
    HWND help = HelpLookup(d.window, "qfObjIO.chm", 2, 0);
    if (help) SetWindowPos(help, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    else SkinMessageBox(d.window, loadText(IDS_HELP_NOT_FOUND), 0);
}

void cancel(OptionsDialog& d) {
    d.importer.aborted = true;
    KillTimer(d.window, kStartScanTimer);
    KillTimer(d.window, kFadeTimer);
    KillTimer(d.window, kFillTimer);
    EndDialog(d.window, 0);
}

void import(OptionsDialog& d) {
    ImportOptions& o = d.importer.options;
    o.replaceScene = d.checked(IDC_REPLACE_SCENE);
    o.importAsClusters = d.checked(IDC_IMPORT_AS_CLUSTERS);
    o.flipZY = d.checked(IDC_FLIP_ZY);
    o.centerPivots = d.checked(IDC_CENTER_PIVOTS);
    o.textureCoords = d.checked(IDC_TEXTURE_COORDS);
    o.importNormals = d.checked(IDC_NORMALS);
    o.importMaterials = d.checked(IDC_IMPORT_MATERIALS);
    o.forceBlackAmbient = d.checked(IDC_FORCE_BLACK_AMBIENT);
    o.useMaterialPrefix = d.checked(IDC_USE_MATERIAL_PREFIX);
    GetWindowTextA(d.item(IDC_CLUSTER_PREFIX), o.clusterPrefix, sizeof o.clusterPrefix);
    if (o.useMaterialPrefix) GetWindowTextA(d.item(IDC_MATERIAL_PREFIX), o.materialPrefix, sizeof o.materialPrefix);
    else o.materialPrefix[0] = '\0';
    o.objectScale = float(SpinnerValueOf(d.item(IDC_OBJECT_SCALE)));
    o.defaultBump = float(SpinnerValueOf(d.item(IDC_DEFAULT_BUMP)));
    // Each ticked row selects its own record.
    const int rows = rowCount(d);
    for (int row = 0; row < rows; ++row) {
        if (!rowTicked(d, row)) continue;
        const int32_t record = rowRecord(d, row);
        if (record >= 0 && size_t(record) < d.importer.objects.size()) d.importer.objects[size_t(record)]->selected = true;
    }
    EndDialog(d.window, 1);
}

void command(OptionsDialog& d, WORD id, WORD code) {
    const bool clicked = code == BN_CLICKED;
    switch (id) {
    case IDC_SELECT_ALL:
        if (!clicked) break;
        d.newRows.all();
        tickRows(d, [](int, bool) { return true; });
        break;
    case IDC_SELECT_NONE:
        if (!clicked) break;
        d.newRows.none();
        tickRows(d, [](int, bool) { return false; });
        break;
    case IDC_SELECT_INVERT:
        if (!clicked) break;
        d.newRows.invert();
        tickRows(d, [](int, bool was) { return !was; });
        break;
    case IDC_OBJECT_FILTER:
        if (code == EN_CHANGE) applyFilter(d);
        break;
    case IDC_IMPORT_MATERIALS:
    case IDC_USE_MATERIAL_PREFIX:
        if (clicked) applyMaterialRule(d);
        break;
    case IDC_HELP_BUTTON:
        if (clicked) showHelp(d);
        break;
    case IDC_ABOUT:
        if (clicked) ShowAboutBox(d.module, d.window);
        break;
    case IDCANCEL:
        cancel(d);
        break;
    case IDC_IMPORT:
        if (clicked && IsWindowEnabled(d.item(IDC_IMPORT))) import(d);
        break;
    case IDOK:  // Enter presses Import, where Import can be pressed
        if (IsWindowEnabled(d.item(IDC_IMPORT))) import(d);
        break;
    default:
        break;
    }
}

INT_PTR controlColour(WPARAM dc, HWND control) {
    const int id = GetDlgCtrlID(control);
    HDC hdc = reinterpret_cast<HDC>(dc);
    if (id == IDC_BASE_NAME || id == IDC_POLYGON_COUNT) {
        SetTextColor(hdc, countHighlightColour(GetSkinColor(kFace)));
        SetBkColor(hdc, GetSkinColor(kFace));
        return reinterpret_cast<INT_PTR>(GetSkinBrush(kFace));
    }
    if (id == IDC_OBJECTS_GROUP) {
        SetBkColor(hdc, GetSkinColor(kFace));
        return reinterpret_cast<INT_PTR>(GetSkinBrush(kFace));
    }
    // Every other static and every edit.
    return INT_PTR(ColourSkinnedField(dc, control));
}

void removeSkins(const OptionsDialog& d) {
    for (int id : kGroupIds) UnskinGroupBox(d.item(id));
    for (int id : kStaticIds) UnskinStatic(d.item(id));
    for (int id : kEditIds) UnskinEdit(d.item(id));
    for (int id : kCheckIds) UnskinCheckBox(d.item(id));
}

INT_PTR handle(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* d = reinterpret_cast<OptionsDialog*>(lParam);
        SetWindowLongPtrA(w, DWLP_USER, lParam);
        d->window = w;
        d->objectList = GetDlgItem(w, IDC_OBJECT_LIST);
        d->innerList = ListCtrlInnerList(d->objectList);
        d->scanBar = GetDlgItem(w, IDC_SCAN_PROGRESS);
        d->counter = GetDlgItem(w, IDC_POLYGON_COUNT);
        initDialog(*d);
        return TRUE;
    }
    OptionsDialog* d = dialogOf(w);
    if (!d) return FALSE;
    switch (message) {
    case WM_TIMER:
        if (wParam == kStartScanTimer) {
            KillTimer(w, kStartScanTimer);
            startScan(*d);
        } else if (wParam == kFadeTimer) {
            fadeStep(*d);
        } else if (wParam == kFillTimer) {
            fillSlice(*d);
        }
        return TRUE;
    case UINT(DialogMessage::ScanProgress):
        scanProgress(*d, lParam);
        return TRUE;
    case UINT(DialogMessage::Count):
        showCount(*d, wParam, lParam);
        return TRUE;
    case UINT(DialogMessage::ScanDone):
        scanDone(*d);
        return TRUE;
    case WM_QF_ADD_ROWS:
        try {
            queueRows(*d, reinterpret_cast<const ObjectRow*>(lParam), size_t(wParam));
        } catch (const std::bad_alloc&) {
            // Rows the list cannot take are objects the user would neither see nor import: the
            // dialog ends, and the run says why.
            d->importer.setOutOfMemory("list the objects");
            cancel(*d);
        }
        return TRUE;
    case WM_QF_SHOW_MESSAGE:
        SkinMessageBox(w, loadText(int(wParam)), 0);
        return TRUE;
    case WM_QF_END_DIALOG:
        KillTimer(w, kFadeTimer);
        KillTimer(w, kFillTimer);
        EndDialog(w, INT_PTR(wParam));
        return TRUE;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header && header->code == LVN_ITEMCHANGED && header->hwndFrom == d->innerList)
            rowChanged(*d, *reinterpret_cast<const NMLISTVIEW*>(lParam));
        return TRUE;
    }
    case WM_COMMAND:
        command(*d, LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_SETFOCUS:
        // A spinner tells that it took the focus; the dialog manager would move the focus back to
        // the control it remembers. Only a focus on the dialog itself is passed on to it.
        return GetFocus() != w;
    case WM_ERASEBKGND:
        SetWindowLongPtrA(w, DWLP_MSGRESULT, 1);
        return TRUE;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(w, &ps);
        PaintSkinnedFrame(w, dc, false, "", true);
        EndPaint(w, &ps);
        return TRUE;
    }
    case WM_DRAWITEM:
        DrawOwnerDrawButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_LBUTTONDOWN: {
        const POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        DragSkinnedFrame(w, p, true);
        return TRUE;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
        return controlColour(wParam, reinterpret_cast<HWND>(lParam));
    case WM_DESTROY:
        KillTimer(w, kStartScanTimer);
        KillTimer(w, kFadeTimer);
        KillTimer(w, kFillTimer);
        removeSkins(*d);
        return FALSE;
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK OptionsDialogProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    return NoThrow(FALSE, [&] { return handle(w, message, wParam, lParam); });
}

}  // namespace

INT_PTR ShowOptionsDialog(HINSTANCE module, HWND owner, ObjImporter& importer) {
    OptionsDialog dialog(module, importer);
    const INT_PTR result = DialogBoxParamA(module, MAKEINTRESOURCEA(IDD_OPTIONS), owner, OptionsDialogProc,
                                           reinterpret_cast<LPARAM>(&dialog));
    // After Cancel the worker may still be reading: it stops at its next look at aborted, and its
    // last messages find no window. The importer and the file stay until it has returned.
    JoinWorkerPumping(dialog.worker, dialog.workerFinished);
    return result == 1 ? 1 : 0;
}

}  // namespace qf
