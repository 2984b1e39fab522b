// The options dialog opened on OBJ files the tests write and driven through its messages as the
// mouse and keyboard would drive it (run under Wine).
#include "dialogs/win32/options_dialog.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "controls/skin_metrics.h"
#include "controls/win32/dialog_frame.h"
#include "controls/win32/list_ctrl.h"
#include "controls/win32/skin_core.h"
#include "controls/win32/spinner.h"
#include "dialogs/options_state.h"
#include "dialogs/win32/window_link.h"
#include "obj/input_source.h"
#include "resources/control_ids.h"
#include "run/run_paths.h"
#include "support/test_support.h"
#include "support/win32_harness.h"

namespace qf {
namespace {

using test::holdModifiers;
using test::pumpUntil;

// An importer over a file the test writes, set up as the run sets it up.
struct ObjFile {
    test::TempDir dir;
    std::unique_ptr<FileSource> file;
    ObjImporter importer;
    explicit ObjFile(const std::string& content) {
        const std::string path = dir.write("model.obj", content);
        setRunPaths(importer, path.c_str());
        importer.progressTotal = fileSize(path);
        file = FileSource::open(path);
        importer.objFile = file.get();
        importer.lineBuffer.allocate(kLineBufferSize);
    }
    ~ObjFile() { importer.objFile = nullptr; }
};

HWND findWindow(const std::function<bool(HWND)>& wanted) {
    struct Search {
        const std::function<bool(HWND)>* wanted;
        HWND found;
    } search{&wanted, nullptr};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM p) -> BOOL {
            auto* s = reinterpret_cast<Search*>(p);
            if (!IsWindowVisible(w) || !(*s->wanted)(w)) return TRUE;
            s->found = w;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND findOptionsDialog() {
    return findWindow([](HWND w) { return GetDlgItem(w, IDC_OBJECT_LIST) != nullptr; });
}

// A box the dialog opened over itself (message box, about box).
HWND findBoxOwnedBy(HWND owner) {
    return findWindow([owner](HWND w) { return GetWindow(w, GW_OWNER) == owner; });
}

// A box the dialog opens is modal: it runs its own message loop, inside which only timers reach
// the test. The action runs from such a timer once a box owned by owner shows.
HWND g_boxOwner = nullptr;
std::function<void(HWND)> g_boxAction;
bool g_boxSeen = false;

void whenBoxOpens(HWND owner, std::function<void(HWND)> action) {
    g_boxOwner = owner;
    g_boxAction = std::move(action);
    g_boxSeen = false;
    SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR id, DWORD) {
        HWND box = findBoxOwnedBy(g_boxOwner);
        if (!box) return;
        KillTimer(nullptr, id);
        g_boxSeen = true;
        g_boxAction(box);
    });
}

std::function<void(HWND)> g_script;

void CALLBACK RunScript(HWND, UINT, UINT_PTR id, DWORD) {
    HWND dialog = findOptionsDialog();
    if (!dialog) return;  // not open yet: the timer comes again
    KillTimer(nullptr, id);
    g_script(dialog);
    // A script that stopped early leaves the dialog open: close it.
    if (IsWindow(dialog) && IsWindowVisible(dialog)) SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
}

// Opens the dialog on the importer and runs the script inside it; the dialog's result.
INT_PTR runDialog(ObjImporter& importer, std::function<void(HWND)> script) {
    g_script = std::move(script);
    SetTimer(nullptr, 0, 20, RunScript);
    return ShowOptionsDialog(GetModuleHandleA(nullptr), nullptr, importer);
}

std::string textOf(HWND w) {
    char text[512] = {};
    GetWindowTextA(w, text, sizeof text);
    return text;
}

std::string itemText(HWND dialog, int id) { return textOf(GetDlgItem(dialog, id)); }

bool scanOver(HWND dialog) { return itemText(dialog, IDC_OBJECTS_GROUP) != " Objects "; }

HWND listOf(HWND dialog) { return GetDlgItem(dialog, IDC_OBJECT_LIST); }

int rowCount(HWND dialog) { return int(SendMessageA(listOf(dialog), LVM_GETITEMCOUNT, 0, 0)); }

std::string cell(HWND dialog, int row, int column) {
    char text[300] = {};
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(listOf(dialog), LVM_GETITEMTEXTA, WPARAM(row), reinterpret_cast<LPARAM>(&item));
    return text;
}

bool ticked(HWND dialog, int row) {
    return SendMessageA(listOf(dialog), LVM_GETITEMSTATE, WPARAM(row), LVIS_STATEIMAGEMASK) ==
           LPARAM(INDEXTOSTATEIMAGEMASK(2));
}

std::string tickedRows(HWND dialog) {
    std::string names;
    for (int row = 0; row < rowCount(dialog); ++row)
        if (ticked(dialog, row)) names += (names.empty() ? "" : ",") + cell(dialog, row, 0).substr(0, 8);
    return names;
}

// A click on a row's check box, where the list view takes it.
void clickCheckBox(HWND dialog, int row) {
    HWND list = ListCtrlInnerList(listOf(dialog));
    RECT bounds{};
    bounds.left = LVIR_BOUNDS;
    SendMessageA(list, LVM_GETITEMRECT, WPARAM(row), reinterpret_cast<LPARAM>(&bounds));
    const LPARAM at = MAKELPARAM(bounds.left + 8, (bounds.top + bounds.bottom) / 2);
    SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(list, WM_LBUTTONUP, 0, at);
}

void press(HWND dialog, int id) { SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

// A click on a skinned check box.
void toggle(HWND dialog, int id) {
    HWND box = GetDlgItem(dialog, id);
    SendMessageA(box, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
    SendMessageA(box, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
}

bool isChecked(HWND dialog, int id) { return SendMessageA(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

void type(HWND edit, const std::string& text) {
    SendMessageA(edit, EM_SETSEL, 0, -1);
    SendMessageA(edit, WM_CHAR, VK_BACK, 0);
    for (char c : text) SendMessageA(edit, WM_CHAR, WPARAM(static_cast<unsigned char>(c)), 0);
}

HWND spinnerEdit(HWND dialog, int id) { return FindWindowExA(GetDlgItem(dialog, id), nullptr, "Edit", nullptr); }

// The upper of a spinner's two arrows.
HWND upArrow(HWND dialog, int id) {
    HWND up = nullptr;
    RECT upRect{};
    for (HWND c = FindWindowExA(GetDlgItem(dialog, id), nullptr, "qfSpinButton", nullptr); c;
         c = FindWindowExA(GetDlgItem(dialog, id), c, "qfSpinButton", nullptr)) {
        RECT r;
        GetWindowRect(c, &r);
        if (!up || r.top < upRect.top) up = c, upRect = r;
    }
    return up;
}

// Whether some pixel of a control, drawn afresh, shows the colour.
bool showsColour(HWND control, COLORREF colour) {
    RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    RECT r;
    GetClientRect(control, &r);
    HDC dc = GetDC(control);
    bool found = false;
    for (int y = 0; y < r.bottom && !found; ++y)
        for (int x = 0; x < r.right && !found; ++x) found = GetPixel(dc, x, y) == colour;
    ReleaseDC(control, dc);
    return found;
}

std::string faces(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += "f 1 2 3\n";
    return text;
}

// Groups part0, part1, ... of as many triangles each: a file whose scan takes a while.
std::string partsFile(int groups, int facesEach) {
    std::string text = "v 0 0 0\nv 1 0 0\nv 0 1 0\n";
    const std::string group = faces(facesEach);
    for (int g = 0; g < groups; ++g) text += "g part" + std::to_string(g) + "\n" + group;
    return text;
}

const std::string kLongName(150, 'L');

// Six objects: two whose names differ only in case, one whose name is longer than an edit holds,
// one without polygons.
std::string sixObjects() {
    return "v 0 0 0\nv 1 0 0\nv 0 1 0\n"
           "g cube\n" + faces(2) + "g Ball\n" + faces(3) + "g box\n" + faces(12) + "g Box\n" + faces(5) +
           "g " + kLongName + "\n" + faces(1) + "g empty\n";
}

struct OptionsDialogTest : ::testing::Test {
    void SetUp() override {
        INITCOMMONCONTROLSEX common = {sizeof common, ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES};
        InitCommonControlsEx(&common);
        ASSERT_EQ(RegisterSkinControls(GetModuleHandleA(nullptr)), 1);
        const int bitmaps[8] = {106, 106, 105, 101, 108, 102, 104, 103};
        SetDialogSkin(GetModuleHandleA(nullptr), bitmaps, 102);
        holdModifiers(false, false);
    }
};

TEST_F(OptionsDialogTest, ScanFillsTheListAndImportTakesExactlyTheTickedRecords) {
    ObjFile obj(sixObjects());
    const INT_PTR result = runDialog(obj.importer, [&](HWND d) {
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, IDC_IMPORT)));
        EXPECT_EQ(itemText(d, IDC_BASE_NAME), "model");
        ASSERT_TRUE(pumpUntil([&] { return scanOver(d); }, 10000));
        EXPECT_EQ(itemText(d, IDC_OBJECTS_GROUP), "6 Objects");
        ASSERT_EQ(rowCount(d), 5);  // the object without polygons has no row
        EXPECT_EQ(cell(d, 0, 0), "Ball");
        EXPECT_EQ(cell(d, 1, 0), "box");
        EXPECT_EQ(cell(d, 2, 0), "Box");
        EXPECT_EQ(cell(d, 3, 0), "cube");
        EXPECT_EQ(cell(d, 4, 0), kLongName);
        EXPECT_EQ(cell(d, 1, 1), "12");
        EXPECT_EQ(tickedRows(d), "Ball,box,Box,cube,LLLLLLLL");
        EXPECT_EQ(itemText(d, IDC_POLYGON_COUNT), "23");
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(d, IDC_IMPORT)));
        EXPECT_EQ(GetFocus(), GetDlgItem(d, IDC_IMPORT));

        // The filter ticks what matches and clears the rest.
        HWND filter = GetDlgItem(d, IDC_OBJECT_FILTER);
        type(filter, "b*");
        EXPECT_EQ(tickedRows(d), "Ball,box,Box");
        EXPECT_EQ(itemText(d, IDC_POLYGON_COUNT), "20");
        type(filter, "?ube");
        EXPECT_EQ(tickedRows(d), "cube");
        EXPECT_EQ(itemText(d, IDC_POLYGON_COUNT), "2");
        type(filter, "");
        EXPECT_EQ(itemText(d, IDC_POLYGON_COUNT), "23");
        press(d, IDC_SELECT_NONE);
        EXPECT_EQ(tickedRows(d), "");
        EXPECT_EQ(itemText(d, IDC_POLYGON_COUNT), "0");
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, IDC_IMPORT)));
        press(d, IDC_SELECT_INVERT);
        EXPECT_EQ(itemText(d, IDC_POLYGON_COUNT), "23");
        press(d, IDC_SELECT_NONE);
        // Rows ticked one by one count their own records: "box" (12), then the long name (1).
        clickCheckBox(d, 1);
        EXPECT_EQ(tickedRows(d), "box");
        EXPECT_EQ(itemText(d, IDC_POLYGON_COUNT), "12");
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(d, IDC_IMPORT)));
        clickCheckBox(d, 4);
        EXPECT_EQ(itemText(d, IDC_POLYGON_COUNT), "13");

        // The spinners: keys, wheel, Ctrl and Alt.
        HWND scale = spinnerEdit(d, IDC_OBJECT_SCALE);
        EXPECT_EQ(textOf(scale), "1.0");
        SendMessageA(scale, WM_KEYDOWN, VK_UP, 0);
        SendMessageA(GetDlgItem(d, IDC_OBJECT_SCALE), WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
        holdModifiers(true, false);
        SendMessageA(scale, WM_KEYDOWN, VK_UP, 0);
        holdModifiers(false, true);
        SendMessageA(scale, WM_SYSKEYDOWN, VK_DOWN, 0);
        holdModifiers(false, false);
        EXPECT_EQ(textOf(scale), "2.19");
        SetFocus(GetDlgItem(d, IDC_OBJECT_SCALE));  // a spinner hands the focus to its field
        EXPECT_EQ(GetFocus(), scale);
        HWND bump = spinnerEdit(d, IDC_DEFAULT_BUMP);
        EXPECT_EQ(textOf(bump), "0.2");
        SendMessageA(bump, WM_KEYDOWN, VK_DOWN, 0);
        EXPECT_EQ(textOf(bump), "0.1");
        // Holding the up arrow: a step at once and more after the pause; a right click during the
        // press takes them all back, one on the idle arrow resets to the default.
        HWND up = upArrow(d, IDC_DEFAULT_BUMP);
        SendMessageA(up, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 4));
        EXPECT_EQ(textOf(bump), "0.2");
        EXPECT_TRUE(pumpUntil([&] { return textOf(bump) == "0.4"; }, 3000)) << textOf(bump);
        SendMessageA(up, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 4));
        SendMessageA(up, WM_RBUTTONUP, 0, MAKELPARAM(5, 4));
        EXPECT_EQ(textOf(bump), "0.1");
        SendMessageA(up, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 4));
        SendMessageA(up, WM_RBUTTONUP, 0, MAKELPARAM(5, 4));
        EXPECT_EQ(textOf(bump), "0.0");
        SendMessageA(bump, WM_KEYDOWN, VK_UP, 0);
        EXPECT_EQ(textOf(bump), "0.1");

        // Import materials rules the material group; the prefix edit follows its own check box.
        toggle(d, IDC_IMPORT_MATERIALS);
        for (int id : {IDC_USE_MATERIAL_PREFIX, IDC_MATERIAL_PREFIX, IDC_DEFAULT_BUMP_LABEL, IDC_DEFAULT_BUMP,
                       IDC_FORCE_BLACK_AMBIENT})
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, id))) << id;
        // Disabled fields show that they are: their text is dimmed.
        const COLORREF dimmed = dimmedFieldText(GetSkinColor(kText), GetSkinColor(kField));
        EXPECT_TRUE(showsColour(bump, dimmed));
        EXPECT_FALSE(showsColour(bump, GetSkinColor(kText)));
        toggle(d, IDC_IMPORT_MATERIALS);
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(d, IDC_DEFAULT_BUMP)));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, IDC_MATERIAL_PREFIX)));
        HWND prefix = GetDlgItem(d, IDC_MATERIAL_PREFIX);
        EXPECT_TRUE(showsColour(prefix, dimmed)) << textOf(prefix);
        toggle(d, IDC_USE_MATERIAL_PREFIX);
        EXPECT_TRUE(IsWindowEnabled(prefix));
        EXPECT_TRUE(showsColour(prefix, GetSkinColor(kText)));
        EXPECT_FALSE(showsColour(prefix, dimmed));
        type(GetDlgItem(d, IDC_MATERIAL_PREFIX), "mat_");
        toggle(d, IDC_USE_MATERIAL_PREFIX);  // off again: the prefix is not taken
        toggle(d, IDC_FLIP_ZY);
        EXPECT_TRUE(isChecked(d, IDC_FLIP_ZY));
        type(GetDlgItem(d, IDC_CLUSTER_PREFIX), "part_");

        // The bar has faded into the face by now or shortly.
        HWND bar = GetDlgItem(d, IDC_SCAN_PROGRESS);
        EXPECT_TRUE(pumpUntil(
            [&] {
                HDC dc = GetDC(bar);
                const COLORREF c = GetPixel(dc, 4, 2);
                ReleaseDC(bar, dc);
                return c == GetSkinColor(kFace);
            },
            3000));
        press(d, IDC_IMPORT);
    });
    EXPECT_EQ(result, 1);
    const ImportOptions& o = obj.importer.options;
    EXPECT_TRUE(o.flipZY);
    EXPECT_TRUE(o.importMaterials);
    EXPECT_FALSE(o.useMaterialPrefix);
    EXPECT_STREQ(o.materialPrefix, "");
    EXPECT_STREQ(o.clusterPrefix, "part_");
    EXPECT_FLOAT_EQ(o.objectScale, 2.19f);
    EXPECT_FLOAT_EQ(o.defaultBump, 0.1f);
    std::vector<std::string> selected;
    for (const auto& record : obj.importer.objects)
        if (record->selected) selected.push_back(std::string(record->name).substr(0, 8));
    EXPECT_EQ(selected, (std::vector<std::string>{"box", "LLLLLLLL"}));
}

