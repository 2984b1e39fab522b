// A whole session of the stand-in host with the real plug-in under Wine, driven like a user: the
// menu item picked four times (the file browser cancelled, the options dialog cancelled, a file
// with nothing to import, the example car), and the scene the host writes compared with the
// command-line tool's for the same choices.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "host/host_scene.h"
#include "host/host_ui.h"
#include "qfhost/driver.h"
#include "qfhost/host_app.h"
#include "qfhost/tour.h"
#include "resources/control_ids.h"
#include "run/config_file.h"
#include "tools/win32/host_test_files.h"

namespace qfhost {
namespace {

using XSI::standin::HostScene;
using XSI::standin::HostUi;
using namespace driver;

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The example car in a folder of its own, beside an empty folder "maps" and a file whose only
// object has no polygon.
struct Workspace {
    std::string root = tempFolder("qfhost-import");
    std::string car = root + "\\car";
    std::string obj = car + "\\toy_car.obj";
    std::string points = root + "\\points.obj";
    std::string dll = root + "\\qfObjImp.dll";
    std::string config = root + "\\qf_objimp.cfg";

    Workspace() {
        CreateDirectoryA(car.c_str(), nullptr);
        CreateDirectoryA((car + "\\textures").c_str(), nullptr);
        CreateDirectoryA((car + "\\maps").c_str(), nullptr);
        const std::string example = QF_EXAMPLE_DIR;
        for (const char* file : {"toy_car.obj", "toy_car.mtl", "textures/paint.png", "textures/tread.png",
                                 "textures/tread_bump.png", "textures/chrome_reflection.png"}) {
            std::string to = car + "\\" + file;
            for (char& c : to)
                if (c == '/') c = '\\';
            EXPECT_TRUE(CopyFileA((example + "/" + file).c_str(), to.c_str(), FALSE)) << file;
        }
        std::ofstream(points) << "g lonely\nv 0 0 0\nv 1 0 0\nv 0 1 0\n";
        DeleteFileA(config.c_str());
        EXPECT_TRUE(CopyFileA(QF_PLUGIN_DLL, dll.c_str(), FALSE));
    }
};

// What the driver saw on the way, read on the host's thread where it is the scene's.
struct Session {
    bool optionsOpenedForCancel = false;
    bool configBeforeCancel = true;
    size_t commandsAtCancel = 99;
    std::string commandLogAtCancel;
    int rowsOfEmptyFile = -1;
    bool messageBoxHasButton = false;
    std::string messageBoxText;
    bool configAfterNothing = false;
    size_t objectsAfterNothing = 99;
    TourReport tour;
    std::vector<std::string> errors;
};

HWND messageBox() {
    for (HWND w : topWindows()) {
        HWND button = GetDlgItem(w, 1);
        if (button && className(button) == "qfButton" && !GetDlgItem(w, 2003)) return w;
    }
    return nullptr;
}

void drive(HWND host, const Workspace& ws, Session& s) {
    auto fail = [&](const std::string& what) { s.errors.push_back(what); };
    // The second pick: the options dialog opens and is cancelled.
    HWND options = waitForDialog(IDC_IMPORT);
    s.optionsOpenedForCancel = options != nullptr;
    if (!options) return fail("no options dialog to cancel");
    onHostThread(host, [&] {
        s.configBeforeCancel = exists(ws.config);
        s.commandsAtCancel = HostScene::instance().commands().size();
        s.commandLogAtCancel = HostScene::instance().preferences()["preferences.scripting.cmdlog"];
    });
    pressItem(options, IDCANCEL);
    if (!waitGone(options)) return fail("Cancel did not close the options dialog");

    // The third pick: a file whose only object has no polygon; Import says there is nothing.
    options = waitForDialog(IDC_IMPORT);
    if (!options) return fail("no options dialog for the empty file");
    HWND import = GetDlgItem(options, IDC_IMPORT);
    if (!waitUntil([&] { return IsWindowEnabled(import) != FALSE; })) return fail("Import stayed disabled");
    HWND list = FindWindowExA(GetDlgItem(options, IDC_OBJECT_LIST), nullptr, "SysListView32", nullptr);
    s.rowsOfEmptyFile = list ? int(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)) : -1;
    press(import);
    HWND box = nullptr;
    if (!waitUntil([&] { return (box = messageBox()) != nullptr; })) return fail("no message for the empty file");
    s.messageBoxHasButton = IsWindowVisible(GetDlgItem(box, 1)) != FALSE;
    pressItem(box, 1);
    if (!waitGone(box)) return fail("OK did not close the message box");
    // The run has ended once the next pick's options dialog is up.
    options = waitForDialog(IDC_IMPORT);
    if (!options) return fail("no options dialog for the car");
    onHostThread(host, [&] {
        s.configAfterNothing = exists(ws.config);
        s.objectsAfterNothing = HostScene::instance().children(HostScene::instance().root(),
                                                               XSI::standin::ItemKind::Object).size();
    });

