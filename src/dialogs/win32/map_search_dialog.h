// The map-search dialog (template 113): asked when a texture map is missing.
#pragma once
#include <windows.h>

#include "scene/map_lookup.h"

namespace qf {

// The question as the plug-in asks it: the dialog over owner, "Add Search Path" through the
// folder chooser.
class DialogMapSearch final : public MapSearchUi {
public:
    DialogMapSearch(HINSTANCE module, HWND owner) : module_(module), owner_(owner) {}
    int askForMap(ObjImporter& importer) override;

private:
    HINSTANCE module_;
    HWND owner_;
};

}  // namespace qf
