#include "qfhost/tour.h"

#include <commctrl.h>

#include "host/host_scene.h"
#include "qfhost/driver.h"
#include "qfhost/host_app.h"
#include "resources/control_ids.h"

namespace qfhost {

using namespace driver;

namespace {

constexpr int kChooserTree = 2003, kChooserLabel = 2004;
constexpr int kInnerList = 77;  // the list box inside the skinned list

HWND findDialog(int childId) {
    for (HWND w : topWindows())
        if (GetDlgItem(w, childId)) return w;
    return nullptr;
}

class Walk {
public:
    Walk(const TourPlan& plan, HWND host) : plan_(plan), host_(host) {}
    TourReport run();

private:
    void picture(HWND window, const char* name) {
        if (plan_.picturesFolder.empty() || !window) return;
        ++pictures_;
        const std::string path = plan_.picturesFolder + "\\" + std::to_string(pictures_ / 10) +
                                 std::to_string(pictures_ % 10) + "-" + name + ".bmp";
        if (savePicture(window, path)) report_.pictures.push_back(path);
        else report_.errors.push_back("no picture of " + std::string(name));
    }
    bool fail(const std::string& what) {
        report_.errors.push_back(what);
        return false;
    }
    // A picture of a window that a dialog coming up meanwhile would cover is not kept.
    void pictureUncovered(HWND window, const char* name) {
        if (coveringDialog()) return;
        const size_t kept = report_.pictures.size();
        picture(window, name);
        if (coveringDialog() && report_.pictures.size() > kept) {
            DeleteFileA(report_.pictures.back().c_str());
            report_.pictures.pop_back();
            --pictures_;
        }
    }
    // The run's dialogs sit over the host's window and keep it from input while they are up.
    void checkOwnedByHost(HWND dialog, const std::string& name) {
        if (GetWindow(dialog, GW_OWNER) != host_) fail("the " + name + " dialog is not owned by the host's window");
        else if (IsWindowEnabled(host_)) fail("the host's window takes input under the " + name + " dialog");
    }
    static bool coveringDialog() { return findDialog(IDC_ADD_SEARCH_PATH) || findDialog(IDC_WARNING_LIST); }
    bool options();
    void setCheck(HWND dialog, int id, bool wanted);
    bool question(HWND dialog, bool useChooser);
    bool chooseFolder();
    void warnings();

    const TourPlan& plan_;
    HWND host_;
    TourReport report_;
    int pictures_ = 0;
};

std::string itemText(HWND list, int index) {
    char text[260] = {};
    LVITEMA item = {};
    item.iSubItem = 0;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(list, LVM_GETITEMTEXTA, WPARAM(index), reinterpret_cast<LPARAM>(&item));
    return text;
}

void Walk::setCheck(HWND dialog, int id, bool wanted) {
    HWND box = GetDlgItem(dialog, id);
    auto checked = [&] { return SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED; };
    if (checked() == wanted) return;
    press(box);
    if (!waitUntil([&] { return checked() == wanted; }, 3000)) fail("could not set \"" + windowText(box) + "\"");
}

bool Walk::options() {
    HWND dialog = waitForDialog(IDC_IMPORT);
    if (!dialog) return fail("the options dialog did not open");
    checkOwnedByHost(dialog, "options");
    HWND import = GetDlgItem(dialog, IDC_IMPORT);
    if (!waitUntil([&] { return IsWindowEnabled(import) != FALSE; })) return fail("the scan did not end");
    picture(dialog, "options");
    HWND list = FindWindowExA(GetDlgItem(dialog, IDC_OBJECT_LIST), nullptr, WC_LISTVIEWA, nullptr);
    const int count = list ? int(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)) : 0;
    for (int i = 0; i < count; ++i) {
        report_.rows.push_back(itemText(list, i));
        if (report_.rows.back() != plan_.untick) continue;
        LVITEMA state = {};
        state.stateMask = LVIS_STATEIMAGEMASK;
        state.state = INDEXTOSTATEIMAGEMASK(1);  // unchecked
        SendMessageA(list, LVM_SETITEMSTATE, WPARAM(i), reinterpret_cast<LPARAM>(&state));
    }
    if (!plan_.untick.empty() && count == 0) fail("the object list stayed empty");
    for (const auto& [id, wanted] : plan_.checks) setCheck(dialog, id, wanted);
    picture(dialog, "options-chosen");
    press(import);
    if (!waitGone(dialog)) return fail("Import did not close the options dialog");
    return true;
}

bool Walk::chooseFolder() {
    HWND chooser = waitForDialog(kChooserTree);
    if (!chooser) return fail("the folder chooser did not open");
    HWND tree = GetDlgItem(chooser, kChooserTree);
    HWND label = GetDlgItem(chooser, kChooserLabel);
    report_.chooserStart = windowText(label);
    picture(chooser, "folder-chooser");
    auto caret = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(caret));
    auto child = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(caret)));
    for (; child; child = reinterpret_cast<HTREEITEM>(
                      SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(child)))) {
        char text[128] = {};
        TVITEMA item = {};
        item.mask = TVIF_TEXT | TVIF_HANDLE;
        item.hItem = child;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        if (plan_.searchFolder == text) break;
    }
    if (!child) fail("no folder " + plan_.searchFolder + " below " + report_.chooserStart);
    else SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(child));
    report_.chosenFolder = windowText(label);
    picture(chooser, "folder-chosen");
    pressItem(chooser, IDOK);
    if (!waitGone(chooser)) return fail("OK did not close the folder chooser");
    return true;
}

