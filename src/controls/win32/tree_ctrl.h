// The tree control: a tree view shown as a pannable sheet inside its host window.
#pragma once
#include <windows.h>

namespace qf {

// Whether the last layout had to move the sheet to keep the view filled.
constexpr UINT TRCM_WASSHIFTED = 0x8191;
// Starts a middle-button pan; lParam: the point in the tree's client coordinates.
constexpr UINT TRCM_BEGINPAN = 0x8192;

LRESULT CALLBACK TreeCtrlProc(HWND, UINT, WPARAM, LPARAM);

}  // namespace qf
