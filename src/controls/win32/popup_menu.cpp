#include "controls/win32/popup_menu.h"

#include "controls/win32/skin_core.h"

namespace qf {

LRESULT CALLBACK MenuProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    return PlainControlProc(w, message, wParam, lParam);
}

}  // namespace qf
