#include "controls/list_logic.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/pointer_wrap.h"

namespace qf {
namespace {

TEST(ListLogic, DragScrollsWholeRowsWithThePointer) {
    EXPECT_EQ(dragScrollRows(100 + 3 * 14, 100, 14), -3);  // down three rows: view towards the top
    EXPECT_EQ(dragScrollRows(100 + 13, 100, 14), 0);
    EXPECT_EQ(dragScrollRows(100 - 29, 100, 14), 2);
    EXPECT_EQ(dragScrollRows(500, 100, 0), 0);  // empty list: no row height, nothing to scroll
    EXPECT_EQ(restoreScrollPixels(5, 2, 14), 42);
    EXPECT_EQ(restoreScrollPixels(5, 2, 0), 0);
    EXPECT_EQ(wheelScrollRows(120), -1);
    EXPECT_EQ(wheelScrollRows(-240), 2);
    EXPECT_EQ(wheelScrollRows(100), 0);
}

TEST(ListLogic, PointerWrapsAtTheScreenEdges) {
    const int last = 767;
    EXPECT_EQ(wrapPointerY(0, last).y, 766);
    EXPECT_TRUE(wrapPointerY(0, last).wrapped);
    EXPECT_EQ(wrapPointerY(767, last).y, 1);
    EXPECT_FALSE(wrapPointerY(400, last).wrapped);
}

TEST(ListLogic, SortedPlacementKeepsEqualRowsInTheirOrder) {
    std::vector<std::string> rows;
    for (const char* text : {"b", "c", "a", "b"}) {
        const std::string key(text);
        const size_t at = sortedInsertIndex(rows.size(), [&](size_t i) { return key[0] - rows[i][0]; });
        rows.insert(rows.begin() + long(at), key + std::to_string(rows.size()));
    }
    // Rows are compared by their first letter only here: the later "b" goes after the first.
    EXPECT_EQ(rows, (std::vector<std::string>{"a2", "b0", "b3", "c1"}));
}

TEST(ListLogic, RowsComingInOrderAreEachComparedOnceWithTheLast) {
    // The list asks the window for every row it compares: rows already in order, as many files
    // list their objects, cost one question each instead of one per halving, once the caller has
    // seen a row go at the end.
    std::vector<int> rows;
    int compared = 0;
    bool atEnd = false;
    for (int key : {1, 2, 2, 5, 9, 10, 11, 12}) {
        const size_t at = sortedInsertIndex(rows.size(), [&](size_t i) {
            ++compared;
            return key - rows[i];
        }, atEnd);
        atEnd = !rows.empty() && at == rows.size();
        rows.insert(rows.begin() + long(at), key);
    }
    EXPECT_EQ(rows, (std::vector<int>{1, 2, 2, 5, 9, 10, 11, 12}));
    EXPECT_EQ(compared, 1 + 6);  // halving once, then the last row only
    // A row that belongs before the last still finds its place, after both rows it equals.
    compared = 0;
    const size_t at = sortedInsertIndex(rows.size(), [&](size_t i) {
        ++compared;
        return 2 - rows[i];
    }, true);
    EXPECT_EQ(at, 3u);
    EXPECT_LE(compared, 1 + 4);
}

}  // namespace
}  // namespace qf
