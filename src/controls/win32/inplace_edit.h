// The in-place editor: a borderless edit field laid over a window to rename it; when it closes it
// hands the text back to that window with WM_COMMAND INPLACE_DONE.
#pragma once
#include <windows.h>

#include <cstdint>

namespace qf {

// The editor's creation parameter: option flags first (bit 0: the small font), then the window
// whose text is edited (null: the parent given at creation).
struct InplaceEditOptions {
    uint32_t flags;
    HWND target;
};

// Opens the editor over target's window rectangle, starting with target's text.
HWND OpenInplaceEdit(HWND target, uint32_t flags);

LRESULT CALLBACK InplaceEditProc(HWND, UINT, WPARAM, LPARAM);

}  // namespace qf
