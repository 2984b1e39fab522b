// The skinned combo box.
#pragma once
#include <windows.h>

namespace qf {

LRESULT CALLBACK ComboBoxProc(HWND, UINT, WPARAM, LPARAM);

}  // namespace qf
