// The options dialog (template 111): the object list filled live by the pre-scan worker, and the
// import options.
#pragma once
#include <windows.h>

#include "model/import_model.h"

namespace qf {

// Runs the dialog modally over owner: 1 for Import (options and chosen objects set in the
// importer), 0 for Cancel. The pre-scan worker has stopped when it returns.
INT_PTR ShowOptionsDialog(HINSTANCE module, HWND owner, ObjImporter& importer);

}  // namespace qf
