// One import run from a chosen OBJ file to the built scene, with the user interface behind a
// seam: the Win32 dialogs in the plug-in, a console in the command-line tool.
#pragma once
#include "model/import_model.h"
#include "scene/map_lookup.h"

namespace qf {

class RunUi {
public:
    virtual ~RunUi() = default;
    // The options dialog with its pre-scan worker: 1 for Import (options and selection set in
    // the importer), 0 for Cancel.
    virtual int optionsDialog(ObjImporter& importer) = 0;
    // The progress dialog with its import worker, which builds the scene when reading succeeded:
    // 1 when done, 0 when reading failed or was cancelled.
    virtual int progressDialog(ObjImporter& importer) = 0;
    virtual void warningsDialog(ObjImporter& importer) = 0;
    virtual void messageBox(ObjImporter& importer, const char* text) = 0;
    virtual MapSearchUi& mapSearch() = 0;
    // Whether the run keeps its options in the options file once Import was pressed. The
    // plug-in does; the command-line tool only when asked to.
    virtual bool savesOptions() const { return true; }
    // The options could not be written. The plug-in says nothing of it; the command-line tool
    // fails the run.
    virtual void optionsNotSaved(const ObjImporter& /*importer*/) {}
    // Readies the dialogs' look once the file is open, before the first dialog.
    virtual void prepareDialogs(ObjImporter& /*importer*/) {}
    // Returns once no worker reads for the importer any more: a dialog may have ended while its
    // worker was still reading, and the file is closed next. Waits in short sleeps; a user
    // interface whose workers report to its own thread keeps serving them meanwhile.
    virtual void waitForWorkers(ObjImporter& importer);
};

// Runs the import of objPath. The options file lives beside moduleFileName unless configPath is
// given. Returns 1 when the import went through, 0 otherwise.
int runImport(ObjImporter& importer, const char* objPath, const char* moduleFileName, RunUi& ui,
              const char* configPath = nullptr);

// The phases of the progress dialog shared by every user interface: what the messages of the
// import worker do, the building of the scene among them.
class ProgressDialogLogic {
public:
    ProgressDialogLogic(ObjImporter& importer, MapSearchUi& mapSearch) : importer_(importer), mapSearch_(mapSearch) {}
    // Handles one message; self is the dialog's own link, which the builders report to.
    intptr_t handle(DialogLink& self, DialogMessage code, uintptr_t wParam, intptr_t lParam);
    bool ended() const { return ended_; }
    intptr_t result() const { return result_; }
    void end(intptr_t result) {
        ended_ = true;
        result_ = result;
    }
    // What the dialog shows.
    std::string phase;
    double fraction = 0;
    int64_t vertices = 0;
    int64_t polygons = 0;
    std::string currentObject;

private:
    ObjImporter& importer_;
    MapSearchUi& mapSearch_;
    bool ended_ = false;
    intptr_t result_ = 0;
};

}  // namespace qf
