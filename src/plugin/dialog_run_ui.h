// An import run as the user meets it in the host: the plug-in's skinned dialogs over the host's
// window.
#pragma once
#include <windows.h>

#include <memory>

#include "dialogs/win32/map_search_dialog.h"
#include "run/import_run.h"

namespace qf {

class DialogRunUi final : public RunUi {
public:
    explicit DialogRunUi(HINSTANCE module) : module_(module) {}
    void prepareDialogs(ObjImporter& importer) override;
    int optionsDialog(ObjImporter& importer) override;
    int progressDialog(ObjImporter& importer) override;
    void warningsDialog(ObjImporter& importer) override;
    void messageBox(ObjImporter& importer, const char* text) override;
    MapSearchUi& mapSearch() override;
    // Keeps handling what the worker sends (a dialog it reports to may still be there) until it
    // has stopped.
    void waitForWorkers(ObjImporter& importer) override;

private:
    HINSTANCE module_;
    HWND owner_ = nullptr;
    std::unique_ptr<DialogMapSearch> mapSearch_;
};

}  // namespace qf