bool Walk::question(HWND dialog, bool useChooser) {
    report_.missingMaps.push_back(windowText(GetDlgItem(dialog, IDC_MISSING_MAP)));
    std::string commandLog;
    onHostThread(host_, [&] {
        commandLog = XSI::standin::HostScene::instance().preferences()["preferences.scripting.cmdlog"];
    });
    report_.commandLog.push_back(commandLog);
    picture(dialog, "map-search");
    if (useChooser) {
        pressItem(dialog, IDC_ADD_SEARCH_PATH);
        if (!chooseFolder()) return false;
    } else {
        pressItem(dialog, IDCANCEL);  // "Skip"
    }
    if (!waitGone(dialog)) return fail("the map-search dialog stayed open");
    // The progress dialog is still modal: the host's window must not take input yet.
    if (IsWindowEnabled(host_) && findDialog(IDC_CANCEL_IMPORT))
        fail("the host's window took input again while the progress dialog was up");
    return true;
}

void Walk::warnings() {
    // The dialog comes once its list is filled, which takes a while for tens of thousands of
    // warnings; a run without warnings ends without one.
    HWND dialog = nullptr;
    waitUntil([&] { return (dialog = findDialog(IDC_WARNING_LIST)) != nullptr || !CommandRunning(); }, kPatience * 8);
    if (!dialog) return;
    checkOwnedByHost(dialog, "warnings");
    HWND list = GetDlgItem(GetDlgItem(dialog, IDC_WARNING_LIST), kInnerList);
    const int count = list ? int(SendMessageA(list, LB_GETCOUNT, 0, 0)) : 0;
    for (int i = 0; i < count; ++i) {
        char text[1024] = {};
        if (SendMessageA(list, LB_GETTEXTLEN, WPARAM(i), 0) < LRESULT(sizeof text))
            SendMessageA(list, LB_GETTEXT, WPARAM(i), reinterpret_cast<LPARAM>(text));
        report_.warnings.push_back(text);
    }
    picture(dialog, "warnings");
    pressItem(dialog, IDCANCEL);  // "Close"
    if (!waitGone(dialog)) fail("Close did not close the warnings dialog");
}

TourReport Walk::run() {
    if (!options()) return report_;
    HWND progress = waitForDialog(IDC_CANCEL_IMPORT);
    if (!progress) {
        fail("the progress dialog did not open");
        return report_;
    }
    checkOwnedByHost(progress, "progress");
    pictureUncovered(progress, "progress");
    bool chooserUsed = plan_.searchFolder.empty();
    for (;;) {
        HWND asked = nullptr;
        waitUntil([&] {
            asked = findDialog(IDC_ADD_SEARCH_PATH);
            return asked || findDialog(IDC_WARNING_LIST) || !IsWindow(progress) || !IsWindowVisible(progress);
        });
        if (!asked) break;
        if (!question(asked, !chooserUsed)) return report_;
        chooserUsed = true;
        if (IsWindow(progress) && IsWindowVisible(progress)) {
            Sleep(100);
            pictureUncovered(progress, "progress-building");
        }
    }
    warnings();
    if (!waitGone(progress)) fail("the progress dialog stayed open");
    Sleep(300);
    picture(host_, "scene");
    return report_;
}

}  // namespace

TourReport walkImport(const TourPlan& plan, HWND hostWindow) { return Walk(plan, hostWindow).run(); }

std::string describe(const TourReport& r) {
    std::string text;
    auto line = [&](const std::string& key, const std::string& value) { text += key + ": " + value + "\n"; };
    for (const auto& row : r.rows) line("object row", row);
    for (size_t i = 0; i < r.missingMaps.size(); ++i)
        line("map-search question", r.missingMaps[i] + " (command log " + r.commandLog[i] + ")");
    if (!r.chooserStart.empty()) line("folder chooser opened at", r.chooserStart);
    if (!r.chosenFolder.empty()) line("folder chosen", r.chosenFolder);
    for (const auto& w : r.warnings) line("warning", w);
    for (const auto& p : r.pictures) line("picture", p);
    for (const auto& e : r.errors) line("error", e);
    return text;
}

}  // namespace qfhost
