#include "model/string_table.h"

#include <gtest/gtest.h>

namespace qf {
namespace {

TEST(StringTable, EveryIdHasItsTextAndQuotesSurvive) {
    for (int id = IDS_FIRST; id <= IDS_LAST; ++id) EXPECT_STRNE(loadText(id), "") << id;
    EXPECT_STREQ(loadText(IDS_MATERIAL_NOT_FOUND), "Material \"%s\" not found");
    EXPECT_STREQ(loadText(IDS_MAP_NOT_FOUND), "%sMap not found in Material: \"%s\" (%s)");
    EXPECT_STREQ(loadText(IDS_NO_MEMORY_POLYGONS), "not enough memory\nto create %d polygons");
    EXPECT_STREQ(loadText(999), "");
}

}  // namespace
}  // namespace qf
