// The warnings dialog (template 115): every warning of the run in a resizable list.
#pragma once
#include <windows.h>

#include "model/import_model.h"

namespace qf {

void ShowWarningsDialog(HINSTANCE module, HWND owner, const ObjImporter& importer);

}  // namespace qf
