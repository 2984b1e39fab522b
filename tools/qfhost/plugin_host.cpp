#include "qfhost/plugin_host.h"

#include "host/host_scene.h"
#include "host/host_ui.h"

namespace qfhost {

namespace {

using LoadEntry = XSI::CStatus (*)(XSI::PluginRegistrar&);
using UnloadEntry = XSI::CStatus (*)(const XSI::PluginRegistrar&);
using ContextEntry = XSI::CStatus (*)(XSI::CRef&);

template <typename Entry>
Entry entryPoint(HMODULE module, const std::string& name) {
    return reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(module, name.c_str())));
}

XSI::standin::HostUi& ui() { return XSI::standin::HostUi::instance(); }

void hostLog(const std::string& line) { XSI::Application().LogMessage(XSI::AsciiString(line.c_str()), XSI::siWarningMsg); }

}  // namespace

bool PluginHost::load(const std::string& path, std::string& error) {
    HMODULE module = LoadLibraryA(path.c_str());
    if (!module) {
        error = "cannot load " + path + " (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    auto load = entryPoint<LoadEntry>(module, "XSILoadPlugin");
    if (!load) {
        FreeLibrary(module);
        error = path + " has no XSILoadPlugin";
        return false;
    }
    Loaded plugin{module, path, ui().addPlugin(path)};
    XSI::PluginRegistrar registrar(plugin.registrar);
    if (!load(registrar).Succeeded()) {
        FreeLibrary(module);
        error = "XSILoadPlugin of " + path + " failed";
        return false;
    }
    loaded_.push_back(plugin);
    return true;
}

void PluginHost::buildMenus() {
    entries_.clear();
    for (size_t p = 0; p < loaded_.size(); ++p) {
        const auto* record = ui().plugin(loaded_[p].registrar);
        if (!record) continue;
        for (const auto& registered : record->menus) {
            auto init = entryPoint<ContextEntry>(loaded_[p].module, registered.name + "_Init");
            if (!init) {
                hostLog(registered.name + "_Init not found in " + loaded_[p].path);
                continue;
            }
            const XSI::CRef menu = ui().addMenu(loaded_[p].registrar, registered.name);
            XSI::CRef context = ui().addContext(menu);
            init(context);
            for (int item : ui().menu(menu)->items) {
                const XSI::CRef itemRef(item, XSI::CRef::Facet::MenuItem);
                const auto* added = ui().menuItem(itemRef);
                entries_.push_back({p, registered.name, registered.displayAsSubmenu, registered.anchor, added->label,
                                    added->callback, itemRef});
            }
        }
    }
}

bool PluginHost::pick(size_t entry) {
    if (entry >= entries_.size()) return false;
    const MenuEntry& e = entries_[entry];
    auto callback = entryPoint<ContextEntry>(loaded_[e.plugin].module, e.callback);
    if (!callback) {
        hostLog(e.callback + " not found in " + loaded_[e.plugin].path);
        return false;
    }
    XSI::CRef context = ui().addContext(e.item);
    callback(context);
    return true;
}

void PluginHost::unloadAll() {
    for (Loaded& plugin : loaded_) {
        if (auto unload = entryPoint<UnloadEntry>(plugin.module, "XSIUnloadPlugin"))
            unload(XSI::PluginRegistrar(plugin.registrar));
        FreeLibrary(plugin.module);
    }
    loaded_.clear();
    entries_.clear();
}

}  // namespace qfhost