TEST_F(OptionsDialogTest, CancelDuringTheScanOfALargeFileEndsAtOnce) {
    ObjFile obj(partsFile(200, 20000));  // about 32 MB
    DWORD cancelledAt = 0;
    const INT_PTR result = runDialog(obj.importer, [&](HWND d) {
        // The counter moves once the worker has read its first lines.
        ASSERT_TRUE(pumpUntil([&] { return itemText(d, IDC_POLYGON_COUNT) != "0"; }, 10000));
        EXPECT_FALSE(scanOver(d));
        cancelledAt = GetTickCount();
        press(d, IDCANCEL);
    });
    const DWORD took = GetTickCount() - cancelledAt;
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(obj.importer.aborted);
    EXPECT_LT(took, 2000u);
    EXPECT_LT(obj.importer.objects.size(), 200u);  // the worker stopped part of the way
    for (const auto& record : obj.importer.objects) EXPECT_FALSE(record->selected);
}

// A choice made while the file is still read holds for the rows that come in afterwards: what
// the filter shows at the end is what is ticked and imported.
TEST_F(OptionsDialogTest, ChoicesMadeDuringTheScanHoldForRowsThatComeLater) {
    ObjFile obj(partsFile(100, 10000));  // about 8 MB
    const INT_PTR result = runDialog(obj.importer, [&](HWND d) {
        ASSERT_TRUE(pumpUntil([&] { return itemText(d, IDC_POLYGON_COUNT) != "0"; }, 10000));
        ASSERT_FALSE(scanOver(d));
        press(d, IDC_SELECT_NONE);
        press(d, IDC_SELECT_INVERT);  // all ticked again
        type(GetDlgItem(d, IDC_OBJECT_FILTER), "part1*");
        ASSERT_TRUE(pumpUntil([&] { return scanOver(d); }, 30000));
        ASSERT_EQ(rowCount(d), 100);
        int ticks = 0;
        for (int row = 0; row < rowCount(d); ++row) {
            const std::string name = cell(d, row, 0);
            EXPECT_EQ(ticked(d, row), name.rfind("part1", 0) == 0) << name;
            ticks += ticked(d, row);
        }
        EXPECT_EQ(ticks, 11);  // part1 and part10 to part19
        EXPECT_EQ(itemText(d, IDC_POLYGON_COUNT), "110.000");
        // Enter presses Import: the key as the dialog's own loop hands it to the dialog manager.
        PostMessageA(GetFocus(), WM_KEYDOWN, VK_RETURN, 0);
        MSG m;
        while (IsWindowVisible(d) && PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
            if (IsDialogMessageA(d, &m)) continue;
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
    });
    EXPECT_EQ(result, 1);
    for (const auto& record : obj.importer.objects)
        EXPECT_EQ(record->selected, std::string(record->name).rfind("part1", 0) == 0) << record->name;
}

HWND g_filling = nullptr;
bool g_answeredMidway = false;

TEST_F(OptionsDialogTest, ManyGroupsFillTheListWhileTheDialogKeepsAnswering) {
    std::string text = "v 0 0 0\nv 1 0 0\nv 0 1 0\n";
    char name[16];
    for (int g = 0; g < 12000; ++g) {
        std::snprintf(name, sizeof name, "g%05d", (g * 7919) % 12000);  // in no order: the list sorts
        text += std::string("g ") + name + "\nf 1 2 3\n";
    }
    ObjFile obj(text);
    runDialog(obj.importer, [&](HWND d) {
        // A timer is the last thing a window's thread turns to, after input and painting: one that
        // runs while the list is half full shows the dialog answering in the middle of the filling.
        g_filling = d;
        g_answeredMidway = false;
        const UINT_PTR watch = SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR, DWORD) {
            if (rowCount(g_filling) > 0 && !scanOver(g_filling)) g_answeredMidway = true;
        });
        ASSERT_TRUE(pumpUntil([&] { return scanOver(d); }, 30000));
        KillTimer(nullptr, watch);
        EXPECT_TRUE(g_answeredMidway);
        EXPECT_EQ(rowCount(d), 12000);
        EXPECT_EQ(cell(d, 0, 0), "g00000");
        EXPECT_EQ(cell(d, 11999, 0), "g11999");
        EXPECT_EQ(itemText(d, IDC_POLYGON_COUNT), "12.000");
        EXPECT_EQ(itemText(d, IDC_OBJECTS_GROUP), "12000 Objects");
        press(d, IDCANCEL);
    });
}

