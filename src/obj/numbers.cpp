#include "obj/numbers.h"

#include <charconv>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <limits>
#if !defined(_WIN32)
#include <locale.h>
#endif

namespace qf {

namespace {

inline bool isSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// The slow path for what from_chars does not take (hex, values out of range): the C library's
// own conversion in the classic locale.
double parseRealClassic(const char* text, bool& consumed) {
    char* end = nullptr;
#if defined(_WIN32)
    static _locale_t classic = _create_locale(LC_NUMERIC, "C");
    double value = _strtod_l(text, &end, classic);
#else
    static locale_t classic = newlocale(LC_NUMERIC_MASK, "C", nullptr);
    double value = strtod_l(text, &end, classic);
#endif
    consumed = end != text;
    return value;
}

}  // namespace

int32_t parseInt(const char* text) {
    const char* p = text;
    while (isSpace(*p)) ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = (*p++ == '-');
    int64_t value = 0;
    constexpr int64_t limit = int64_t(std::numeric_limits<int32_t>::max()) + 1;
    for (; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + (*p - '0');
        if (value > limit) value = limit;  // saturate; the sign decides the clamp below
    }
    if (negative) value = -value;
    if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

double parseReal(const char* text, bool& consumed) {
    consumed = false;
    const char* p = text;
    while (isSpace(*p)) ++p;
    const char* digits = p;
    if (*digits == '+') {
        ++digits;
        if (*digits == '-' || *digits == '+') return 0.0;
    }
    // Hexadecimal numbers are rare enough to leave to the C library.
    const char* q = (*digits == '-') ? digits + 1 : digits;
    if (q[0] == '0' && (q[1] == 'x' || q[1] == 'X')) return parseRealClassic(text, consumed);

    double value = 0.0;
    const char* end = digits + std::strlen(digits);
    auto result = std::from_chars(digits, end, value, std::chars_format::general);
    if (result.ec == std::errc()) {
        consumed = true;
        return value;
    }
    if (result.ec == std::errc::invalid_argument) return 0.0;
    return parseRealClassic(text, consumed);  // out of range: infinity or a denormal, as strtod gives
}

double parseReal(const char* text) {
    bool consumed;
    return parseReal(text, consumed);
}

}  // namespace qf
