// A small streaming JSON writer: enough for the tool's reports, with every text escaped. It writes
// straight into the stream's buffer, so that scenes of millions of numbers take little time.
#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string_view>

#include "host/xsi_sdk.h"

namespace qf {

class XSI_SDK_API JsonWriter {
public:
    explicit JsonWriter(std::ostream& out) : out_(out) {}
    JsonWriter& beginObject();
    JsonWriter& endObject();
    JsonWriter& beginArray();
    JsonWriter& endArray();
    JsonWriter& key(std::string_view name);
    JsonWriter& value(std::string_view text);
    JsonWriter& value(const char* text) { return value(std::string_view(text)); }
    JsonWriter& value(int64_t number);
    JsonWriter& value(int number) { return value(int64_t(number)); }
    JsonWriter& value(uint64_t number);
    JsonWriter& value(double number);
    // The shortest text that reads back as the same float; null when it is not finite.
    JsonWriter& value(float number);
    JsonWriter& value(bool flag);
    // A text that is already a JSON number ("0.25", "-3e-05") as that number; any other as a text.
    JsonWriter& numberOrText(std::string_view text);
    // Text written as it is, between values: the line break at the end of a document.
    JsonWriter& raw(std::string_view text);

    // Once the flag is set the writer stops: the stream is marked failed and cancelled() turns
    // true. It is looked at whenever an array or an object begins.
    void setCancelFlag(const std::atomic<bool>* flag) { cancel_ = flag; }
    bool cancelled() const { return cancelled_; }

private:
    void separate();
    void lookAtCancel();
    std::ostream& out_;
    bool needComma_ = false;
    bool cancelled_ = false;
    const std::atomic<bool>* cancel_ = nullptr;
};

// True when the text is a number as JSON writes one.
XSI_SDK_API bool isJsonNumber(std::string_view text);

// Room for one number's text as formatNumber writes it, with a terminator.
constexpr size_t kNumberTextSize = 32;

// Writes a finite value as printf's "%.9g" writes it (no terminator); returns the text's end.
XSI_SDK_API char* formatNumber(double value, char* out);

// Bytes of the names are the host's single-byte code page: bytes above 127 are written as
// \u00XX so that the output is always valid JSON.
XSI_SDK_API void writeJsonString(std::ostream& out, std::string_view text);

}  // namespace qf
