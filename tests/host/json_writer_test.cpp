#include "host/json_writer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <sstream>

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
        json.endObject();
    }
    EXPECT_EQ(out.str(), "{\"a\\\"b\\\\\\n\\u0001\\u00e9\":-7,\"list\":[0.5,null,true,\"x\"]}");
}

// A scene that cannot be written in full must not look written.
TEST(JsonWriter, AFailedWriteMarksTheStream) {
    struct Refusing : std::streambuf {
        int overflow(int) override { return traits_type::eof(); }
    } refusing;
    std::ostream refused(&refusing);
    JsonWriter json(refused);
    json.beginArray().value(1.5);
    EXPECT_TRUE(refused.bad());
}

}  // namespace
}  // namespace qf
