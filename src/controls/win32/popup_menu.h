// The skinned popup menu.
#pragma once
#include <windows.h>

namespace qf {

LRESULT CALLBACK MenuProc(HWND, UINT, WPARAM, LPARAM);

}  // namespace qf
