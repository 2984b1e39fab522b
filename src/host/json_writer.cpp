#include "host/json_writer.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace qf {

namespace {

// The way every text reaches the stream: straight into its buffer, a failed write marking the
// stream bad as the stream's own write would. Nothing is written after that.
void put(std::ostream& out, const char* text, size_t length) {
    if (out.rdstate() & std::ios::badbit) return;  // failed or cancelled: nothing more is written
    if (out.rdbuf()->sputn(text, std::streamsize(length)) != std::streamsize(length)) out.setstate(std::ios::badbit);
}

}  // namespace

char* formatNumber(double value, char* out) {
    // Scene values are mostly of a size printed without an exponent: their nine significant
    // digits are taken as an integer here. value * 10^(8-e) rounds once (the power is exact), an
    // error far below the margin to the halfway point that is required; values too close to it,
    // and every other size, go to the C library.
    static constexpr double kLower[13] = {1e-4, 1e-3, 1e-2, 1e-1, 1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8};
    static constexpr double kScale[13] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12};
    char* p = out;
    if (value == 0) {
        if (std::signbit(value)) *p++ = '-';
        *p++ = '0';
        return p;
    }
    const double magnitude = std::fabs(value);
    if (magnitude >= kLower[0] && magnitude < 1e9) {
        int index = 12;
        while (magnitude < kLower[index]) --index;
        const int e = index - 4;  // 10^e <= magnitude < 10^(e+1)
        const double scaled = magnitude * kScale[8 - e];
        const double whole = std::floor(scaled);
        const double fraction = scaled - whole;
        if (whole >= 1e8 && whole <= 999999998.0 && std::fabs(fraction - 0.5) > 1e-6) {
            uint32_t n = uint32_t(whole) + (fraction > 0.5 ? 1u : 0u);
            char digits[9];
            for (int i = 8; i >= 0; --i) {
                digits[i] = char('0' + n % 10);
                n /= 10;
            }
            int last = 8;  // trailing zeros of the fraction are not written
            while (last > e && last > 0 && digits[last] == '0') --last;
            if (value < 0) *p++ = '-';
            if (e >= 0) {
                for (int i = 0; i <= e; ++i) *p++ = digits[i];
                if (last > e) *p++ = '.';
                for (int i = e + 1; i <= last; ++i) *p++ = digits[i];
            } else {
                *p++ = '0';
                *p++ = '.';
                for (int i = 0; i < -e - 1; ++i) *p++ = '0';
                for (int i = 0; i <= last; ++i) *p++ = digits[i];
            }
            return p;
        }
    }
    return p + std::snprintf(p, kNumberTextSize, "%.9g", value);
}

bool isJsonNumber(std::string_view text) {
    // -? (0 | [1-9][0-9]*) (. [0-9]+)? ([eE] [+-]? [0-9]+)?
    size_t i = 0;
    const size_t n = text.size();
    auto digits = [&] {
        const size_t start = i;
        while (i < n && text[i] >= '0' && text[i] <= '9') ++i;
        return i - start;
    };
    if (i < n && text[i] == '-') ++i;
    if (i < n && text[i] == '0') ++i;
    else if (digits() == 0) return false;
    if (i < n && text[i] == '.') {
        ++i;
        if (digits() == 0) return false;
    }
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
        if (digits() == 0) return false;
    }
    return i == n;
}

void writeJsonString(std::ostream& out, std::string_view text) {
    put(out, "\"", 1);
    const char* run = text.data();  // characters written as they are, put in one piece
    const char* const end = text.data() + text.size();
    for (const char* p = run; p < end; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (c >= 0x20 && c < 0x7f && c != '"' && c != '\\') continue;
        put(out, run, size_t(p - run));
        run = p + 1;
        switch (c) {
        case '"': put(out, "\\\"", 2); break;
        case '\\': put(out, "\\\\", 2); break;
        case '\n': put(out, "\\n", 2); break;
        case '\r': put(out, "\\r", 2); break;
        case '\t': put(out, "\\t", 2); break;
        default: {
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\u%04x", c);
            put(out, esc, 6);
        }
        }
    }
    put(out, run, size_t(end - run));
    put(out, "\"", 1);
}

void JsonWriter::separate() {
    if (needComma_) put(out_, ",", 1);
    needComma_ = false;
}

void JsonWriter::lookAtCancel() {
    if (cancel_ && !cancelled_ && cancel_->load(std::memory_order_relaxed)) {
        cancelled_ = true;
        out_.setstate(std::ios::badbit);
    }
}

JsonWriter& JsonWriter::beginObject() {
    lookAtCancel();
    separate();
    put(out_, "{", 1);
    return *this;
}
JsonWriter& JsonWriter::endObject() {
    put(out_, "}", 1);
    needComma_ = true;
    return *this;
}
JsonWriter& JsonWriter::beginArray() {
    lookAtCancel();
    separate();
    put(out_, "[", 1);
    return *this;
}
JsonWriter& JsonWriter::endArray() {
    put(out_, "]", 1);
    needComma_ = true;
    return *this;
}
JsonWriter& JsonWriter::key(std::string_view name) {
    separate();
    writeJsonString(out_, name);
    put(out_, ":", 1);
    return *this;
}
JsonWriter& JsonWriter::value(std::string_view text) {
    separate();
    writeJsonString(out_, text);
    needComma_ = true;
    return *this;
}
JsonWriter& JsonWriter::value(uint64_t number) {
    char text[32];
    char* p = text;
    if (needComma_) *p++ = ',';
    p = std::to_chars(p, text + sizeof text, number).ptr;
    put(out_, text, size_t(p - text));
    needComma_ = true;
    return *this;
}
JsonWriter& JsonWriter::numberOrText(std::string_view text) {
    if (!isJsonNumber(text)) return value(text);
    separate();
    put(out_, text.data(), text.size());
    needComma_ = true;
    return *this;
}
JsonWriter& JsonWriter::raw(std::string_view text) {
    put(out_, text.data(), text.size());
    return *this;
}
// Numbers are the bulk of a scene: each goes out with its separator in one piece.
JsonWriter& JsonWriter::value(int64_t number) {
    char text[32];
    char* p = text;
    if (needComma_) *p++ = ',';
    p = std::to_chars(p, text + sizeof text, number).ptr;
    put(out_, text, size_t(p - text));
    needComma_ = true;
    return *this;
}
JsonWriter& JsonWriter::value(double number) {
    char text[kNumberTextSize + 1];
    char* p = text;
    if (needComma_) *p++ = ',';
    if (std::isfinite(number)) {
        p = formatNumber(number, p);
    } else {
        std::memcpy(p, "null", 4);
        p += 4;
    }
    put(out_, text, size_t(p - text));
    needComma_ = true;
    return *this;
}
JsonWriter& JsonWriter::value(float number) {
    char text[kNumberTextSize + 1];
    char* p = text;
    if (needComma_) *p++ = ',';
    if (std::isfinite(number)) {
        p = std::to_chars(p, text + sizeof text, number).ptr;
    } else {
        std::memcpy(p, "null", 4);
        p += 4;
    }
    put(out_, text, size_t(p - text));
    needComma_ = true;
    return *this;
}
JsonWriter& JsonWriter::value(bool flag) {
    separate();
    if (flag) put(out_, "true", 4);
    else put(out_, "false", 5);
    needComma_ = true;
    return *this;
}

}  // namespace qf