    // The fourth pick: the car, walked like a user.
    TourPlan plan;
    plan.untick = "body";
    plan.checks = {{IDC_FLIP_ZY, true}, {IDC_CENTER_PIVOTS, false}};
    plan.searchFolder = "maps";
    s.tour = walkImport(plan, host);
}

// The scene's JSON without the log lines of the menu picks, which only the host has.
std::string withoutMenuLines(std::string json) {
    const std::string line = "qfObjImport:qf::ObjImportOnObjImport\"";
    for (size_t at; (at = json.find(line)) != std::string::npos;) {
        const size_t open = json.rfind('{', at), close = json.find('}', at);
        size_t from = open, to = close + 1;
        const size_t next = json.find_first_not_of(" \n\r\t", to);
        if (next != std::string::npos && json[next] == ',') to = next + 1;
        else {
            const size_t before = json.find_last_not_of(" \n\r\t", open - 1);
            if (before != std::string::npos && json[before] == ',') from = before;
        }
        json.erase(from, to - from);
    }
    return json;
}

// The command-line tool's scene without what only its run knows (source file, options, warnings,
// names in the file, how the maps were found): the rest is the scene the host holds.
std::string withoutRunRecord(std::string json) {
    const size_t source = json.find(",\"source\":"), objects = json.find(",\"objects\":");
    if (source != std::string::npos && objects != std::string::npos && source < objects)
        json.erase(source, objects - source);
    const std::string text = R"("(?:[^"\\]|\\.)*")";
    json = std::regex_replace(json, std::regex(",\"sourceName\":" + text), "");
    json = std::regex_replace(json, std::regex(",\"maps\":\\[(?:[^\\[\\]\"]|" + text + ")*\\]"), "");
    return json;
}

struct CliResult {
    DWORD exitCode = 99;
    std::string out;
};

CliResult runCli(const std::string& arguments, const std::string& outFile) {
    char cli[MAX_PATH] = {};
    GetFullPathNameA(QF_CLI_PATH, sizeof cli, cli, nullptr);
    std::string command = "\"" + std::string(cli) + "\" " + arguments;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE out = CreateFileA(outFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out;
    startup.hStdError = out;
    PROCESS_INFORMATION process = {};
    CliResult result;
    if (CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
        WaitForSingleObject(process.hProcess, 60000);
        GetExitCodeProcess(process.hProcess, &result.exitCode);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(out);
    result.out = readAll(outFile);
    return result;
}

TEST(HostImport, FromTheMenuToTheSceneAsTheCommandLineToolBuildsIt) {
    HostScene::instance().resetAll();
    HostUi::instance().reset();
    const Workspace ws;
    const std::string hostScene = ws.root + "\\host.json";
    HostOptions options;
    options.plugins = {ws.dll};
    options.scripted = true;
    options.answers = {"", ws.obj, ws.points, ws.obj};
    options.picks = {"qf::ObjImport", "qf::ObjImport", "qf::ObjImport", "qf::ObjImport"};
    options.scenePath = hostScene;
    options.quit = true;
    Session s;
    std::thread driverThread;
    ASSERT_EQ(RunHost(options, [&](HWND host) { driverThread = std::thread([&, host] { drive(host, ws, s); }); }), 0);
    driverThread.join();
    EXPECT_TRUE(s.errors.empty()) << s.errors.front();
    EXPECT_TRUE(s.tour.ok()) << describe(s.tour);

    // Cancelled file browser, then cancelled options dialog: no options file, no command, the
    // command log left alone.
    EXPECT_TRUE(s.optionsOpenedForCancel);
    EXPECT_FALSE(s.configBeforeCancel);
    EXPECT_EQ(s.commandsAtCancel, 0u);
    EXPECT_EQ(s.commandLogAtCancel, "true");
    // Nothing to import: an empty list, the message with its OK button, the options saved.
    EXPECT_EQ(s.rowsOfEmptyFile, 0);
    EXPECT_TRUE(s.messageBoxHasButton);
    EXPECT_TRUE(s.configAfterNothing);
    EXPECT_EQ(s.objectsAfterNothing, 0u);

    // The car: every object listed, the missing map asked for twice with the command log off.
    EXPECT_EQ(s.tour.rows.size(), 7u);
    EXPECT_EQ(s.tour.missingMaps, (std::vector<std::string>{"glass_tint.png", "glass_tint.png"}));
    EXPECT_EQ(s.tour.commandLog, (std::vector<std::string>{"false", "false"}));
    EXPECT_EQ(s.tour.chooserStart.substr(s.tour.chooserStart.rfind('\\')), "\\car");
    EXPECT_EQ(s.tour.chosenFolder.substr(s.tour.chosenFolder.rfind('\\')), "\\maps");
    EXPECT_EQ(HostScene::instance().preferences()["preferences.scripting.cmdlog"], "true");
    EXPECT_EQ(HostUi::instance().hookSuspensions, 0);
    ASSERT_FALSE(HostScene::instance().logLines().empty());
    EXPECT_EQ(HostScene::instance().logLines().back().first, "qfObjImp has been unloaded.");

    // The chosen folder is the saved search folder.
    qf::ObjImporter saved;
    lstrcpynA(saved.configPath, ws.config.c_str(), sizeof saved.configPath);
    ASSERT_TRUE(qf::loadOptions(saved));
    const std::string maps = saved.options.mapSearchPath;
    EXPECT_EQ(maps, ws.car + "\\maps");
    EXPECT_TRUE(saved.options.flipZY);
    EXPECT_FALSE(saved.options.centerPivots);

    // The command-line tool with the same choices builds the same scene and warns the same.
    const std::string cliScene = ws.root + "\\cli.json";
    const CliResult cli = runCli("import \"" + ws.obj + "\" --select \"?????*\" --flip-zy --no-center-pivots "
                                 "--search-path \"" + maps + "\" --scene \"" + cliScene + "\" --config \"" +
                                 ws.root + "\\cli.cfg\"",
                                 ws.root + "\\cli.txt");
    ASSERT_EQ(cli.exitCode, 0u) << cli.out;
    EXPECT_FALSE(s.tour.warnings.empty());
    for (const std::string& warning : s.tour.warnings)
        EXPECT_NE(cli.out.find(warning), std::string::npos) << warning << "\n" << cli.out;
    EXPECT_EQ(withoutMenuLines(readAll(hostScene)), withoutRunRecord(readAll(cliScene)));
}

}  // namespace
}  // namespace qfhost
