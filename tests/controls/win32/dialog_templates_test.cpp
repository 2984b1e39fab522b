// The dialog templates of the resource script: every control the dialogs use is there, with its
// text and visibility (run under Wine).
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "controls/frame_geometry.h"
#include "controls/win32/skin_core.h"
#include "resources/control_ids.h"

namespace qf {
namespace {

INT_PTR CALLBACK Quiet(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

struct Expected {
    int id;
    const char* text;
    bool visible = true;
};

void checkDialog(int dialogId, std::initializer_list<Expected> controls) {
    ASSERT_EQ(RegisterSkinControls(GetModuleHandleA(nullptr)), 1);
    HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(dialogId), nullptr, Quiet, 0);
    ASSERT_NE(dialog, nullptr) << dialogId << " error " << GetLastError();
    EXPECT_EQ(GetWindowLongPtrA(dialog, GWL_STYLE) & WS_CAPTION, 0) << dialogId;
    for (const Expected& c : controls) {
        HWND control = GetDlgItem(dialog, c.id);
        ASSERT_NE(control, nullptr) << dialogId << ": " << c.id;
        char text[128] = {};
        GetWindowTextA(control, text, sizeof text);
        EXPECT_EQ(std::string(text), c.text) << dialogId << ": " << c.id;
        EXPECT_EQ((GetWindowLongPtrA(control, GWL_STYLE) & WS_VISIBLE) != 0, c.visible) << c.id;
    }
    DestroyWindow(dialog);
}

TEST(DialogTemplates, OptionsDialog) {
    checkDialog(IDD_OPTIONS, {{1127, " Objects "}, {1104, ""}, {1103, ""}, {1107, ""}, {1108, "All"},
                              {1109, "None"}, {1110, "Invert"}, {1111, ""}, {1128, ""}, {1125, " Geometry "},
                              {1102, "Replace scene"}, {1105, "Import as clusters"}, {1142, "Prefix:"}, {1106, ""},
                              {1112, "Flip ZY-axis"}, {1113, "Center Pivots"}, {1114, "Texture coordinates"},
                              {1141, "Object Scale:"}, {1116, ""}, {1115, "Normals", false}, {1126, " Material "},
                              {1118, "Import materials"}, {1119, "Prefix:"}, {1120, ""}, {1129, "Default bump:"},
                              {1121, ""}, {1123, "Force black ambient"}, {1101, "Import"}, {2, "Cancel"},
                              {9, "Help"}, {1124, "About..."}});
}

TEST(DialogTemplates, ProgressMapSearchAboutAndWarnings) {
    checkDialog(IDD_PROGRESS, {{1131, " importing... "}, {1147, ""}, {1132, ""}, {1133, ""}, {1143, "Vertices:"},
                               {1135, "0"}, {1144, "Polygons:"}, {1136, "0"}, {1130, "Cancel Import"},
                               {1134, "-= DONE =-", false}});
    checkDialog(IDD_MAP_SEARCH, {{1139, " Map-Search"}, {1145, "Not found:"}, {1140, ""},
                                 {1137, "Add Search Path"}, {2, "Skip"}, {1138, "dont bother me again"}});
    checkDialog(IDD_ABOUT, {});
    checkDialog(IDD_WARNINGS, {{1146, ""}});
}

// Every control of the options dialog lies inside the frame's face, clear of the caption strip,
// the side borders and the bottom strip; its group boxes are not clipped away by the dialog.
TEST(DialogTemplates, OptionsDialogLayoutKeepsInsideTheFrame) {
    ASSERT_EQ(RegisterSkinControls(GetModuleHandleA(nullptr)), 1);
    HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_OPTIONS), nullptr, Quiet, 0);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(GetWindowLongPtrA(dialog, GWL_STYLE) & WS_CLIPCHILDREN, 0);
    const LONG_PTR listStyle = GetWindowLongPtrA(GetDlgItem(dialog, IDC_OBJECT_LIST), GWL_STYLE);
    EXPECT_EQ(listStyle & (LVS_SINGLESEL | LVS_SORTASCENDING), LVS_SINGLESEL | LVS_SORTASCENDING);
    RECT client;
    GetClientRect(dialog, &client);
    const RECT face{5, 23, client.right - 6, bottomStripTop(client.bottom, true)};
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if (!(GetWindowLongPtrA(c, GWL_STYLE) & WS_VISIBLE)) continue;
        RECT r;
        GetWindowRect(c, &r);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
        RECT inside;
        IntersectRect(&inside, &r, &face);
        EXPECT_TRUE(EqualRect(&inside, &r)) << GetDlgCtrlID(c) << ": " << r.left << "," << r.top << "," << r.right
                                            << "," << r.bottom << " face " << face.right << "," << face.bottom;
    }
    DestroyWindow(dialog);
}

TEST(DialogTemplates, MapSearchPositionsAreInDialogUnits) {
    ASSERT_EQ(RegisterSkinControls(GetModuleHandleA(nullptr)), 1);
    HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_MAP_SEARCH), nullptr, Quiet, 0);
    ASSERT_NE(dialog, nullptr);
    RECT units{92, 43, 92 + 62, 43 + 14};
    MapDialogRect(dialog, &units);
    RECT actual;
    GetWindowRect(GetDlgItem(dialog, IDC_ADD_SEARCH_PATH), &actual);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&actual), 2);
    EXPECT_EQ(actual.left, units.left);
    EXPECT_EQ(actual.top, units.top);
    EXPECT_EQ(actual.right - actual.left, units.right - units.left);
    DestroyWindow(dialog);
}

}  // namespace
}  // namespace qf
