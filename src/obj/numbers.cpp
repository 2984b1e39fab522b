#include "obj/numbers.h"

#include <charconv>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#if !defined(_WIN32)
#include <locale.h>
#endif

namespace qf {

namespace {

inline bool isSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// The slow path for what from_chars does not take (hex, values out of range): the C library's
// own conversion in the classic locale, on a terminated copy of the text.
double parseRealClassic(const char* begin, const char* end, bool& consumed) {
    const std::string text(begin, end);
    char* stop = nullptr;
#if defined(_WIN32)
    static _locale_t classic = _create_locale(LC_NUMERIC, "C");
    double value = _strtod_l(text.c_str(), &stop, classic);
#else
    static locale_t classic = newlocale(LC_NUMERIC_MASK, "C", nullptr);
    double value = strtod_l(text.c_str(), &stop, classic);
#endif
    consumed = stop != text.c_str();
    return value;
}

}  // namespace

int32_t parseIntSlow(const char* begin, const char* end) {
    const char* p = begin;
    while (p < end && isSpace(*p)) ++p;
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) negative = (*p++ == '-');
    int64_t value = 0;
    constexpr int64_t limit = int64_t(std::numeric_limits<int32_t>::max()) + 1;
    for (; p < end && *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + (*p - '0');
        if (value > limit) value = limit;  // saturate; the sign decides the clamp below
    }
    if (negative) value = -value;
    if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

int32_t parseInt(const char* text) { return parseInt(text, text + std::strlen(text)); }

double parseRealSlow(const char* begin, const char* end, bool& consumed) {
    consumed = false;
    const char* p = begin;
    while (p < end && isSpace(*p)) ++p;
    const char* digits = p;
    if (digits < end && *digits == '+') {
        ++digits;
        if (digits < end && (*digits == '-' || *digits == '+')) return 0.0;
    }
    // Hexadecimal numbers: from_chars reads them without their prefix. Every platform then gives
    // the same value (some C libraries' strtod does not read them at all).
    const char* q = (digits < end && *digits == '-') ? digits + 1 : digits;
    if (end - q >= 2 && q[0] == '0' && (q[1] == 'x' || q[1] == 'X')) {
        double hex = 0.0;
        auto r = std::from_chars(q + 2, end, hex, std::chars_format::hex);
        consumed = true;  // "0x" with no digits still reads as the number 0
        if (r.ec == std::errc::result_out_of_range) return parseRealClassic(begin, end, consumed);
        if (r.ec != std::errc() || (q + 2 < end && (q[2] == '-' || q[2] == '+'))) hex = 0.0;
        return (q != digits) ? -hex : hex;
    }

    double value = 0.0;
    auto result = std::from_chars(digits, end, value, std::chars_format::general);
    if (result.ec == std::errc()) {
        consumed = true;
        return value;
    }
    if (result.ec == std::errc::invalid_argument) return 0.0;
    return parseRealClassic(begin, end, consumed);  // out of range: infinity or a denormal, as strtod gives
}

double parseReal(const char* text, bool& consumed) { return parseReal(text, text + std::strlen(text), consumed); }

double parseReal(const char* text) {
    bool consumed;
    return parseReal(text, consumed);
}

}  // namespace qf
