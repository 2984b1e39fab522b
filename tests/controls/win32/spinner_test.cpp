// The spinner driven as the keyboard and mouse drive it, in a test window (run under Wine).
#include "controls/win32/spinner.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/win32/skin_core.h"
#include "support/win32_harness.h"

namespace qf {
namespace {

using test::holdModifiers;
using test::pump;

std::vector<std::pair<int, int>> g_commands;  // (id, code) the parent received

LRESULT CALLBACK ParentProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) g_commands.emplace_back(LOWORD(wParam), HIWORD(wParam));
    return DefWindowProcA(w, message, wParam, lParam);
}

struct SpinnerFixture : ::testing::Test {
    // One window for all cases: Wine takes its time over every top-level window that goes away.
    static HWND parent;
    HWND spinner = nullptr, edit = nullptr, up = nullptr, down = nullptr;

    static void SetUpTestSuite() {
        RegisterSkinControls(GetModuleHandleA(nullptr));
        WNDCLASSA wc = {};
        wc.lpfnWndProc = ParentProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "qfSpinnerTestParent";
        RegisterClassA(&wc);
        parent = CreateWindowA("qfSpinnerTestParent", "", WS_POPUP | WS_VISIBLE, 100, 100, 300, 120, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    }
    static void TearDownTestSuite() { DestroyWindow(parent); }

    void SetUp() override {
        ASSERT_NE(parent, nullptr);
        SetFocus(parent);
        spinner = CreateWindowA("qfSpinner", "", WS_CHILD | WS_VISIBLE, 10, 10, 90, 19, parent,
                                reinterpret_cast<HMENU>(INT_PTR(1116)), GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(spinner, nullptr);
        for (HWND c = GetWindow(spinner, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            char cls[32] = {};
            GetClassNameA(c, cls, sizeof cls);
            if (lstrcmpiA(cls, "Edit") == 0) edit = c;
            else if (!down) down = c;
            else up = c;
        }
        RECT a, b;
        GetWindowRect(up, &a);
        GetWindowRect(down, &b);
        if (a.top > b.top) std::swap(up, down);
        // The object scale of the options dialog.
        const SpinnerSetup setup{0.001, 10000, 0.1, 3, 0, 1};
        EXPECT_EQ(SendMessageA(spinner, SPNM_SETUP, 0, reinterpret_cast<LPARAM>(&setup)), 1);
        const double one = 1.0;
        SendMessageA(spinner, SPNM_SETDEFAULT, 0, reinterpret_cast<LPARAM>(&one));
        setValue(1.0);
        holdModifiers(false, false);
        g_commands.clear();
    }
    void TearDown() override {
        holdModifiers(false, false);
        DestroyWindow(spinner);
    }

    void setValue(double v) { SendMessageA(spinner, SPNM_SETVALUE, 0, reinterpret_cast<LPARAM>(&v)); }
    std::string text() const {
        char t[64] = {};
        GetWindowTextA(edit, t, sizeof t);
        return t;
    }
    double value() const { return SpinnerValueOf(spinner); }
    // A mouse point, also above or left of the window.
    static LPARAM at(int x, int y) { return MAKELPARAM(WORD(short(x)), WORD(short(y))); }
    void click(HWND arrow) {
        SendMessageA(arrow, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 4));
        SendMessageA(arrow, WM_LBUTTONUP, 0, MAKELPARAM(5, 4));
    }
};

HWND SpinnerFixture::parent = nullptr;

TEST_F(SpinnerFixture, ArrowClicksStepAndTellTheParentWithModifiers) {
    EXPECT_EQ(text(), "1.0");
    EXPECT_TRUE(g_commands.empty());  // values the program sets are not reported
    click(up);
    EXPECT_EQ(text(), "1.1");
    EXPECT_EQ(g_commands, (std::vector<std::pair<int, int>>{{1116, EN_CHANGE}}));
    setValue(1.0);
    holdModifiers(true, false);
    click(up);
    EXPECT_EQ(text(), "2.0");
    holdModifiers(false, false);
    click(down);
    EXPECT_EQ(text(), "1.9");
    const double* shown = reinterpret_cast<const double*>(SendMessageA(spinner, SPNM_GETVALUE, 0, 0));
    ASSERT_NE(shown, nullptr);
    EXPECT_NEAR(*shown, 1.9, 1e-9);
}

TEST_F(SpinnerFixture, KeysWheelAndTyping) {
    SendMessageA(edit, WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(text(), "1.1");
    holdModifiers(true, false);
    SendMessageA(edit, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(text(), "0.1");
    SendMessageA(edit, WM_SYSKEYDOWN, VK_DOWN, 0);  // and far below the minimum: stops at it
    EXPECT_EQ(text(), "0.001");
    holdModifiers(false, false);
    SendMessageA(spinner, WM_MOUSEWHEEL, MAKEWPARAM(0, 240), 0);
    EXPECT_NEAR(value(), 0.201, 1e-9);
    SendMessageA(spinner, WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(-60)), 0);  // less than a notch: nothing
    EXPECT_NEAR(value(), 0.201, 1e-9);

    // Typing: letters are swallowed; what is left is read when the field loses the focus.
    SetFocus(edit);
    SendMessageA(edit, EM_SETSEL, 0, -1);
    for (char c : std::string("2x.5"))
        SendMessageA(edit, WM_CHAR, WPARAM(c), 0);
    EXPECT_EQ(text(), "2.5");
    EXPECT_NEAR(value(), 2.5, 1e-9);
    SendMessageA(edit, EM_SETSEL, 0, -1);
    SendMessageA(edit, WM_CHAR, '-', 0);
    SetFocus(parent);
    EXPECT_EQ(text(), "0.001");  // "-" reads as 0, kept within the range
}

TEST_F(SpinnerFixture, HoldingAnArrowRepeatsAfterAPause) {
    SendMessageA(up, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 4));
    EXPECT_EQ(text(), "1.1");  // one step at once
    pump(250);
    EXPECT_EQ(text(), "1.1");  // no repeat before half a second
    test::pumpUntil([&] { return text() != "1.1"; }, 3000);
    EXPECT_EQ(text(), "1.2");
    test::pumpUntil([&] { return text() != "1.2"; }, 3000);
    EXPECT_EQ(text(), "1.3");
    SendMessageA(up, WM_LBUTTONUP, 0, MAKELPARAM(5, 4));
    pump(250);
    EXPECT_EQ(text(), "1.3");  // released: the repeat is over
}

TEST_F(SpinnerFixture, DraggingAHeldArrowStepsEveryFivePixels) {
    SendMessageA(up, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 4));  // 1.1
    SendMessageA(up, WM_MOUSEMOVE, MK_LBUTTON, at(5, 4 - 12));
    EXPECT_EQ(text(), "1.3");  // two steps up; two pixels left over
    SendMessageA(up, WM_MOUSEMOVE, MK_LBUTTON, at(5, 4 - 15));
    EXPECT_EQ(text(), "1.3");  // three pixels from the last step: none yet
    SendMessageA(up, WM_MOUSEMOVE, MK_LBUTTON, at(5, 4 - 12 + 6));
    EXPECT_EQ(text(), "1.2");  // six pixels down from where the last step was taken
    // The right button takes the whole press back.
    SendMessageA(up, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 4));
    EXPECT_EQ(text(), "1.0");
    SendMessageA(up, WM_RBUTTONUP, 0, MAKELPARAM(5, 4));
    EXPECT_EQ(GetCapture(), nullptr);
    // On an idle arrow it resets to the default.
    setValue(7.5);
    SendMessageA(down, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 4));
    SendMessageA(down, WM_RBUTTONUP, 0, MAKELPARAM(5, 4));
    EXPECT_EQ(text(), "1.0");
}

