// What the host calls: registration, the menu item, and the import it starts.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "host/xsi_sdk.h"
#include "model/import_model.h"
#include "plugin/dialog_run_ui.h"
#include "plugin/plugin_module.h"
#include "run/import_run.h"

using namespace XSI;

namespace {

// The OBJ file the user picks in the host's file browser; empty when cancelled.
std::string askForObjFile() {
    CComAPIHandler toolkit;
    toolkit.CreateInstance(L"XSI.UIToolkit");
    CComAPIHandler browser(toolkit.GetProperty(L"FileBrowser"));
    browser.PutProperty(L"Filter", CValue(L"wavefront obj(*.obj)|*.obj||"));
    browser.PutProperty(L"DialogTitle", CValue(L"qf::ObjImport"));
    browser.PutProperty(L"InitialDirectory", CValue(L"D:/__EXPORT_TESTS_"));
    browser.PutProperty(L"FileBaseName", CValue(L""));
    CValue ignored;
    browser.Call(L"ShowOpen", ignored);
    return browser.GetProperty(L"FilePathName").GetAsText().GetAsciiString();
}

// The library's full file name; empty when the system cannot give it whole (a cut name would
// put the options file in another folder).
std::string moduleFileName() {
    std::vector<char> name(32768);
    const DWORD length = GetModuleFileNameA(qf::PluginModule(), name.data(), DWORD(name.size()));
    if (length == 0 || length >= name.size()) return {};
    return std::string(name.data(), length);
}

}  // namespace

XSIPLUGINCALLBACK CStatus XSILoadPlugin(PluginRegistrar& registrar) {
    registrar.PutAuthor(L"Quill");
    registrar.PutName(L"qfObjImp");
    registrar.PutEmail(L"");
    registrar.PutURL(L"");
    registrar.PutVersion(1, 0);
    registrar.RegisterMenu(siMenuMainFileImportID, L"qfObjImport", false, false);
    return CStatus::OK;
}

XSIPLUGINCALLBACK CStatus XSIUnloadPlugin(const PluginRegistrar& registrar) {
    Application().LogMessage(registrar.GetName() + L" has been unloaded.", siInfoMsg);
    return CStatus::OK;
}

XSIPLUGINCALLBACK CStatus qfObjImport_Init(CRef& context) {
    Menu menu(Context(context).GetSource());
    MenuItem item;
    return menu.AddCallbackItem(L"qf::ObjImport", L"OnObjImport", item);
}

XSIPLUGINCALLBACK CStatus OnObjImport(CRef& context) {
    // Nothing thrown may reach the host.
    try {
        MenuItem item(Context(context).GetSource());
        Menu menu(item.GetParent());
        Application().LogMessage(menu.GetName() + L":" + item.GetName() + L"OnObjImport", siInfoMsg);
        const std::string path = askForObjFile();
        if (path.empty()) return CStatus::OK;
        auto importer = std::make_unique<qf::ObjImporter>();
        importer->moduleHandle = qf::PluginModule();
        qf::DialogRunUi ui(qf::PluginModule());
        qf::runImport(*importer, path.c_str(), moduleFileName().c_str(), ui);
    } catch (...) {
    }
    return CStatus::OK;
}
