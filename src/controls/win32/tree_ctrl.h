// The tree control and the folder chooser.
#pragma once
#include <windows.h>

namespace qf {

LRESULT CALLBACK TreeCtrlProc(HWND, UINT, WPARAM, LPARAM);

}  // namespace qf
