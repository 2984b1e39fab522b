#include "controls/win32/spinner.h"

#include "controls/win32/skin_core.h"

namespace qf {

LRESULT CALLBACK SpinnerProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    return PlainControlProc(w, message, wParam, lParam);
}

LRESULT CALLBACK SpinButtonProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    return PlainControlProc(w, message, wParam, lParam);
}

}  // namespace qf
