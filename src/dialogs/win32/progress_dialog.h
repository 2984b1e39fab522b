// The progress dialog (template 112): runs the import worker, shows its phases and counters, and
// builds the scene on the UI thread when reading has finished.
#pragma once
#include <windows.h>

#include "model/import_model.h"
#include "scene/map_lookup.h"

namespace qf {

// Runs the dialog modally over owner: 1 when the scene was built, 0 when reading failed or was
// cancelled. The import worker has stopped when it returns.
INT_PTR ShowProgressDialog(HINSTANCE module, HWND owner, ObjImporter& importer, MapSearchUi& mapSearch);

}  // namespace qf
