#include "controls/combo_logic.h"

#include <gtest/gtest.h>

namespace qf {
namespace {

ComboItems aSeparatorB() {
    ComboItems items;
    comboAdd(items, "a");
    comboAdd(items, nullptr);
    comboAdd(items, "b");
    return items;
}

TEST(Combo, SeparatorsAreNoItems) {
    ComboItems items = aSeparatorB();
    EXPECT_EQ(items.lastIndex, 1);
    ASSERT_TRUE(comboSelect(items, 1));
    EXPECT_EQ(*comboItemText(items, items.selection), "b");
    const auto entries = comboMenuEntries(items);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].id, 32000u);
    EXPECT_EQ(entries[0].text, "a");
    EXPECT_TRUE(entries[1].separator);
    EXPECT_EQ(entries[2].id, 32001u);
    EXPECT_EQ(entries[2].text, "b");
    EXPECT_EQ(comboItemOfCommand(items, 32001), 1);
}

TEST(Combo, OutOfRangeChoicesChangeNothing) {
    ComboItems items = aSeparatorB();
    comboSelect(items, 0);
    EXPECT_FALSE(comboSelect(items, -1));
    EXPECT_FALSE(comboSelect(items, 2));
    EXPECT_EQ(items.selection, 0);
    EXPECT_EQ(comboItemText(items, 2), nullptr);
    // Ids that name no item: below the first item id, or past the last item (the separator counts
    // among the stored texts but is no item).
    EXPECT_EQ(comboItemOfCommand(items, 31999), -1);
    EXPECT_EQ(comboItemOfCommand(items, 32002), -1);
    ComboItems empty;
    EXPECT_FALSE(comboSelect(empty, 0));
    EXPECT_EQ(comboItemOfCommand(empty, 32000), -1);
    EXPECT_EQ(comboStepTarget(empty, 1), -1);
    EXPECT_EQ(comboWheelTarget(empty, -120), -1);
    comboClear(items);
    EXPECT_EQ(items.lastIndex, -1);
    EXPECT_EQ(items.selection, -1);
    EXPECT_TRUE(items.texts.empty());
}

TEST(Combo, SteppingAndWheelStayWithinTheItems) {
    ComboItems items = aSeparatorB();
    EXPECT_EQ(comboStepTarget(items, 1), 0);  // nothing chosen yet: down picks the first
    comboSelect(items, 0);
    EXPECT_EQ(comboStepTarget(items, -1), 0);
    EXPECT_EQ(comboStepTarget(items, 1), 1);
    comboSelect(items, 1);
    EXPECT_EQ(comboStepTarget(items, 1), 1);
    EXPECT_EQ(comboWheelTarget(items, 120), 0);
    EXPECT_EQ(comboWheelTarget(items, -1200), 1);
    EXPECT_EQ(comboWheelTarget(items, 60), 1);
}

TEST(Combo, EditRowIsCentredAndFits) {
    EXPECT_EQ(comboEditRow(20, 13).y, 5);
    EXPECT_EQ(comboEditRow(20, 13).height, 13);
    EXPECT_EQ(comboEditRow(21, 13).y, 5);
    EXPECT_EQ(comboEditRow(10, 13).y, 2);  // never above 2
    EXPECT_EQ(comboEditRow(10, 13).height, 6);
}

}  // namespace
}  // namespace qf
