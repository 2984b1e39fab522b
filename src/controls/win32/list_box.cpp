#include "controls/win32/list_box.h"

#include "controls/win32/skin_core.h"

namespace qf {

LRESULT CALLBACK ListBoxProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    return PlainControlProc(w, message, wParam, lParam);
}

}  // namespace qf
