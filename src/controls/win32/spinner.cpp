#include "controls/win32/spinner.h"

#include <cstring>
#include <new>

#include "controls/pointer_wrap.h"
#include "controls/skin_metrics.h"
#include "controls/spinner_logic.h"
#include "controls/win32/skin_core.h"

#define GET_X_LPARAM_(lp) (static_cast<int>(static_cast<short>(LOWORD(lp))))
#define GET_Y_LPARAM_(lp) (static_cast<int>(static_cast<short>(HIWORD(lp))))

namespace qf {

namespace {

struct SpinnerState {
    bool notify = false;      // report changes of the shown text to the parent
    bool settingText = false;  // the edit's EN_CHANGE comes from the spinner itself
    int32_t spare = 1;
    SpinnerValue value;
    HWND edit = nullptr;
    HWND upButton = nullptr;
    HWND downButton = nullptr;
};

struct SpinButtonState {
    int direction = 1;  // 0 up, 1 down
    UINT stepMessage = SPNM_STEPDOWN;
    bool pressed = false;
    int wrapY = 0;
    POINT lastPoint{};
    bool rightDrag = false;
    HWND partner = nullptr;
};

// The Edit class's own procedure, shared by every spinner's edit.
WNDPROC g_spinnerEditBase = nullptr;
LRESULT CALLBACK SpinnerEditProc(HWND, UINT, WPARAM, LPARAM);

SpinnerState* spinnerOf(HWND w) { return static_cast<SpinnerState*>(StateBlockOf(w)); }
SpinButtonState* buttonOf(HWND w) { return static_cast<SpinButtonState*>(StateBlockOf(w)); }

double keyFactor(const SpinnerState& s) {
    return spinStepFactor(GetKeyState(VK_CONTROL) < 0, GetKeyState(VK_MENU) < 0, s.value.settings.decimals);
}

// Puts the value's text in the edit when it differs from what is shown, keeping the selection,
// and tells the parent when the user made the change.
void showValue(HWND spinner, SpinnerState& s) {
    char text[kSpinnerTextSize];
    formatSpinnerValue(s.value.value, s.value.settings.decimals, text, sizeof text);
    char shown[kSpinnerTextSize] = {};
    GetWindowTextA(s.edit, shown, sizeof shown);
    if (std::strcmp(text, shown) == 0) return;
    DWORD start = 0, end = 0;
    SendMessageA(s.edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    s.settingText = true;
    SetWindowTextA(s.edit, text);
    s.settingText = false;
    SendMessageA(s.edit, EM_SETSEL, start, end);
    if (s.notify)
        SendMessageA(GetParent(spinner), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(spinner), EN_CHANGE),
                     reinterpret_cast<LPARAM>(spinner));
}

double typedValue(const SpinnerState& s) {
    char text[kSpinnerTextSize] = {};
    GetWindowTextA(s.edit, text, sizeof text);
    return parseSpinnerText(text, s.value.settings);
}

// Shows a value set by the program: nothing is reported.
void showQuietly(HWND spinner, SpinnerState& s) {
    s.notify = false;
    showValue(spinner, s);
    s.notify = true;
}

HWND makeChild(HWND parent, DWORD exStyle, const char* cls, DWORD style, int x, int y, int w, int h) {
    return CreateWindowExA(exStyle, cls, "", WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent, nullptr,
                           reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(parent, GWLP_HINSTANCE)), nullptr);
}

bool createSpinnerChildren(HWND w, SpinnerState& s) {
    RECT client;
    GetClientRect(w, &client);
    const int width = client.right, y0 = (client.bottom - 18) / 2;
    s.edit = makeChild(w, WS_EX_CLIENTEDGE, "Edit", 0, 0, y0, width - 13, 18);
    if (!s.edit) return false;
    const WNDPROC previous = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(s.edit, GWLP_WNDPROC));
    if (previous != SpinnerEditProc) g_spinnerEditBase = previous;
    SetWindowLongPtrA(s.edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SpinnerEditProc));
    SendMessageA(s.edit, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(1, 1));
    SendMessageA(s.edit, WM_SETFONT, reinterpret_cast<WPARAM>(GetSkinFont(1)), FALSE);
    s.downButton = makeChild(w, 0, "qfSpinButton", 0, width - 12, y0 + 9, 12, 9);
    s.upButton = makeChild(w, 0, "qfSpinButton", 0, width - 12, y0, 12, 9);
    if (!s.downButton || !s.upButton) return false;
    SendMessageA(s.upButton, SPBM_SETDIRECTION, 0, 0);
    SendMessageA(s.upButton, SPBM_SETPARTNER, reinterpret_cast<WPARAM>(s.downButton), 0);
    SendMessageA(s.downButton, SPBM_SETPARTNER, reinterpret_cast<WPARAM>(s.upButton), 0);
    return true;
}

