#include "controls/win32/scroll_bar.h"

#include "controls/win32/skin_core.h"

namespace qf {

LRESULT CALLBACK ScrollBarProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    return PlainControlProc(w, message, wParam, lParam);
}

}  // namespace qf
