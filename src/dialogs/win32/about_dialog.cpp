#include "dialogs/win32/about_dialog.h"

namespace qf {

void ShowAboutBox(HINSTANCE, HWND) {}

}  // namespace qf
