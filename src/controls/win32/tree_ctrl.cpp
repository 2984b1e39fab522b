#include "controls/win32/tree_ctrl.h"

#include "controls/win32/skin_core.h"

namespace qf {

LRESULT CALLBACK TreeCtrlProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    return PlainControlProc(w, message, wParam, lParam);
}

}  // namespace qf
