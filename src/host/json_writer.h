// A small streaming JSON writer: enough for the tool's reports, with every text escaped. It gathers
// its text in blocks of its own, so that scenes of millions of numbers take little time.
#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <ostream>
#include <string_view>

#include "host/xsi_sdk.h"

namespace qf {

// Room for one number's text as formatNumber writes it, with a terminator.
constexpr size_t kNumberTextSize = 32;

class XSI_SDK_API JsonWriter {
public:
    explicit JsonWriter(std::ostream& out);
    // Hands the rest to the stream.
    ~JsonWriter();
    JsonWriter(const JsonWriter&) = delete;
    JsonWriter& operator=(const JsonWriter&) = delete;

    JsonWriter& beginObject();
    JsonWriter& endObject();
    JsonWriter& beginArray();
    JsonWriter& endArray();
    JsonWriter& key(std::string_view name);
    JsonWriter& value(std::string_view text);
    JsonWriter& value(const char* text) { return value(std::string_view(text)); }
    // A text already in UTF-8 (as glTF holds its names): its bytes above 127 go out as they are.
    JsonWriter& utf8Value(std::string_view text);
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

    // The text is gathered in blocks and handed to the stream a block at a time (a scene runs to
    // hundreds of megabytes, mostly short numbers). flush hands over what is gathered; false when
    // the stream refused some of it or the writing was cancelled, the stream then marked bad.
    bool flush();

    // Once the flag is set the writer stops: the stream is marked bad, what is gathered is dropped
    // and cancelled() turns true. It is looked at whenever an array or an object begins.
    void setCancelFlag(const std::atomic<bool>* flag) { cancel_ = flag; }
    bool cancelled() const { return cancelled_; }

private:
    static constexpr size_t kBlockSize = size_t(1) << 16;
    void separate() {
        if (needComma_) put(',');
        needComma_ = false;
    }
    void lookAtCancel();
    void put(char c) { *room(1) = c, ++used_; }
    void put(const char* text, size_t length);
    // Room for n more bytes (n at most the block size) at the end of the gathered text.
    char* room(size_t n) {
        if (kBlockSize - used_ < n) writeBlock();
        return block_.get() + used_;
    }
    void writeBlock();
    // Bytes above 127 are escaped one by one, or kept as they are when the text is UTF-8.
    void writeString(std::string_view text, bool utf8 = false);
    // A number's text, formatted straight into the block with its separator.
    template <typename Format>
    JsonWriter& number(Format format);

    // Texts of the floats written lately, by a hash of their bits: a scene repeats its coordinates
    // (a grid's rows, texture coordinates), and copying a text is cheaper than making it again.
    struct FloatText {
        uint32_t bits = 0xffffffffu;  // a NaN: never a cached value
        uint8_t length = 0;
        char text[kNumberTextSize - 5];
    };
    static constexpr int kFloatCacheBits = 12;
    char* floatText(float number, char* out);

    std::ostream& out_;
    std::unique_ptr<char[]> block_;
    std::unique_ptr<FloatText[]> floats_;  // made with the first float
    size_t used_ = 0;
    bool needComma_ = false;
    bool failed_ = false;
    bool cancelled_ = false;
    const std::atomic<bool>* cancel_ = nullptr;
};

// True when the text is a number as JSON writes one.
XSI_SDK_API bool isJsonNumber(std::string_view text);


// Writes a finite value as printf's "%.9g" writes it (no terminator); returns the text's end.
XSI_SDK_API char* formatNumber(double value, char* out);

// Bytes of the names are the host's single-byte code page: bytes above 127 are written as
// \u00XX so that the output is always valid JSON.
XSI_SDK_API void writeJsonString(std::ostream& out, std::string_view text);

}  // namespace qf
