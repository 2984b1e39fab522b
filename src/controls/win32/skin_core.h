// The skinned control library's shared base: window classes, palette brushes, fonts and the two
// drawing primitives every control paints with.
#pragma once
#include <windows.h>

#include <new>

namespace qf {

// Registers the fifteen window classes of the library; 1 when all are there, 0 at a failure
// (after a message box that names the class). Registering again succeeds.
int RegisterSkinControls(HINSTANCE module);
// Takes the classes away again, for a library that is unloaded: the system keeps a library's
// classes, and their procedures, after the library has gone.
void UnregisterSkinControls(HINSTANCE module);
// The module the classes were registered with: windows of the library's classes are made with it,
// since a class registered by a library is found only under that library's instance.
HINSTANCE SkinControlsModule();

// The class names in the order they are registered.
extern const char* const kSkinClassNames[15];

COLORREF GetSkinColor(int index);
HBRUSH GetSkinBrush(int index);
HFONT GetSkinFont(int index);

// Makes the window translucent (percent, at most 100) where the system can; false otherwise.
bool SetWindowOpacity(HWND window, int percent);

void FillSolidRect(HDC dc, const RECT& rect, COLORREF colour);
void FillSolidRect(HDC dc, int x, int y, int width, int height, COLORREF colour);
void Draw3dRect(HDC dc, const RECT& rect, COLORREF topLeft, COLORREF bottomRight);

// Text in the skin's colours: once in the text colour, or, disabled, etched in two passes.
void DrawSkinText(HDC dc, const char* text, RECT rect, UINT format, bool enabled);

// WM_CTLCOLOREDIT and WM_CTLCOLORSTATIC of an edit field: the text colour on the field colour,
// the text dimmed while the field is disabled; returns the field's brush.
LRESULT ColourSkinnedField(WPARAM dc, HWND field);
// WM_PAINT of a skinned edit field: paints a disabled field itself, its text dimmed, and returns
// true; an enabled one is left to the edit (false). A disabled edit draws its text in the
// system's grey whatever its parent asks for, and on the skin's field that grey looks enabled.
bool PaintDisabledField(HWND edit);

// Two one-pixel frames in a window's border, drawn through the window's DC (the border lies
// outside the client area): the outer one on the window's edge, the inner one a pixel inside.
void PaintBorderFrames(HWND window, COLORREF outerTopLeft, COLORREF outerBottomRight, COLORREF innerTopLeft,
                       COLORREF innerBottomRight);
// WM_ERASEBKGND of a control that fills its client area with a palette colour; returns 1.
LRESULT EraseWithSkinColor(HWND window, WPARAM dc, int paletteIndex);

// The state block of a control: made zero-filled on WM_CREATE, freed on WM_DESTROY, kept in
// window extra slot 0.
void* CreateStateBlock(HWND window, size_t bytes);
void* StateBlockOf(HWND window);
void FreeStateBlock(HWND window);
// A state block holding an object with members of its own (texts, lists): built in the block on
// WM_CREATE, destroyed before the block is freed on WM_DESTROY.
template <typename T>
T* CreateStateObject(HWND window) {
    void* block = CreateStateBlock(window, sizeof(T));
    return block ? new (block) T() : nullptr;
}
template <typename T>
void DestroyStateObject(HWND window) {
    if (T* state = static_cast<T*>(StateBlockOf(window))) state->~T();
    FreeStateBlock(window);
}

// Runs the body of a window or dialog procedure so that no exception leaves it: one that is
// thrown ends in the fallback result.
template <typename Body>
LRESULT NoThrow(LRESULT fallback, Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return fallback;
    }
}

// A control without a face of its own: keeps a state block and paints the face colour.
LRESULT CALLBACK PlainControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace qf
