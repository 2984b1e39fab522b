// The skinned list box.
#pragma once
#include <windows.h>

namespace qf {

LRESULT CALLBACK ListBoxProc(HWND, UINT, WPARAM, LPARAM);

}  // namespace qf
