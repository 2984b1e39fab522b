// The host's interface in the stand-in SDK: registration, menus, contexts and the file browser, as
// a plug-in reaches them through the SDK's classes.
#include "host/host_ui.h"

#include <gtest/gtest.h>

#include "host/host_scene.h"

namespace XSI {
namespace {

using standin::HostUi;

struct HostUiFixture : ::testing::Test {
    void SetUp() override {
        HostUi::instance().reset();
        HostUi::instance().fileBrowser = nullptr;
        standin::HostScene::instance().resetAll();
    }
    void TearDown() override { HostUi::instance().fileBrowser = nullptr; }
};

TEST_F(HostUiFixture, RegistrationIsKeptWithThePluginAndItsNameComesBack) {
    PluginRegistrar registrar(HostUi::instance().addPlugin("C:\\plugins\\p.dll"));
    registrar.PutName(L"qfObjImp");
    registrar.PutAuthor(L"Quill");
    registrar.PutVersion(1, 0);
    registrar.RegisterMenu(siMenuMainFileImportID, L"qfObjImport", false, false);
    EXPECT_EQ(ToAscii(registrar.GetName()), "qfObjImp");
    const auto* record = HostUi::instance().plugin(registrar.GetRef());
    ASSERT_TRUE(record);
    EXPECT_EQ(record->author, "Quill");
    EXPECT_EQ(record->major, 1);
    ASSERT_EQ(record->menus.size(), 1u);
    EXPECT_EQ(record->menus[0].anchor, 1003);
    EXPECT_EQ(record->menus[0].name, "qfObjImport");
    // Interface objects are no scene items: the scene's item 0 keeps its own name.
    EXPECT_EQ(ToAscii(SIObject(CRef(0)).GetName()), "Scene_Root");
}

TEST_F(HostUiFixture, MenuItemsKnowTheirMenuThroughTheContextsTheHostHandsOut) {
    HostUi& ui = HostUi::instance();
    const CRef plugin = ui.addPlugin("p.dll");
    const CRef menuRef = ui.addMenu(plugin, "qfObjImport");
    Context initContext(ui.addContext(menuRef));
    Menu menu(initContext.GetSource());
    MenuItem item;
    ASSERT_TRUE(menu.AddCallbackItem(L"qf::ObjImport", L"OnObjImport", item).Succeeded());
    ASSERT_EQ(ui.menu(menuRef)->items.size(), 1u);
    EXPECT_EQ(ui.menuItem(item.GetRef())->callback, "OnObjImport");

    Context pick(ui.addContext(item.GetRef()));
    MenuItem picked(pick.GetSource());
    Menu parent(picked.GetParent());
    EXPECT_EQ(ToAscii(parent.GetName()) + ":" + ToAscii(picked.GetName()), "qfObjImport:qf::ObjImport");
    // A menu that is not one cannot take items.
    MenuItem none;
    EXPECT_FALSE(Menu(CRef(0)).AddCallbackItem(L"x", L"y", none).Succeeded());
}

CString openWithBrowser(const wchar_t* initialDirectory) {
    CComAPIHandler toolkit;
    toolkit.CreateInstance(L"XSI.UIToolkit");
    CComAPIHandler browser(toolkit.GetProperty(L"FileBrowser"));
    browser.PutProperty(L"Filter", CValue(L"wavefront obj(*.obj)|*.obj||"));
    browser.PutProperty(L"DialogTitle", CValue(L"qf::ObjImport"));
    browser.PutProperty(L"InitialDirectory", CValue(initialDirectory));
    browser.PutProperty(L"FileBaseName", CValue(L""));
    CValue ignored;
    browser.Call(L"ShowOpen", ignored);
    return browser.GetProperty(L"FilePathName").GetAsText();
}

TEST_F(HostUiFixture, TheFileBrowserAsksTheHostWithThePropertiesSetOnIt) {
    standin::FileBrowserQuestion asked;
    HostUi::instance().fileBrowser = [&](const standin::FileBrowserQuestion& q) {
        asked = q;
        return std::string("C:\\models\\car.obj");
    };
    EXPECT_EQ(ToAscii(openWithBrowser(L"D:/__EXPORT_TESTS_")), "C:\\models\\car.obj");
    EXPECT_EQ(asked.filter, "wavefront obj(*.obj)|*.obj||");
    EXPECT_EQ(asked.title, "qf::ObjImport");
    EXPECT_EQ(asked.initialDirectory, "D:/__EXPORT_TESTS_");
    EXPECT_EQ(asked.fileBaseName, "");
}

TEST_F(HostUiFixture, WithoutAHostToAskTheFileBrowserIsCancelled) {
    EXPECT_TRUE(openWithBrowser(L"D:/x").IsEmpty());
    HostUi::instance().fileBrowser = [](const standin::FileBrowserQuestion&) { return std::string(); };
    EXPECT_TRUE(openWithBrowser(L"D:/x").IsEmpty());
}

TEST_F(HostUiFixture, DesktopGivesTheHostWindowAndCountsHookSuspensions) {
    int redraws = 0;
    HostUi::instance().applicationWindow = &redraws;
    HostUi::instance().onRedraw = [&] { ++redraws; };
    Desktop desktop = Application().GetDesktop();
    EXPECT_EQ(desktop.GetApplicationWindowHandle(), &redraws);
    desktop.SuspendWin32ControlsHook();
    EXPECT_EQ(HostUi::instance().hookSuspensions, 1);
    desktop.RestoreWin32ControlsHook();
    EXPECT_EQ(HostUi::instance().hookSuspensions, 0);
    desktop.RedrawUI();
    EXPECT_EQ(redraws, 1);
    HostUi::instance().applicationWindow = nullptr;
    HostUi::instance().onRedraw = nullptr;
}

}  // namespace
}  // namespace XSI
