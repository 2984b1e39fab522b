// The skinned combo box: a drop-down list of a read-only edit, an arrow and a popup menu.
#pragma once
#include <windows.h>

namespace qf {

LRESULT CALLBACK ComboBoxProc(HWND, UINT, WPARAM, LPARAM);

}  // namespace qf
