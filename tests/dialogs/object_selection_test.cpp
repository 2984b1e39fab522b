#include "dialogs/object_selection.h"

#include <gtest/gtest.h>

#include "model/fixed_text.h"

namespace qf {
namespace {

TEST(Wildcard, WholeTextIgnoringCase) {
    EXPECT_TRUE(matchesWildcard("b*", "box"));
    EXPECT_TRUE(matchesWildcard("b*", "Ball"));
    EXPECT_FALSE(matchesWildcard("b*", "cube"));
    EXPECT_TRUE(matchesWildcard("?ube", "cube"));
    EXPECT_FALSE(matchesWildcard("?ube", "tube2"));
    EXPECT_TRUE(matchesWildcard("", "anything"));
    EXPECT_TRUE(matchesWildcard("*a*b*", "xxaxxbxx"));
    EXPECT_TRUE(matchesWildcard("*ab", "aab"));  // backtracking to the star
    EXPECT_FALSE(matchesWildcard("*ab", "aba"));
    EXPECT_TRUE(matchesWildcard("**", ""));
    EXPECT_FALSE(matchesWildcard("?", ""));
    std::string longText(200, 'x');
    EXPECT_TRUE(matchesWildcard(std::string(126, 'x').c_str(), longText.c_str()));  // both cut at 126
}

TEST(Selection, EachMatchingRecordWithPolygons) {
    ObjImporter imp;
    for (const char* name : {"Box", "box", "cube", "empty"}) imp.appendObject(name).polygonCount = 1;
    imp.objects[3]->polygonCount = 0;
    EXPECT_EQ(selectObjects(imp, "b*"), 2);  // names that differ only in case are two objects
    EXPECT_TRUE(imp.objects[0]->selected);
    EXPECT_TRUE(imp.objects[1]->selected);
    EXPECT_FALSE(imp.objects[2]->selected);
    EXPECT_EQ(selectObjects(imp, "*"), 3);
    EXPECT_FALSE(imp.objects[3]->selected);
}

// A row that comes in later is ticked as the last choice ticked the rows already there; ticking
// single rows is no choice for the rows to come.
TEST(Selection, RowsComingLaterFollowTheLastChoice) {
    NewRowTicks rule;
    EXPECT_TRUE(rule.ticks("anything"));  // the list starts all ticked
    rule.filter("wheel*");
    EXPECT_TRUE(rule.ticks("Wheel_front"));
    EXPECT_FALSE(rule.ticks("body"));
    rule.invert();
    EXPECT_FALSE(rule.ticks("wheel_rear"));
    EXPECT_TRUE(rule.ticks("body"));
    rule.invert();
    EXPECT_TRUE(rule.ticks("wheel_rear"));
    rule.none();
    EXPECT_FALSE(rule.ticks("wheel_rear"));
    rule.invert();
    EXPECT_TRUE(rule.ticks("body"));
    rule.filter("");  // a filter emptied again matches everything
    EXPECT_TRUE(rule.ticks("body"));
    rule.invert();
    rule.all();  // All after Invert ticks again
    EXPECT_TRUE(rule.ticks("body"));
}

}  // namespace
}  // namespace qf
