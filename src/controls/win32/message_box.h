// The skinned message box, the HTML help lookup and the path fitting on a device context.
#pragma once
#include <windows.h>

namespace qf {

// Shows text in a skinned modal box with one "OK" button. 10 when another box is open (nothing is
// shown), otherwise 0 once the user closed it.
int SkinMessageBox(HWND owner, const char* text, UINT type);

// Loads the system's HTML help engine on first use and forwards one call to it; null when it
// cannot be had (and from then on).
HWND HelpLookup(HWND caller, const char* file, UINT command, DWORD_PTR data);

// Shortens path in place (size bytes) with "..." to fit maxWidth in the font selected into dc.
void FitPathToWidth(HDC dc, char* path, size_t size, int maxWidth);

}  // namespace qf
