#include "host/json_writer.h"

#include <cmath>
#include <cstdio>

namespace qf {

void writeJsonString(std::ostream& out, std::string_view text) {
    out << '"';
    for (char ch : text) {
        unsigned char c = static_cast<unsigned char>(ch);
        switch (c) {
        case '"': out << "\\\""; break;
        case '\\': out << "\\\\"; break;
        case '\n': out << "\\n"; break;
        case '\r': out << "\\r"; break;
        case '\t': out << "\\t"; break;
        default:
            if (c < 0x20 || c >= 0x7f) {
                char esc[8];
                std::snprintf(esc, sizeof esc, "\\u%04x", c);
                out << esc;
            } else {
                out << ch;
            }
        }
    }
    out << '"';
}

void JsonWriter::separate() {
    if (needComma_) out_ << ',';
    needComma_ = false;
}

JsonWriter& JsonWriter::beginObject() {
    separate();
    out_ << '{';
    return *this;
}
JsonWriter& JsonWriter::endObject() {
    out_ << '}';
    needComma_ = true;
    return *this;
}
JsonWriter& JsonWriter::beginArray() {
    separate();
    out_ << '[';
    return *this;
}
JsonWriter& JsonWriter::endArray() {
    out_ << ']';
    needComma_ = true;
    return *this;
}
JsonWriter& JsonWriter::key(std::string_view name) {
    separate();
    writeJsonString(out_, name);
    out_ << ':';
    return *this;
}
JsonWriter& JsonWriter::value(std::string_view text) {
    separate();
    writeJsonString(out_, text);
    needComma_ = true;
    return *this;
}
JsonWriter& JsonWriter::value(int64_t number) {
    separate();
    out_ << number;
    needComma_ = true;
    return *this;
}
JsonWriter& JsonWriter::value(double number) {
    separate();
    if (std::isfinite(number)) {
        char text[32];
        std::snprintf(text, sizeof text, "%.9g", number);
        out_ << text;
    } else {
        out_ << "null";
    }
    needComma_ = true;
    return *this;
}
JsonWriter& JsonWriter::value(bool flag) {
    separate();
    out_ << (flag ? "true" : "false");
    needComma_ = true;
    return *this;
}

}  // namespace qf
