#include "host/json_writer.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace qf {

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

void writeJsonString(std::ostream& out, std::string_view text) { JsonWriter(out).value(text); }

JsonWriter::JsonWriter(std::ostream& out) : out_(out), block_(new char[kBlockSize]) {}

JsonWriter::~JsonWriter() { writeBlock(); }

void JsonWriter::writeBlock() {
    if (used_ && !failed_ && out_.rdbuf()->sputn(block_.get(), std::streamsize(used_)) != std::streamsize(used_)) {
        failed_ = true;
        out_.setstate(std::ios::badbit);
    }
    used_ = 0;
}

bool JsonWriter::flush() {
    writeBlock();
    return !failed_;
}

void JsonWriter::put(const char* text, size_t length) {
    if (length <= kBlockSize - used_) {
        std::memcpy(block_.get() + used_, text, length);
        used_ += length;
        return;
    }
    writeBlock();
    if (length < kBlockSize) {
        std::memcpy(block_.get(), text, length);
        used_ = length;
    } else if (!failed_ && out_.rdbuf()->sputn(text, std::streamsize(length)) != std::streamsize(length)) {
        failed_ = true;
        out_.setstate(std::ios::badbit);
    }
}

void JsonWriter::writeString(std::string_view text, bool utf8) {
    put('"');
    const char* run = text.data();  // characters written as they are, put in one piece
    const char* const end = text.data() + text.size();
    for (const char* p = run; p < end; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (((c >= 0x20 && c < 0x7f) || (utf8 && c >= 0x80)) && c != '"' && c != '\\') continue;
        put(run, size_t(p - run));
        run = p + 1;
        switch (c) {
        case '"': put("\\\"", 2); break;
        case '\\': put("\\\\", 2); break;
        case '\n': put("\\n", 2); break;
        case '\r': put("\\r", 2); break;
        case '\t': put("\\t", 2); break;
        default: {
            static const char hex[] = "0123456789abcdef";
            const char esc[6] = {'\\', 'u', '0', '0', hex[c >> 4], hex[c & 15]};
            put(esc, 6);
        }
        }
    }
    put(run, size_t(end - run));
    put('"');
}

void JsonWriter::lookAtCancel() {
    if (cancel_ && !cancelled_ && cancel_->load(std::memory_order_relaxed)) {
        cancelled_ = failed_ = true;
        used_ = 0;
        out_.setstate(std::ios::badbit);
    }
}

JsonWriter& JsonWriter::beginObject() {
    lookAtCancel();
    separate();
    put('{');
    return *this;
}
JsonWriter& JsonWriter::endObject() {
    put('}');
    needComma_ = true;
    return *this;
}
JsonWriter& JsonWriter::beginArray() {
    lookAtCancel();
    separate();
    put('[');
    return *this;
}
JsonWriter& JsonWriter::endArray() {
    put(']');
    needComma_ = true;
    return *this;
}
JsonWriter& JsonWriter::key(std::string_view name) {
    separate();
    writeString(name);
    put(':');
    return *this;
}
JsonWriter& JsonWriter::value(std::string_view text) {
    separate();
    writeString(text);
    needComma_ = true;
    return *this;
}
JsonWriter& JsonWriter::utf8Value(std::string_view text) {
    separate();
    writeString(text, true);
    needComma_ = true;
    return *this;
}
JsonWriter& JsonWriter::numberOrText(std::string_view text) {
    if (!isJsonNumber(text)) return value(text);
    separate();
    put(text.data(), text.size());
    needComma_ = true;
    return *this;
}
JsonWriter& JsonWriter::raw(std::string_view text) {
    put(text.data(), text.size());
    return *this;
}

// Numbers are the bulk of a scene: each is formatted in place, its separator before it.
template <typename Format>
JsonWriter& JsonWriter::number(Format format) {
    char* const start = room(kNumberTextSize + 1);
    char* p = start;
    if (needComma_) *p++ = ',';
    p = format(p);
    used_ += size_t(p - start);
    needComma_ = true;
    return *this;
}
JsonWriter& JsonWriter::value(int64_t n) {
    return number([n](char* p) { return std::to_chars(p, p + kNumberTextSize, n).ptr; });
}
JsonWriter& JsonWriter::value(uint64_t n) {
    return number([n](char* p) { return std::to_chars(p, p + kNumberTextSize, n).ptr; });
}
JsonWriter& JsonWriter::value(double n) {
    return number([n](char* p) {
        if (std::isfinite(n)) return formatNumber(n, p);
        std::memcpy(p, "null", 4);
        return p + 4;
    });
}
char* JsonWriter::floatText(float number, char* out) {
    uint32_t bits;
    std::memcpy(&bits, &number, sizeof bits);
    if (!floats_) floats_.reset(new FloatText[size_t(1) << kFloatCacheBits]);
    FloatText& cached = floats_[(bits * 2654435761u) >> (32 - kFloatCacheBits)];
    if (cached.bits != bits) {
        // The shortest text is at most 15 characters ("-1.23456789e-38").
        const char* end = std::to_chars(cached.text, cached.text + sizeof cached.text, number).ptr;
        cached.bits = bits;
        cached.length = uint8_t(end - cached.text);
    }
    std::memcpy(out, cached.text, sizeof cached.text);  // a whole entry: one fixed-size copy
    return out + cached.length;
}
JsonWriter& JsonWriter::value(float n) {
    return number([this, n](char* p) {
        if (std::isfinite(n)) return floatText(n, p);
        std::memcpy(p, "null", 4);
        return p + 4;
    });
}
JsonWriter& JsonWriter::value(bool flag) {
    separate();
    if (flag) put("true", 4);
    else put("false", 5);
    needComma_ = true;
    return *this;
}

}  // namespace qf
