#include "controls/spinner_logic.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace qf {

namespace {

double clampToRange(double v, const SpinnerSettings& s) { return std::min(std::max(v, s.min), s.max); }

void keepAboveMax(SpinnerValue& s) {
    const SpinnerSettings& r = s.settings;
    if (!(s.value > r.max)) return;
    // A wrap goes round the range once; a value still outside after it stops at the end.
    s.value = r.wrap ? s.value - (r.max - r.min + 1.0) : r.max;
    s.value = clampToRange(s.value, r);
}

void keepBelowMin(SpinnerValue& s) {
    const SpinnerSettings& r = s.settings;
    if (!(s.value < r.min)) return;
    s.value = r.wrap ? s.value + (r.max - r.min + 1.0) : r.min;
    s.value = clampToRange(s.value, r);
}

}  // namespace

bool applySpinnerSettings(SpinnerValue& s, double min, double max, double step, int decimals, bool wrap) {
    if (!std::isfinite(min) || !std::isfinite(max) || !std::isfinite(step) || !(step > 0.0)) return false;
    SpinnerSettings& r = s.settings;
    r.min = std::min(min, max);
    r.max = std::max(min, max);
    r.step = step;
    r.decimals = std::clamp(decimals, 0, kSpinnerMaxDecimals);
    r.wrap = wrap;
    return true;
}

double spinStepFactor(bool ctrl, bool alt, int decimals) {
    if (decimals > 0 && alt) return 0.1;
    return ctrl ? 10.0 : 1.0;
}

void spinIncrease(SpinnerValue& s, int count, double factor) {
    if (count == 0) {
        s.valueBefore = s.value;
        s.value += s.settings.step;
    } else {
        s.value += count * s.settings.step * factor;
    }
    keepAboveMax(s);
}

void spinDecrease(SpinnerValue& s, int count, double factor) {
    if (count == 0) {
        s.valueBefore = s.value;
        s.value -= s.settings.step;
    } else {
        s.value -= count * s.settings.step * factor;
    }
    keepBelowMin(s);
}

void spinKey(SpinnerValue& s, bool up, double factor) {
    s.value += (up ? 1.0 : -1.0) * s.settings.step * factor;
    keepAboveMax(s);
    keepBelowMin(s);
}

int wheelNotches(int delta) { return delta / 120; }

void spinResetDefault(SpinnerValue& s) { s.value = std::max(s.defaultValue, s.settings.min); }

int spinDragSteps(int lastY, int y) { return (lastY - y) / 5; }

void formatSpinnerValue(double value, int decimals, char* out, size_t size) {
    if (size == 0) return;
    char text[kSpinnerTextSize];
    std::snprintf(text, sizeof text, "%.*f", std::clamp(decimals, 0, kSpinnerMaxDecimals), value);
    if (char* point = std::strchr(text, '.')) {
        char* end = text + std::strlen(text);
        while (end > point + 2 && end[-1] == '0') *--end = '\0';
    }
    // "-0.0" after a step that lands a hair below zero reads as zero.
    const char* shown = text;
    if (text[0] == '-' && std::strspn(text + 1, "0.") == std::strlen(text + 1)) shown = text + 1;
    std::snprintf(out, size, "%s", shown);
}

double parseSpinnerText(const char* text, const SpinnerSettings& settings) {
    const char* begin = text;
    while (*begin == ' ' || *begin == '\t') ++begin;
    const char* end = begin + std::strlen(begin);
    double v = 0.0;
    const auto result = std::from_chars(begin, end, v, std::chars_format::general);
    if (result.ec != std::errc() || !std::isfinite(v)) v = 0.0;
    return clampToRange(v, settings);
}

}  // namespace qf
