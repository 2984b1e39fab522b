// The value of a numeric spinner, without its windows: stepping by arrows, keys, wheel and drag,
// the range rules, the text it shows and the text typed into it.
#pragma once
#include <cstddef>
#include <cstdint>

namespace qf {

struct SpinnerSettings {
    double min = 0.0;
    double max = 100.0;
    double step = 1.0;
    int decimals = 0;  // kept within 0..kSpinnerMaxDecimals
    bool wrap = false;
};

constexpr int kSpinnerMaxDecimals = 9;
// Room for the shown text: any double with the most decimals fits cut, never past the end.
constexpr size_t kSpinnerTextSize = 64;

struct SpinnerValue {
    SpinnerSettings settings;
    double value = 0.0;
    double valueBefore = 0.0;  // where the current press or step began
    double defaultValue = 0.0;
};

// Settings from the caller's record: decimals brought into range, min and max in order.
// False (nothing changed) for a range that is not finite or a step that is not positive.
bool applySpinnerSettings(SpinnerValue& s, double min, double max, double step, int decimals, bool wrap);

// The step multiplier of the modifier keys: Ctrl 10; Alt a tenth when there are decimals.
double spinStepFactor(bool ctrl, bool alt, int decimals);

// count 0 is one plain step (the value before it is remembered); count n steps n times the step
// times the factor. Past the range the value wraps or stops at the end.
void spinIncrease(SpinnerValue& s, int count, double factor);
void spinDecrease(SpinnerValue& s, int count, double factor);
// An arrow key: one step times the factor.
void spinKey(SpinnerValue& s, bool up, double factor);
// Whole notches of a wheel delta, signed; a part of a notch is none.
int wheelNotches(int delta);
// Right click on an idle arrow: the default, at least min.
void spinResetDefault(SpinnerValue& s);
// Steps of a vertical drag on a held arrow: one per 5 pixels upwards, negative downwards.
int spinDragSteps(int lastY, int y);

// The text of a value: fixed decimals, trailing zeros dropped but one kept after the point, no
// sign on a zero. out holds size bytes and is always terminated.
void formatSpinnerValue(double value, int decimals, char* out, size_t size);
// Typed text: its longest leading decimal number (0 when there is none), within the range.
double parseSpinnerText(const char* text, const SpinnerSettings& settings);

}  // namespace qf
