// The frame of the skinned dialogs: region, painting, dragging and placement.
#pragma once
#include <windows.h>

namespace qf {

struct DialogSkin {
    int tabWidth = 102;
    HINSTANCE module = nullptr;
    // Caption left, (unused), ridge end cap, top-right, bottom-left, bottom-right, size grip, logo.
    int bitmaps[8] = {};
};

// The one skin of the process.
DialogSkin& dialogSkin();
// Sets the module and the eight bitmap ids; a tab width of 0 or less keeps the stored one.
void SetDialogSkin(HINSTANCE module, const int (&bitmapIds)[8], int tabWidth);

void ShapeSkinnedWindow(HWND window, bool withLogo);
void PaintSkinnedFrame(HWND window, HDC dc, bool drawTitle, const char* title, bool withLogo);
// True when the client point lies on the frame: the dialog then starts a window move.
bool IsOnSkinnedFrame(HWND window, POINT clientPoint, bool withLogo);
// Posts the move of the window when the point is on the frame; true when it did.
bool DragSkinnedFrame(HWND window, POINT clientPoint, bool withLogo);
void CenterOnOwnerMonitor(HWND window, HWND owner);

// Resizable dialogs: on a button press, starts the move (caption) or the sizing loop (corner,
// right or bottom edge) and returns true; on a mouse move, sets the sizing cursor over an edge.
bool HandleSkinnedResize(HWND window, POINT clientPoint, bool withLogo, bool buttonDown);

}  // namespace qf
