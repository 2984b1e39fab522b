#include "controls/format_thousands.h"

#include <gtest/gtest.h>

namespace qf {
namespace {

TEST(FormatThousands, GroupsOfThreeFromTheRight) {
    EXPECT_EQ(FormatThousands(0), "0");
    EXPECT_EQ(FormatThousands(999), "999");
    EXPECT_EQ(FormatThousands(1000), "1.000");
    EXPECT_EQ(FormatThousands(1234567), "1.234.567");
    EXPECT_EQ(FormatThousands(4294967295u), "4.294.967.295");
    EXPECT_EQ(FormatThousands(18446744073709551615ull), "18.446.744.073.709.551.615");
    char small[4];
    FormatThousands(1234567, small, sizeof small);
    EXPECT_STREQ(small, "1.2");
}

}  // namespace
}  // namespace qf
