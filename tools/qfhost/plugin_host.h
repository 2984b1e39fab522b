// Loading plug-in libraries as the host application does: only by the names of their entry
// points, with the stand-in SDK's registrar, menus and contexts.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "host/xsi_sdk.h"

namespace qfhost {

// A callback item of a registered menu, as the host shows it.
struct MenuEntry {
    size_t plugin = 0;
    std::string menu;      // the registered menu's name
    bool submenu = false;  // shown as a submenu of its own rather than among the anchor's items
    int anchor = 0;
    std::string label;
    std::string callback;
    XSI::CRef item;
};

class PluginHost {
public:
    PluginHost() = default;
    PluginHost(const PluginHost&) = delete;
    PluginHost& operator=(const PluginHost&) = delete;
    ~PluginHost() { unloadAll(); }

    // Loads the library and calls its XSILoadPlugin with a registrar of the host. A library
    // without that entry, or whose load fails, is let go again; false then, with the reason.
    bool load(const std::string& path, std::string& error);
    // Builds every registered menu through its "<menu>_Init" callback, whose context's source is
    // the menu; the items it adds become entries.
    void buildMenus();
    const std::vector<MenuEntry>& entries() const { return entries_; }
    // Calls the entry's callback with a context whose source is the item; false when the library
    // has no such entry point.
    bool pick(size_t entry);
    // Calls XSIUnloadPlugin of every library with its registrar, then lets it go.
    void unloadAll();

private:
    struct Loaded {
        HMODULE module = nullptr;
        std::string path;
        XSI::CRef registrar;
    };
    std::vector<Loaded> loaded_;
    std::vector<MenuEntry> entries_;
};

}  // namespace qfhost
