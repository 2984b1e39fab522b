// Buttons, check boxes, labels, group frames and the progress bar of the skinned library, and the
// skins installed on the standard controls of the dialog templates.
#pragma once
#include <windows.h>

namespace qf {

constexpr UINT PRGM_SETCOLOR = 0x8033;     // lParam: COLORREF
constexpr UINT PRGM_SETFRACTION = 0x8034;  // lParam: address of a float
constexpr UINT CKBM_BEGINRENAME = 0x785;
constexpr WORD CKBN_RENAMED = 0x786;
constexpr WORD INPLACE_DONE = 1926;

LRESULT CALLBACK ButtonProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK ArrowButtonProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK CheckBoxProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK StaticProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK GroupBoxProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK ProgressProc(HWND, UINT, WPARAM, LPARAM);

void SkinCheckBoxSubclass(HWND control);
void UnskinCheckBox(HWND control);
void SkinEditSubclass(HWND control);
void UnskinEdit(HWND control);
void SkinGroupBoxSubclass(HWND control);
void UnskinGroupBox(HWND control);
void SkinStaticSubclass(HWND control);
void UnskinStatic(HWND control);

// Paints a BS_OWNERDRAW push button of a dialog (WM_DRAWITEM).
void DrawOwnerDrawButton(const DRAWITEMSTRUCT& item);

}  // namespace qf
