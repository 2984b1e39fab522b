#include "controls/win32/combo_box.h"

#include "controls/win32/skin_core.h"

namespace qf {

LRESULT CALLBACK ComboBoxProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    return PlainControlProc(w, message, wParam, lParam);
}

}  // namespace qf
