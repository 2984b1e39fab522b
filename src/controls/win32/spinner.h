// Numeric spinners and their spin buttons: an edit field with a fixed number of decimals and two
// small arrows that step the value by click, auto-repeat, drag, keys and wheel.
#pragma once
#include <windows.h>

#include <cstdint>

namespace qf {

constexpr UINT SPNM_STEPUP = 0x401;        // wParam: count (0: one plain step)
constexpr UINT SPNM_STEPDOWN = 0x402;      // wParam: count (0: one plain step)
constexpr UINT SPNM_RESETDEFAULT = 0x403;  // the default value, at least min
constexpr UINT SPNM_RESTORE = 0x404;       // the value before the current press
constexpr UINT SPNM_SETUP = 0x415;         // lParam: const SpinnerSetup*
constexpr UINT SPNM_SETDEFAULT = 0x416;    // lParam: const double*
constexpr UINT SPNM_SETVALUE = 0x417;      // lParam: const double*; not clamped, not reported
constexpr UINT SPNM_GETVALUE = 0x418;      // returns the address of the value (a double)

constexpr UINT SPBM_SETPARTNER = 0x40B;    // wParam: the other arrow
constexpr UINT SPBM_SETDIRECTION = 0x40C;  // wParam: 0 up (increase), otherwise down

// Auto-repeat of a held arrow: the first repeat after 500 ms, then every 100 ms.
constexpr UINT_PTR kSpinRepeatTimer = 1029;

struct SpinnerSetup {
    double min;
    double max;
    double step;
    int16_t decimals;
    int32_t wrap;
    int32_t spare;
};

LRESULT CALLBACK SpinnerProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK SpinButtonProc(HWND, UINT, WPARAM, LPARAM);

// The spinner's value (what SPNM_GETVALUE points at).
double SpinnerValueOf(HWND spinner);

}  // namespace qf