TEST_F(OptionsDialogTest, FileWithoutObjectsSaysSoAndCannotBeImported) {
    ObjFile obj("# nothing here\nv 0 0 0\n");
    runDialog(obj.importer, [&](HWND d) {
        // The worker's message box (text 126) waits for the user.
        whenBoxOpens(d, [](HWND box) { PostMessageA(box, WM_COMMAND, IDCANCEL, 0); });
        ASSERT_TRUE(pumpUntil([&] { return scanOver(d); }, 10000));
        EXPECT_EQ(itemText(d, IDC_OBJECTS_GROUP), "0 Object");
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, IDC_IMPORT)));
        EXPECT_TRUE(g_boxSeen);
        press(d, IDCANCEL);
    });
}

TEST_F(OptionsDialogTest, ObjectsWithoutPolygonsListNoRowButCanBeImported) {
    ObjFile obj("g a\nv 0 0 0\nv 1 0 0\ng b\nv 1 1 1\n");
    const INT_PTR result = runDialog(obj.importer, [&](HWND d) {
        ASSERT_TRUE(pumpUntil([&] { return scanOver(d); }, 10000));
        EXPECT_EQ(itemText(d, IDC_OBJECTS_GROUP), "1 Object");
        EXPECT_EQ(rowCount(d), 0);
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(d, IDC_IMPORT)));
        press(d, IDC_SELECT_NONE);  // nothing to change: Import stays as it is
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(d, IDC_IMPORT)));
        press(d, IDC_IMPORT);
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(obj.importer.countSelectedObjects(), 0);
}

