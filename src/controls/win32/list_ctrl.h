// The object list of the options dialog: check boxes, its own header, dark rows.
#pragma once
#include <windows.h>

namespace qf {

LRESULT CALLBACK ListCtrlProc(HWND, UINT, WPARAM, LPARAM);

}  // namespace qf