LRESULT spinnerMessage(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    SpinnerState* s = spinnerOf(w);
    if (message == WM_CREATE) {
        void* block = CreateStateBlock(w, sizeof(SpinnerState));
        if (!block) return -1;
        s = new (block) SpinnerState();
        if (!createSpinnerChildren(w, *s)) return -1;
        showValue(w, *s);
        s->notify = true;
        return 0;
    }
    if (!s) return DefWindowProcA(w, message, wParam, lParam);
    switch (message) {
    case WM_DESTROY:
        if (s->edit && g_spinnerEditBase)
            SetWindowLongPtrA(s->edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_spinnerEditBase));
        FreeStateBlock(w);
        return 0;
    case SPNM_STEPUP:
        spinIncrease(s->value, int(wParam), wParam ? keyFactor(*s) : 1.0);
        showValue(w, *s);
        return 1;
    case SPNM_STEPDOWN:
        spinDecrease(s->value, int(wParam), wParam ? keyFactor(*s) : 1.0);
        showValue(w, *s);
        return 1;
    case SPNM_RESETDEFAULT:
        spinResetDefault(s->value);
        showValue(w, *s);
        return 1;
    case SPNM_RESTORE:
        s->value.value = s->value.valueBefore;
        showValue(w, *s);
        return 1;
    case SPNM_SETUP: {
        const auto* setup = reinterpret_cast<const SpinnerSetup*>(lParam);
        if (!setup || !applySpinnerSettings(s->value, setup->min, setup->max, setup->step, setup->decimals,
                                            setup->wrap != 0))
            return 0;
        s->spare = setup->spare;
        showQuietly(w, *s);
        return 1;
    }
    case SPNM_SETDEFAULT:
        if (lParam) s->value.defaultValue = *reinterpret_cast<const double*>(lParam);
        return 1;
    case SPNM_SETVALUE:
        if (lParam) s->value.value = *reinterpret_cast<const double*>(lParam);
        showQuietly(w, *s);
        return 1;
    case SPNM_GETVALUE:
        return reinterpret_cast<LRESULT>(&s->value.value);
    case WM_LBUTTONDOWN:  // an arrow is pressed: the press can be taken back to here
        s->value.valueBefore = s->value.value;
        return 0;
    case WM_MOUSEWHEEL: {
        const int notches = wheelNotches(GET_WHEEL_DELTA_WPARAM(wParam));
        if (notches > 0) SendMessageA(w, SPNM_STEPUP, WPARAM(notches), 0);
        else if (notches < 0) SendMessageA(w, SPNM_STEPDOWN, WPARAM(-notches), 0);
        return 0;
    }
    case WM_COMMAND:
        if (reinterpret_cast<HWND>(lParam) != s->edit) return 0;
        if (HIWORD(wParam) == EN_CHANGE && !s->settingText) {
            s->value.value = typedValue(*s);
        } else if (HIWORD(wParam) == EN_KILLFOCUS) {
            s->value.value = typedValue(*s);
            showValue(w, *s);
        }
        return 0;
    case WM_ENABLE:
        EnableWindow(s->upButton, BOOL(wParam));
        EnableWindow(s->downButton, BOOL(wParam));
        EnableWindow(s->edit, BOOL(wParam));
        RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        return 0;
    case WM_SETFOCUS:
        SetFocus(s->edit);
        SendMessageA(GetParent(w), WM_SETFOCUS, 0, 0);
        return 0;
    case WM_KILLFOCUS:
        return 1;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
        return ColourSkinnedField(wParam, reinterpret_cast<HWND>(lParam));
    case WM_ERASEBKGND:
        return EraseWithSkinColor(w, wParam, kFace);
    default:
        return DefWindowProcA(w, message, wParam, lParam);
    }
}

