// The about box (template 114).
#pragma once
#include <windows.h>

namespace qf {

void ShowAboutBox(HINSTANCE module, HWND owner);

}  // namespace qf
