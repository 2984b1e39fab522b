#include "dialogs/win32/warnings_dialog.h"

namespace qf {

void ShowWarningsDialog(HINSTANCE, HWND, const ObjImporter&) {}

}  // namespace qf
