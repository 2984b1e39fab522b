// Numeric spinners and their spin buttons.
#pragma once
#include <windows.h>

namespace qf {

LRESULT CALLBACK SpinnerProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK SpinButtonProc(HWND, UINT, WPARAM, LPARAM);

}  // namespace qf
