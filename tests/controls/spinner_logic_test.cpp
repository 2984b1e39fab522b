#include "controls/spinner_logic.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace qf {
namespace {

std::string shown(const SpinnerValue& s) {
    char text[kSpinnerTextSize];
    formatSpinnerValue(s.value, s.settings.decimals, text, sizeof text);
    return text;
}

SpinnerValue spinner(double min, double max, double step, int decimals, bool wrap, double value) {
    SpinnerValue s;
    EXPECT_TRUE(applySpinnerSettings(s, min, max, step, decimals, wrap));
    s.value = value;
    return s;
}

TEST(SpinnerLogic, ArrowClicksWithModifiers) {
    SpinnerValue s = spinner(0.001, 10000, 0.1, 3, false, 1.0);
    EXPECT_EQ(shown(s), "1.0");
    spinIncrease(s, 1, spinStepFactor(false, false, 3));
    EXPECT_EQ(shown(s), "1.1");
    s.value = 1.0;
    spinIncrease(s, 1, spinStepFactor(true, false, 3));
    EXPECT_EQ(shown(s), "2.0");
    s.value = 1.0;
    spinIncrease(s, 1, spinStepFactor(true, true, 3));  // Alt wins over Ctrl
    EXPECT_EQ(shown(s), "1.01");
    EXPECT_EQ(spinStepFactor(false, true, 0), 1.0);  // no tenths without decimals
    EXPECT_EQ(spinStepFactor(true, true, 0), 10.0);
}

TEST(SpinnerLogic, PlainStepRemembersWhereItBegan) {
    SpinnerValue s = spinner(0, 100, 1, 0, false, 7);
    spinDecrease(s, 0, 10.0);  // a plain step ignores the factor
    EXPECT_EQ(s.value, 6);
    EXPECT_EQ(s.valueBefore, 7);
    spinIncrease(s, 3, 1.0);
    EXPECT_EQ(s.value, 9);
    EXPECT_EQ(s.valueBefore, 7);
    s.defaultValue = -5;
    spinResetDefault(s);
    EXPECT_EQ(s.value, 0);  // raised to min
}

TEST(SpinnerLogic, RangeEndsStopOrWrapInsideTheRange) {
    SpinnerValue s = spinner(-100, 100, 0.1, 2, false, 99.95);
    spinIncrease(s, 1, 1.0);
    EXPECT_EQ(shown(s), "100.0");
    spinKey(s, false, 10.0);
    EXPECT_EQ(shown(s), "99.0");
    s.value = -99.95;
    spinKey(s, false, 1.0);
    EXPECT_EQ(s.value, -100);

    SpinnerValue digit = spinner(0, 9, 1, 0, true, 9);
    spinIncrease(digit, 1, 1.0);
    EXPECT_EQ(digit.value, 0);
    spinDecrease(digit, 1, 1.0);
    EXPECT_EQ(digit.value, 9);
    SpinnerValue shifted = spinner(5, 9, 1, 0, true, 9);
    spinIncrease(shifted, 1, 1.0);
    EXPECT_EQ(shifted.value, 5);
    spinIncrease(shifted, 100, 1.0);  // far past the end: stops at it
    EXPECT_EQ(shifted.value, 9);
}

TEST(SpinnerLogic, ShownText) {
    char text[kSpinnerTextSize];
    formatSpinnerValue(0.1, 3, text, sizeof text);
    EXPECT_STREQ(text, "0.1");
    formatSpinnerValue(10.0, 1, text, sizeof text);
    EXPECT_STREQ(text, "10.0");
    formatSpinnerValue(12.0, 0, text, sizeof text);
    EXPECT_STREQ(text, "12");
    formatSpinnerValue(0.3 - 0.1 - 0.1 - 0.1, 2, text, sizeof text);  // a hair below zero
    EXPECT_STREQ(text, "0.0");
    formatSpinnerValue(-0.25, 2, text, sizeof text);
    EXPECT_STREQ(text, "-0.25");
    char small[6];
    formatSpinnerValue(1e300, 9, small, sizeof small);  // cut, never past the end
    EXPECT_STREQ(small, "10000");
}

TEST(SpinnerLogic, TypedTextReadsItsLeadingNumberWithinTheRange) {
    SpinnerSettings scale;
    scale.min = 0.001;
    scale.max = 10000;
    EXPECT_EQ(parseSpinnerText("2.5", scale), 2.5);
    EXPECT_EQ(parseSpinnerText("12abc", scale), 12);
    EXPECT_EQ(parseSpinnerText("-", scale), 0.001);
    EXPECT_EQ(parseSpinnerText(".", scale), 0.001);
    EXPECT_EQ(parseSpinnerText("", scale), 0.001);
    EXPECT_EQ(parseSpinnerText("1e9", scale), 10000);
    EXPECT_EQ(parseSpinnerText("nan", scale), 0.001);
    EXPECT_EQ(parseSpinnerText(" -.5", scale), 0.001);
}

TEST(SpinnerLogic, SettingsAreCheckedAndWheelAndDragCountWholeSteps) {
    SpinnerValue s;
    EXPECT_FALSE(applySpinnerSettings(s, 0, 1, 0, 2, false));
    EXPECT_FALSE(applySpinnerSettings(s, 0, HUGE_VAL, 1, 2, false));
    EXPECT_TRUE(applySpinnerSettings(s, 10, -10, 1, 40, false));
    EXPECT_EQ(s.settings.min, -10);
    EXPECT_EQ(s.settings.max, 10);
    EXPECT_EQ(s.settings.decimals, kSpinnerMaxDecimals);

    EXPECT_EQ(wheelNotches(240), 2);
    EXPECT_EQ(wheelNotches(-120), -1);
    EXPECT_EQ(wheelNotches(60), 0);  // part of a notch: nothing
    EXPECT_EQ(spinDragSteps(100, 88), 2);  // 12 pixels up: two steps, two pixels left over
    EXPECT_EQ(spinDragSteps(100, 104), 0);
    EXPECT_EQ(spinDragSteps(100, 111), -2);
}

}  // namespace
}  // namespace qf