void paintSpinButton(HWND w, HDC dc, const SpinButtonState& s) {
    RECT r;
    GetClientRect(w, &r);
    const int width = r.right, height = r.bottom;
    FillSolidRect(dc, r, GetSkinColor(kFace));
    const COLORREF light = GetSkinColor(s.pressed ? kDarkEdge : kLightEdge);
    const COLORREF dark = GetSkinColor(s.pressed ? kLightEdge : kDarkEdge);
    FillSolidRect(dc, width - 1, 0, 1, height, dark);
    FillSolidRect(dc, 0, height - 1, width, 1, dark);
    FillSolidRect(dc, 0, 0, 1, height - 1, light);
    FillSolidRect(dc, 0, 0, width - 1, 1, light);
    FillSolidRect(dc, 0, height - 1, 1, 1, dark);
    const COLORREF glyph = GetSkinColor(IsWindowEnabled(w) ? kText : kDarkEdge);
    // Three rows, five, three and one pixel wide; the apex points the way the value goes.
    for (int row = 0; row < 3; ++row) {
        const int y = s.direction == 0 ? 5 - row : 3 + row;
        FillSolidRect(dc, 3 + row, y, 5 - 2 * row, 1, glyph);
    }
}

void endPress(HWND w, SpinButtonState& s) {
    if (s.partner) SendMessageA(s.partner, BM_SETSTATE, 0, 0);
    KillTimer(w, kSpinRepeatTimer);
    s.pressed = false;
    if (GetCapture() == w) ReleaseCapture();
    InvalidateRect(w, nullptr, FALSE);
}

POINT screenPoint(HWND w, LPARAM lParam) {
    POINT p{GET_X_LPARAM_(lParam), GET_Y_LPARAM_(lParam)};
    ClientToScreen(w, &p);
    return p;
}

