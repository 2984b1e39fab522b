#include "host/host_ui.h"

namespace XSI::standin {

namespace {

template <typename T>
T* at(std::vector<T>& list, const CRef& ref, CRef::Facet facet) {
    if (ref.facet() != facet || ref.item() < 0 || size_t(ref.item()) >= list.size()) return nullptr;
    return &list[size_t(ref.item())];
}

std::string textOf(const CValue& value) { return ToAscii(value.GetAsText()); }

// The file part of a path: after its last '\' or '/'.
std::string fileNameOf(const std::string& path) {
    const size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

}  // namespace

HostUi& HostUi::instance() {
    static HostUi ui;
    return ui;
}

void HostUi::reset() {
    plugins_.clear();
    menus_.clear();
    menuItems_.clear();
    contexts_.clear();
    comObjects_.clear();
    hookSuspensions = 0;
}

CRef HostUi::addPlugin(const std::string& fileName) {
    plugins_.push_back({});
    plugins_.back().fileName = fileName;
    return CRef(int(plugins_.size() - 1), CRef::Facet::Plugin);
}

CRef HostUi::addMenu(const CRef& owner, const std::string& name) {
    menus_.push_back({owner.facet() == CRef::Facet::Plugin ? owner.item() : -1, name, {}});
    return CRef(int(menus_.size() - 1), CRef::Facet::Menu);
}

CRef HostUi::addMenuItem(const CRef& owner, const std::string& label, const std::string& callback) {
    MenuRecord* parent = menu(owner);
    if (!parent) return CRef();
    menuItems_.push_back({owner.item(), label, callback});
    parent->items.push_back(int(menuItems_.size() - 1));
    return CRef(int(menuItems_.size() - 1), CRef::Facet::MenuItem);
}

CRef HostUi::addContext(const CRef& source) {
    contexts_.push_back(source);
    return CRef(int(contexts_.size() - 1), CRef::Facet::Context);
}

CRef HostUi::addComObject(const std::string& progId) {
    comObjects_.push_back({progId, {}});
    return CRef(int(comObjects_.size() - 1), CRef::Facet::ComObject);
}

bool HostUi::valid(const CRef& ref) const {
    auto inRange = [&](size_t size) { return ref.item() >= 0 && size_t(ref.item()) < size; };
    switch (ref.facet()) {
    case CRef::Facet::Plugin: return inRange(plugins_.size());
    case CRef::Facet::Menu: return inRange(menus_.size());
    case CRef::Facet::MenuItem: return inRange(menuItems_.size());
    case CRef::Facet::Context: return inRange(contexts_.size());
    case CRef::Facet::ComObject: return inRange(comObjects_.size());
    default: return false;
    }
}

PluginRecord* HostUi::plugin(const CRef& ref) { return at(plugins_, ref, CRef::Facet::Plugin); }
MenuRecord* HostUi::menu(const CRef& ref) { return at(menus_, ref, CRef::Facet::Menu); }
MenuItemRecord* HostUi::menuItem(const CRef& ref) { return at(menuItems_, ref, CRef::Facet::MenuItem); }
ComObjectRecord* HostUi::comObject(const CRef& ref) { return at(comObjects_, ref, CRef::Facet::ComObject); }

const CRef* HostUi::contextSource(const CRef& ref) const {
    if (ref.facet() != CRef::Facet::Context || !valid(ref)) return nullptr;
    return &contexts_[size_t(ref.item())];
}

std::string HostUi::nameOf(const CRef& ref) const {
    if (!valid(ref)) return "";
    switch (ref.facet()) {
    case CRef::Facet::Plugin: return plugins_[size_t(ref.item())].name;
    case CRef::Facet::Menu: return menus_[size_t(ref.item())].name;
    case CRef::Facet::MenuItem: return menuItems_[size_t(ref.item())].label;
    case CRef::Facet::ComObject: return comObjects_[size_t(ref.item())].progId;
    default: return "";
    }
}

void HostUi::showOpen(const CRef& browserRef) {
    ComObjectRecord* browser = comObject(browserRef);
    if (!browser) return;
    auto property = [&](const char* key) {
        auto found = browser->properties.find(key);
        return found == browser->properties.end() ? std::string() : textOf(found->second);
    };
    const FileBrowserQuestion question{property("Filter"), property("DialogTitle"), property("InitialDirectory"),
                                       property("FileBaseName")};
    const std::string answer = fileBrowser ? fileBrowser(question) : std::string();
    browser->properties["FilePathName"] = AsciiString(answer.c_str());
    browser->properties["FileName"] = AsciiString(fileNameOf(answer).c_str());
}

}  // namespace XSI::standin
