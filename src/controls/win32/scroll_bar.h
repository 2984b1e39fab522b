// The skinned scroll bar.
#pragma once
#include <windows.h>

namespace qf {

LRESULT CALLBACK ScrollBarProc(HWND, UINT, WPARAM, LPARAM);

}  // namespace qf
