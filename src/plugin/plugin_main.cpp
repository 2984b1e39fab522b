// The plug-in library's load routine: the module handle and the skinned window classes.
#include <windows.h>
#include <commctrl.h>

#include "controls/win32/skin_core.h"
#include "plugin/plugin_module.h"
#include "resources/string_table.h"

namespace qf {

namespace {
HINSTANCE g_module = nullptr;
bool g_controlsReady = false;
}  // namespace

HINSTANCE PluginModule() { return g_module; }

}  // namespace qf

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved) {
    qf::g_module = module;
    // Unloaded by the host (not the process ending): the classes go with the library's code.
    if (reason == DLL_PROCESS_DETACH && !reserved && qf::g_controlsReady) {
        qf::UnregisterSkinControls(module);
        qf::g_controlsReady = false;
        return TRUE;
    }
    if (reason != DLL_PROCESS_ATTACH || qf::g_controlsReady) return TRUE;
    INITCOMMONCONTROLSEX common = {sizeof common, ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&common);
    if (!qf::RegisterSkinControls(module)) {
        char text[256] = {};
        LoadStringA(module, IDS_CONTROLS_FAILED, text, sizeof text);
        MessageBoxA(nullptr, text, "qf::ObjImp", MB_ICONEXCLAMATION);
        return FALSE;
    }
    qf::g_controlsReady = true;
    return TRUE;
}
