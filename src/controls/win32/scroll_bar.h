// The skinned scroll bar: a vertical bar of two arrows and a thumb that reports to its parent with
// WM_VSCROLL (posted) like a standard scroll bar.
#pragma once
#include <windows.h>

namespace qf {

constexpr UINT SCBM_SETRANGE = 0x41F;  // wParam: MAKEWPARAM(range, page)
constexpr UINT SCBM_SETPOS = 0x420;    // wParam: position
constexpr UINT SCBM_GETPOS = 0x422;
constexpr int kScrollUpId = 2000;
constexpr int kScrollDownId = 2001;
constexpr int kScrollThumbId = 1002;

LRESULT CALLBACK ScrollBarProc(HWND, UINT, WPARAM, LPARAM);

}  // namespace qf
