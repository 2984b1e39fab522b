// The skinned list box: a standard list of lines beside the skinned scroll bar, kept in step.
#pragma once
#include <windows.h>

namespace qf {

constexpr int kInnerListId = 77;

LRESULT CALLBACK ListBoxProc(HWND, UINT, WPARAM, LPARAM);

}  // namespace qf
