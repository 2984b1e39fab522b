// Number conversions of the OBJ and MTL readers, independent of the process locale.
#pragma once
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
double parseReal(const char* begin, const char* end, bool& consumed);

// The same, narrowed to float by rounding to nearest.
inline float parseFloat(const char* text) { return static_cast<float>(parseReal(text)); }

}  // namespace qf
