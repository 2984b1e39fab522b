#include "controls/win32/list_ctrl.h"

#include "controls/win32/skin_core.h"

namespace qf {

LRESULT CALLBACK ListCtrlProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    return PlainControlProc(w, message, wParam, lParam);
}

}  // namespace qf
