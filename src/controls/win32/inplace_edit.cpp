#include "controls/win32/inplace_edit.h"

#include "controls/win32/skin_core.h"

namespace qf {

LRESULT CALLBACK InplaceEditProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    return PlainControlProc(w, message, wParam, lParam);
}

}  // namespace qf
