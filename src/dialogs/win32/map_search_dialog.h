// The map-search dialog (template 113): asked when a texture map is missing.
#pragma once
#include <windows.h>

#include "scene/map_lookup.h"

namespace qf {

// The question as the plug-in asks it: the dialog over owner (over the modal dialog that owner
// has up, when there is one), "Add Search Path" through the folder chooser.
class DialogMapSearch final : public MapSearchUi {
public:
    DialogMapSearch(HINSTANCE module, HWND owner) : module_(module), owner_(owner) {}
    int askForMap(ObjImporter& importer) override;
    // Repaints the window that was active under the question (the progress dialog) at once.
    void redrawAfterQuestion() override;

private:
    HINSTANCE module_;
    HWND owner_;
    HWND beneath_ = nullptr;
};

// "Add Search Path": the folder chooser from the folder of the last find (or the OBJ file's);
// a chosen folder becomes the saved search folder and its tree is searched. True when chosen.
bool chooseSearchFolder(ObjImporter& importer, HWND dialog);

}  // namespace qf
