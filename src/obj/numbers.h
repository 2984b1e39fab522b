// Number conversions of the OBJ and MTL readers, independent of the process locale.
#pragma once
#include <cstddef>
#include <cstdint>

namespace qf {

// Base-10 conversion of the leading part of a text: optional white space, optional sign, digits.
// No digits gives 0; values beyond the 32-bit range are clamped to it.
int32_t parseInt(const char* text);
// The same on the characters begin .. end-1 (no terminator needed).
int32_t parseIntSlow(const char* begin, const char* end);
inline int32_t parseInt(const char* begin, const char* end) {
    // Face corners are mostly a few plain digits: take those here, everything else the long way.
    int32_t value = 0;
    const char* p = begin;
    while (p < end && *p >= '0' && *p <= '9' && p - begin < 9) value = value * 10 + (*p++ - '0');
    if (p > begin && (p == end || *p < '0' || *p > '9')) return value;
    return parseIntSlow(begin, end);
}

// Decimal conversion of the leading part of a text to double, with the same result as strtod in
// the classic locale: no number gives 0.0, a value beyond the double range an infinity.
double parseReal(const char* text);

// The same; consumed tells whether the text began with a number at all.
double parseReal(const char* text, bool& consumed);
double parseRealSlow(const char* begin, const char* end, bool& consumed);

// The plain decimal numbers of OBJ files, converted exactly without the library: at most 19
// digits whose value fits a double's 53-bit mantissa, scaled by at most 22 powers of ten. Both
// are then exact, and one multiplication or division rounds once, as the correctly rounded
// conversion does. Anything else (more digits, hex, inf, nan, white space) returns false.
// On success p is moved behind the number (and its exponent).
template <bool kTerminated>
inline bool parseRealFastImpl(const char*& p, const char* end, double& value) {
    static constexpr double kPowers[23] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                           1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    // A terminated text ends at its NUL, which no test below takes for part of a number.
    auto in = [end](const char* at) { return kTerminated || at < end; };
    const char* s = p;
    bool negative = false;
    if (in(s) && (*s == '-' || *s == '+')) negative = *s++ == '-';
    const char* digits = s;
    uint64_t mantissa = 0;
    while (in(s) && unsigned(*s - '0') < 10) mantissa = mantissa * 10 + unsigned(*s++ - '0');
    const std::ptrdiff_t whole = s - digits;
    std::ptrdiff_t fraction = 0;
    if (in(s) && *s == '.') {
        const char* first = ++s;
        while (in(s) && unsigned(*s - '0') < 10) mantissa = mantissa * 10 + unsigned(*s++ - '0');
        fraction = s - first;
    }
    if (whole + fraction == 0 || whole + fraction > 19) return false;
    if (whole == 1 && fraction == 0 && *digits == '0' && in(s) && (*s == 'x' || *s == 'X')) return false;
    int exponent = 0;
    if (in(s) && (*s == 'e' || *s == 'E')) {
        const char* e = s + 1;
        bool negativeExponent = false;
        if (in(e) && (*e == '-' || *e == '+')) negativeExponent = *e++ == '-';
        if (in(e) && unsigned(*e - '0') < 10) {  // "1e" and "1e+" end before the e
            while (in(e) && unsigned(*e - '0') < 10) {
                if (exponent < 100000) exponent = exponent * 10 + (*e - '0');
                ++e;
            }
            if (negativeExponent) exponent = -exponent;
            s = e;
        }
    }
    exponent -= int(fraction);
    if (mantissa > (uint64_t(1) << 53)) return false;
    double v = double(mantissa);
    if (mantissa != 0) {
        if (exponent < -22 || exponent > 22) return false;
        v = exponent >= 0 ? v * kPowers[exponent] : v / kPowers[-exponent];
    }
    value = negative ? -v : v;
    p = s;
    return true;
}

inline bool parseRealFast(const char*& p, const char* end, double& value) {
    return parseRealFastImpl<false>(p, end, value);
}

// The same on a NUL-terminated text: no bound to test at every character.
inline bool parseRealFast(const char*& p, double& value) { return parseRealFastImpl<true>(p, nullptr, value); }

inline double parseReal(const char* begin, const char* end, bool& consumed) {
    double value;
    const char* p = begin;
    if (parseRealFast(p, end, value)) {
        consumed = true;
        return value;
    }
    return parseRealSlow(begin, end, consumed);
}

// The same, narrowed to float by rounding to nearest.
inline float parseFloat(const char* text) { return static_cast<float>(parseReal(text)); }

}  // namespace qf
