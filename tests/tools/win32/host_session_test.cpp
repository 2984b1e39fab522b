// The plug-in inside the stand-in host under Wine, loaded by its entry points' names only.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "host/host_scene.h"
#include "host/host_ui.h"
#include "qfhost/driver.h"
#include "qfhost/host_app.h"
#include "resources/control_ids.h"
#include "tools/win32/host_test_files.h"

namespace qfhost {
namespace {

using XSI::standin::HostScene;
using XSI::standin::HostUi;

// A fresh copy of the plug-in in a folder of its own, so that its options file starts absent.
std::string installPlugin(const std::string& folderName) {
    const std::string folder = tempFolder(folderName);
    const std::string dll = folder + "\\qfObjImp.dll";
    DeleteFileA((folder + "\\qf_objimp.cfg").c_str());
    EXPECT_TRUE(CopyFileA(QF_PLUGIN_DLL, dll.c_str(), FALSE)) << GetLastError();
    return dll;
}

std::vector<std::string> exportedNames(HMODULE module) {
    auto* base = reinterpret_cast<const BYTE*>(module);
    auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& entry = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    std::vector<std::string> names;
    if (!entry.VirtualAddress) return names;
    auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + entry.VirtualAddress);
    auto* nameOffsets = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
    for (DWORD i = 0; i < exports->NumberOfNames; ++i)
        names.emplace_back(reinterpret_cast<const char*>(base + nameOffsets[i]));
    std::sort(names.begin(), names.end());
    return names;
}

TEST(PluginLibrary, ExportsExactlyItsFourEntryPointsAndTakesItsClassesAlongWhenUnloaded) {
    HMODULE module = LoadLibraryA(installPlugin("qfhost-exports").c_str());
    ASSERT_TRUE(module);
    EXPECT_EQ(exportedNames(module),
              (std::vector<std::string>{"OnObjImport", "XSILoadPlugin", "XSIUnloadPlugin", "qfObjImport_Init"}));
    WNDCLASSA found;
    EXPECT_TRUE(GetClassInfoA(module, "qfButton", &found));
    // A class left behind would point into code that is gone, and a rebuilt library loaded at the
    // same place would find the old class instead of registering its own.
    FreeLibrary(module);
    EXPECT_FALSE(GetClassInfoA(module, "qfButton", &found));
    EXPECT_FALSE(GetClassInfoA(module, "qfTreeCtrl", &found));
}

std::vector<std::string> logTexts() {
    std::vector<std::string> lines;
    for (const auto& [text, severity] : HostScene::instance().logLines()) {
        EXPECT_EQ(severity, 8) << text;
        lines.push_back(text);
    }
    return lines;
}

TEST(HostSession, CancelledFileBrowserLeavesSceneAndOptionsAloneAndUnloadingIsLogged) {
    HostScene::instance().resetAll();
    HostUi::instance().reset();
    const std::string dll = installPlugin("qfhost-cancel");
    const std::string scene = tempFolder("qfhost-cancel") + "\\scene.json";
    HostOptions options;
    options.plugins = {dll};
    options.scripted = true;
    options.answers = {""};
    options.picks = {"qf::ObjImport"};
    options.scenePath = scene;
    options.quit = true;
    std::vector<std::string> menu;
    ASSERT_EQ(RunHost(options, [&](HWND) {
                  for (const auto& registered : HostUi::instance().plugin(XSI::CRef(0, XSI::CRef::Facet::Plugin))->menus)
                      menu.push_back(std::to_string(registered.anchor) + " " + registered.name);
              }),
              0);
    EXPECT_EQ(menu, (std::vector<std::string>{"1003 qfObjImport"}));
    EXPECT_EQ(logTexts(), (std::vector<std::string>{"qfObjImport:qf::ObjImportOnObjImport", "qfObjImp has been unloaded."}));
    EXPECT_TRUE(HostScene::instance().commands().empty());
    EXPECT_FALSE(exists(tempFolder("qfhost-cancel") + "\\qf_objimp.cfg"));
    EXPECT_TRUE(exists(scene));
    EXPECT_EQ(HostUi::instance().hookSuspensions, 0);
}

// The host's window is closed while the plug-in's options dialog is up, as a driver or the
// system may ask: the dialog's loop dispatches the close, and the host must wait for the command
// to return before it unloads the plug-in.
TEST(HostSession, ACloseDuringACommandWaitsUntilTheCommandHasReturned) {
    HostScene::instance().resetAll();
    HostUi::instance().reset();
    const std::string dll = installPlugin("qfhost-close");
    const std::string obj = tempFolder("qfhost-close") + "\\triangle.obj";
    std::ofstream(obj) << "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n";
    HostOptions options;
    options.plugins = {dll};
    options.scripted = true;
    options.answers = {obj};
    options.picks = {"qf::ObjImport"};
    bool dialogSeen = false, hostKeptOpen = false, commandRanOn = false;
    std::thread driverThread;
    ASSERT_EQ(RunHost(options,
                      [&](HWND host) {
                          driverThread = std::thread([&, host] {
                              HWND dialog = driver::waitForDialog(IDC_IMPORT);
                              dialogSeen = dialog != nullptr;
                              if (!dialog) return;
                              PostMessageA(host, WM_CLOSE, 0, 0);
                              Sleep(300);
                              hostKeptOpen = IsWindow(host) && IsWindow(dialog);
                              commandRanOn = CommandRunning();
                              driver::pressItem(dialog, IDCANCEL);
                          });
                      }),
              0);
    driverThread.join();
    EXPECT_TRUE(dialogSeen);
    EXPECT_TRUE(hostKeptOpen);
    EXPECT_TRUE(commandRanOn);
    EXPECT_FALSE(CommandRunning());
    EXPECT_EQ(logTexts(), (std::vector<std::string>{"qfObjImport:qf::ObjImportOnObjImport", "qfObjImp has been unloaded."}));
}

}  // namespace
}  // namespace qfhost