// Rows the list has no memory for end the dialog with the reason: objects left out of the list
// would be left out of the import without a word.
TEST_F(OptionsDialogTest, RowsTheListHasNoMemoryForEndTheDialogWithTheReason) {
    ObjFile obj("v 0 0 0\nv 1 0 0\nv 0 1 0\ng a\nf 1 2 3\n");
    bool ended = false;
    const INT_PTR result = runDialog(obj.importer, [&](HWND d) {
        ASSERT_TRUE(pumpUntil([&] { return scanOver(d); }, 10000));
        // A batch larger than the address space: the list's copy of it fails as a shortage would.
        const ObjectRow row{};
        SendMessageA(d, WM_QF_ADD_ROWS, WPARAM(size_t(1) << 46), reinterpret_cast<LPARAM>(&row));
        ended = pumpUntil([&] { return !IsWindowVisible(d); }, 2000);
    });
    EXPECT_TRUE(ended);
    EXPECT_EQ(result, 0);
    EXPECT_STREQ(obj.importer.errorText, "not enough memory to list the objects");
    EXPECT_EQ(obj.importer.countSelectedObjects(), 0);
}

TEST_F(OptionsDialogTest, HelpWithoutItsFileAndTheAboutBox) {
    ObjFile obj(sixObjects());
    runDialog(obj.importer, [&](HWND d) {
        ASSERT_TRUE(pumpUntil([&] { return scanOver(d); }, 10000));
        static SIZE s_size;
        whenBoxOpens(d, [](HWND box) { PostMessageA(box, WM_COMMAND, IDCANCEL, 0); });
        press(d, IDC_HELP_BUTTON);
        EXPECT_TRUE(g_boxSeen);  // "Help not found"
        whenBoxOpens(d, [](HWND box) {
            RECT r;
            GetWindowRect(box, &r);
            s_size = {r.right - r.left, r.bottom - r.top};
            PostMessageA(box, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(120, 80));  // on the picture
        });
        press(d, IDC_ABOUT);
        EXPECT_TRUE(g_boxSeen);
        EXPECT_EQ(s_size.cx, 279);
        EXPECT_EQ(s_size.cy, 179);
        EXPECT_TRUE(IsWindowVisible(d));
        press(d, IDCANCEL);
    });
}

}  // namespace
}  // namespace qf
