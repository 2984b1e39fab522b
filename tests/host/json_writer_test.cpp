#include "host/json_writer.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <sstream>
#include <vector>

namespace qf {
namespace {

void expectLikePrintf(double value) {
    char expected[64];
    std::snprintf(expected, sizeof expected, "%.9g", value);
    char text[kNumberTextSize];
    char* end = formatNumber(value, text);
    ASSERT_EQ(std::string(text, size_t(end - text)), expected) << "bits of " << std::hexfloat << value;
}

// Scenes written by earlier builds are compared byte for byte: every number must read as the C
// library's nine significant digits, the values of OBJ files (floats, scaled, near powers of ten,
// halfway between two ninth digits) as much as any bit pattern.
TEST(JsonNumbers, ReadAsTheCLibraryWritesThem) {
    std::mt19937_64 rng(2026);
    std::uniform_real_distribution<double> wide(-1000, 1000);
    for (int i = 0; i < 200000; ++i) {
        const uint64_t bits = rng();
        double any;
        std::memcpy(&any, &bits, sizeof any);
        if (std::isfinite(any)) expectLikePrintf(any);
        expectLikePrintf(double(float(wide(rng))));
        expectLikePrintf(double(float(wide(rng))) * 2.5);
        expectLikePrintf(double(float(double(int64_t(rng() % 2000001) - 1000000) / 1e4)));
        expectLikePrintf((double(rng() % 1000000000) + 0.5) / 1e8);  // halfway cases
        const double power = std::pow(10.0, int(rng() % 30) - 12);
        expectLikePrintf(power);
        expectLikePrintf(std::nextafter(power, 0.0));
        expectLikePrintf(std::nextafter(power, 1e300));
    }
    for (double v : {0.0, -0.0, 1.0, -1.0, 0.1, 1e-4, 9.9999999949999e-5, 999999999.5, 999999998.5, 1e9, 123456789.0,
                     0.000123456789, std::numeric_limits<double>::denorm_min(), std::numeric_limits<double>::max()})
        expectLikePrintf(v);
}

TEST(JsonWriter, SeparatesEscapesAndWritesNonFiniteAsNull) {
    std::ostringstream out;
    {
        JsonWriter json(out);
        json.beginObject();
        json.key("a\"b\\\n\x01\xe9").value(int64_t(-7));
        json.key("list").beginArray().value(0.5).value(std::nan("")).value(true).value("x").endArray();
        // A text known to be UTF-8 keeps its bytes; only quotes, backslashes and controls escaped.
        json.key("utf8").utf8Value("caf\xc3\xa9 \"\x7f\n");
        json.endObject();
    }
    EXPECT_EQ(out.str(), "{\"a\\\"b\\\\\\n\\u0001\\u00e9\":-7,\"list\":[0.5,null,true,\"x\"],"
                         "\"utf8\":\"caf\xc3\xa9 \\\"\\u007f\\n\"}");
}

// A scene that cannot be written in full must not look written.
TEST(JsonWriter, AFailedWriteMarksTheStream) {
    struct Refusing : std::streambuf {
        int overflow(int) override { return traits_type::eof(); }
    } refusing;
    std::ostream refused(&refusing);
    JsonWriter json(refused);
    json.beginArray().value(1.5);
    EXPECT_FALSE(json.flush());
    EXPECT_TRUE(refused.bad());
}

// Texts longer than a block, and many blocks of numbers, come out whole and in order.
TEST(JsonWriter, DocumentsLongerThanABlockComeOutWhole) {
    const std::string longText(200000, 'x');
    std::string expected = "[\"" + longText + "\"";
    for (int i = 0; i < 100000; ++i) expected += "," + std::to_string(i);
    expected += ",\"" + longText.substr(0, 65535) + "\"]";
    std::ostringstream out;
    {
        JsonWriter json(out);
        json.beginArray().value(longText);
        for (int i = 0; i < 100000; ++i) json.value(i);
        json.value(std::string_view(longText).substr(0, 65535)).endArray();
    }
    EXPECT_EQ(out.str(), expected);
}

TEST(JsonWriter, TextsThatAreJsonNumbersBecomeNumbers) {
    for (const char* number : {"0", "-0", "0.25", "150", "-3e-05", "1E+30", "8449"}) EXPECT_TRUE(isJsonNumber(number)) << number;
    for (const char* text : {"", "-", "1.", ".5", "+1", "01", "1e", "inf", "nan", "0x10", "1 "})
        EXPECT_FALSE(isJsonNumber(text)) << text;
    std::ostringstream out;
    JsonWriter(out).beginArray().numberOrText("0.25").numberOrText(".5").value(uint64_t(18446744073709551615ull)).endArray();
    EXPECT_EQ(out.str(), "[0.25,\".5\",18446744073709551615]");
}

// Coordinates that are floats read back as the same float from the shortest text.
TEST(JsonWriter, FloatsTakeTheirShortestExactForm) {
    std::ostringstream out;
    JsonWriter(out).beginArray().value(0.1f).value(-1.6f).value(-0.0f).value(1e30f).value(3e-5f).value(
        std::numeric_limits<float>::infinity()).endArray();
    EXPECT_EQ(out.str(), "[0.1,-1.6,-0,1e+30,3e-05,null]");
    // Texts are kept by the value's bits: values that share a place in that cache, and values
    // met again, must still come out as their own.
    std::mt19937 rng(7);
    std::vector<float> values;
    for (int i = 0; i < 200000; ++i) {
        uint32_t bits = i % 3 == 0 && !values.empty() ? 0 : uint32_t(rng());
        float f = values.empty() ? 0.0f : values[size_t(rng()) % values.size()];
        if (bits) std::memcpy(&f, &bits, sizeof f);
        if (std::isfinite(f)) values.push_back(f);
    }
    std::ostringstream many;
    {
        JsonWriter json(many);
        json.beginArray();
        for (float f : values) json.value(f);
        json.endArray();
    }
    std::istringstream back(many.str().substr(1));
    for (float f : values) {
        std::string text;
        std::getline(back, text, ',');
        if (!text.empty() && text.back() == ']') text.pop_back();
        ASSERT_EQ(std::strtof(text.c_str(), nullptr), f) << text;
        char shortest[32];
        ASSERT_EQ(text, std::string(shortest, std::to_chars(shortest, shortest + sizeof shortest, f).ptr));
    }
}

// Cancel is honoured at the next array or object, and what was written cannot pass for whole.
TEST(JsonWriter, ACancelStopsTheDocumentAtTheNextArray) {
    std::ostringstream out;
    std::atomic<bool> cancel{false};
    JsonWriter json(out);
    json.setCancelFlag(&cancel);
    json.beginArray();
    for (int i = 0; i < 1000; ++i) {
        if (i == 500) cancel = true;
        json.beginArray().value(i).endArray();
    }
    json.endArray();
    EXPECT_FALSE(json.flush());
    EXPECT_TRUE(json.cancelled());
    EXPECT_TRUE(out.bad());
    EXPECT_LT(out.str().size(), size_t(500 * 6));
}

}  // namespace
}  // namespace qf
