// The object list of the options dialog: a report list view inside a host window that gives it
// the dark palette, paints its header, hides its vertical scroll bar and scrolls it in whole rows
// by middle-button drag and wheel. List-view messages sent to the host reach the inner list.
#pragma once
#include <windows.h>

namespace qf {

LRESULT CALLBACK ListCtrlProc(HWND, UINT, WPARAM, LPARAM);

// Adds column index with its header text, alignment (LVCFMT_) and width in pixels.
int ListCtrlInsertColumn(HWND control, int index, const char* text, int format, int width);
// Adds a row with its text and the caller's value for it; a sorted list puts it in its place.
// Returns the row's index, -1 when it could not be added. With scrollToIt the view moves to the
// end of the list.
int ListCtrlAddItem(HWND control, const char* text, LPARAM param, bool scrollToIt);

// The list view inside the control, for the window-system code that must talk to it directly.
HWND ListCtrlInnerList(HWND control);

}  // namespace qf
