// The in-place text editor.
#pragma once
#include <windows.h>

namespace qf {

LRESULT CALLBACK InplaceEditProc(HWND, UINT, WPARAM, LPARAM);

}  // namespace qf
