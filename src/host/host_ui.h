// What the stand-in host keeps beside its scene: the plug-ins it loaded with the menus they
// registered, the contexts it hands to their callbacks, the objects they create by program id
// (the UI toolkit and its file browser), and its desktop: the main window, the controls hook and
// the file browser's answer. A host program fills in the desktop's parts; without one the file
// browser answers as if the user had cancelled.
#pragma once
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "host/xsi_sdk.h"

namespace XSI::standin {

struct RegisteredMenu {
    int anchor = 0;
    std::string name;
    bool displayAsSubmenu = false;
    bool dynamic = false;
};

struct PluginRecord {
    std::string fileName;  // of the library, as the host loaded it
    std::string name, author, email, url;
    long major = 0, minor = 0;
    std::vector<RegisteredMenu> menus;
};

struct MenuRecord {
    int plugin = -1;
    std::string name;
    std::vector<int> items;
};

struct MenuItemRecord {
    int menu = -1;
    std::string label;
    std::string callback;
};

// An object made by CComAPIHandler::CreateInstance or handed out as one's property.
struct ComObjectRecord {
    std::string progId;
    std::map<std::string, CValue> properties;
};

// What a plug-in asked the file browser, from the properties it set before "ShowOpen".
struct FileBrowserQuestion {
    std::string filter;
    std::string title;
    std::string initialDirectory;
    std::string fileBaseName;
};

class XSI_SDK_API HostUi {
public:
    static HostUi& instance();
    // Forgets every plug-in, menu, context and object; the desktop's parts stay.
    void reset();

    CRef addPlugin(const std::string& fileName);
    CRef addMenu(const CRef& plugin, const std::string& name);
    CRef addMenuItem(const CRef& menu, const std::string& label, const std::string& callback);
    // A context whose source is the given object.
    CRef addContext(const CRef& source);
    CRef addComObject(const std::string& progId);

    bool valid(const CRef& ref) const;
    PluginRecord* plugin(const CRef& ref);
    MenuRecord* menu(const CRef& ref);
    MenuItemRecord* menuItem(const CRef& ref);
    const CRef* contextSource(const CRef& ref) const;
    ComObjectRecord* comObject(const CRef& ref);
    // The name an object of the host's interface goes by; empty for other references.
    std::string nameOf(const CRef& ref) const;

    // "ShowOpen" of a file browser object: asks the host and stores the answer as "FilePathName"
    // and "FileName" (both empty when cancelled).
    void showOpen(const CRef& browserRef);

    // The desktop, as the host program sets it up.
    void* applicationWindow = nullptr;
    // Suspensions of the controls hook not yet restored.
    int hookSuspensions = 0;
    // Answers the file browser with a full path, or the empty text for a cancel.
    std::function<std::string(const FileBrowserQuestion&)> fileBrowser;
    // Called when a plug-in asks the host to redraw its interface.
    std::function<void()> onRedraw;

private:
    HostUi() = default;
    std::vector<PluginRecord> plugins_;
    std::vector<MenuRecord> menus_;
    std::vector<MenuItemRecord> menuItems_;
    std::vector<CRef> contexts_;
    std::vector<ComObjectRecord> comObjects_;
};

}  // namespace XSI::standin