TEST_F(SpinnerFixture, PointerWrapsAtTheScreenEdgeWithoutAStep) {
    SendMessageA(up, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 4));  // 1.1
    POINT origin{0, 0};
    ClientToScreen(up, &origin);
    const int top = -origin.y;  // client y of the screen's row 0
    SendMessageA(up, WM_MOUSEMOVE, MK_LBUTTON, at(5, top));
    EXPECT_EQ(text(), "1.1");
    POINT cursor{};
    GetCursorPos(&cursor);
    EXPECT_EQ(cursor.y, GetSystemMetrics(SM_CYSCREEN) - 2);
    // The drag goes on from the bottom edge: 10 pixels up from there are two steps.
    SendMessageA(up, WM_MOUSEMOVE, MK_LBUTTON, at(5, top + GetSystemMetrics(SM_CYSCREEN) - 2 - 10));
    EXPECT_EQ(text(), "1.3");
    SendMessageA(up, WM_LBUTTONUP, 0, 0);
}

TEST_F(SpinnerFixture, LosingTheMouseEndsTheRepeat) {
    SendMessageA(up, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 4));  // 1.1
    SetCapture(parent);  // another window takes the mouse; no button release will come
    pump(800);
    EXPECT_EQ(text(), "1.1");
    ReleaseCapture();
}

}  // namespace
}  // namespace qf