LRESULT spinButtonMessage(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    SpinButtonState* s = buttonOf(w);
    if (message == WM_CREATE) {
        void* block = CreateStateBlock(w, sizeof(SpinButtonState));
        if (!block) return -1;
        new (block) SpinButtonState();
        SendMessageA(w, SPBM_SETDIRECTION, 1, 0);
        return 0;
    }
    if (!s) return DefWindowProcA(w, message, wParam, lParam);
    HWND spinner = GetParent(w);
    switch (message) {
    case WM_DESTROY:
        KillTimer(w, kSpinRepeatTimer);
        FreeStateBlock(w);
        return 0;
    case SPBM_SETPARTNER:
        s->partner = reinterpret_cast<HWND>(wParam);
        return 0;
    case SPBM_SETDIRECTION:
        s->direction = wParam ? 1 : 0;
        s->stepMessage = wParam ? SPNM_STEPDOWN : SPNM_STEPUP;
        s->wrapY = GetSystemMetrics(SM_CYSCREEN) - 1;
        return 0;
    case BM_SETSTATE:
        s->pressed = wParam != 0;
        InvalidateRect(w, nullptr, FALSE);
        return 0;
    case WM_LBUTTONDOWN:
        SendMessageA(spinner, WM_LBUTTONDOWN, wParam, 0);
        s->lastPoint = screenPoint(w, lParam);
        SetCapture(w);
        SendMessageA(spinner, s->stepMessage, 1, 0);
        SetTimer(w, kSpinRepeatTimer, 500, nullptr);
        s->pressed = true;
        InvalidateRect(w, nullptr, FALSE);
        return 0;
    case WM_TIMER:
        if (wParam != kSpinRepeatTimer) return 0;
        KillTimer(w, kSpinRepeatTimer);
        SendMessageA(spinner, s->stepMessage, 1, 0);
        SetTimer(w, kSpinRepeatTimer, 100, nullptr);
        return 0;
    case WM_LBUTTONUP:
        endPress(w, *s);
        return 0;
    case WM_CAPTURECHANGED:
        // Another window took the mouse while the arrow was held: the press ends, and with it the
        // auto-repeat that no button release would stop.
        if (s->pressed && reinterpret_cast<HWND>(lParam) != w) endPress(w, *s);
        return 0;
    case WM_MOUSEMOVE: {
        if (!s->pressed) return 0;
        if (s->partner) SendMessageA(s->partner, BM_SETSTATE, 1, 0);
        const POINT p = screenPoint(w, lParam);
        const PointerWrap wrap = wrapPointerY(p.y, s->wrapY);
        if (wrap.wrapped) {
            SetCursorPos(p.x, wrap.y);
            s->lastPoint.y = wrap.y;
            return 0;
        }
        const int steps = spinDragSteps(s->lastPoint.y, p.y);
        if (steps == 0) return 0;
        KillTimer(w, kSpinRepeatTimer);
        SendMessageA(spinner, steps > 0 ? SPNM_STEPUP : SPNM_STEPDOWN, WPARAM(steps > 0 ? steps : -steps), 0);
        s->lastPoint = p;
        return 0;
    }
    case WM_RBUTTONDOWN:
        if (s->partner) SendMessageA(s->partner, BM_SETSTATE, 0, 0);
        if (!s->pressed) {
            SendMessageA(spinner, SPNM_RESETDEFAULT, 0, 0);
            return 0;
        }
        // During a press the right button takes it back: the value returns to where it began.
        SendMessageA(w, WM_LBUTTONUP, 0, lParam);
        SetCapture(w);
        SendMessageA(spinner, SPNM_RESTORE, 0, 0);
        if (s->partner) SendMessageA(s->partner, BM_SETSTATE, 0, 0);
        s->rightDrag = true;
        return 0;
    case WM_RBUTTONUP:
        if (GetCapture() == w) ReleaseCapture();
        s->rightDrag = false;
        return 0;
    case WM_ENABLE:
        InvalidateRect(w, nullptr, FALSE);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(w, &ps);
        paintSpinButton(w, dc, *s);
        EndPaint(w, &ps);
        return 0;
    }
    default:
        return DefWindowProcA(w, message, wParam, lParam);
    }
}

// The spinner's edit: only what a number is made of can be typed, the arrow keys step.
LRESULT CALLBACK SpinnerEditProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    return NoThrow(0, [&]() -> LRESULT {
        switch (message) {
        case WM_CHAR: {
            const bool allowed = (wParam >= '0' && wParam <= '9') || wParam == VK_BACK || wParam == '.' || wParam == '-';
            if (!allowed) return 0;
            break;
        }
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            if (wParam == VK_UP || wParam == VK_DOWN) {
                HWND spinner = GetParent(w);
                if (SpinnerState* s = spinnerOf(spinner)) {
                    spinKey(s->value, wParam == VK_UP, keyFactor(*s));
                    showValue(spinner, *s);
                }
                return 0;
            }
            break;
        case WM_ERASEBKGND:
            return EraseWithSkinColor(w, wParam, kField);
        case WM_PAINT:
            if (PaintDisabledField(w)) return 0;
            break;
        case WM_NCPAINT:  // the sunken double frame, in the border where it is seen
            PaintBorderFrames(w, GetSkinColor(kDarkEdge), GetSkinColor(kLightEdge), RGB(0, 0, 0),
                              GetSkinColor(kFace));
            return 0;
        default:
            break;
        }
        return g_spinnerEditBase ? CallWindowProcA(g_spinnerEditBase, w, message, wParam, lParam)
                                 : DefWindowProcA(w, message, wParam, lParam);
    });
}

}  // namespace

LRESULT CALLBACK SpinnerProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    return NoThrow(0, [&] { return spinnerMessage(w, message, wParam, lParam); });
}

LRESULT CALLBACK SpinButtonProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    return NoThrow(0, [&] { return spinButtonMessage(w, message, wParam, lParam); });
}

double SpinnerValueOf(HWND spinner) {
    const auto* value = reinterpret_cast<const double*>(SendMessageA(spinner, SPNM_GETVALUE, 0, 0));
    return value ? *value : 0.0;
}

}  // namespace qf
