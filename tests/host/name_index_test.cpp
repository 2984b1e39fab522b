// The name index against a plain map: after any mix of adds and removals every name finds its
// id, and removed names find nothing, also where probes of many names run into each other.
#include "host/name_index.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>

namespace XSI::standin {
namespace {

// Short names and names longer than a string keeps in place.
std::string nameOf(int n) {
    return "obj" + std::to_string(n) + (n % 3 ? "" : ".polymsh.cls.Texture_Coordinates_AUTO");
}

void expectSame(const NameIndex& index, const std::map<std::string, int>& expected, int nameCount) {
    ASSERT_EQ(index.size(), expected.size());
    for (int n = 0; n < nameCount; ++n) {
        const std::string name = nameOf(n);
        const auto found = expected.find(name);
        EXPECT_EQ(index.find(name), found == expected.end() ? -1 : found->second) << name;
    }
}

TEST(NameIndex, AgreesWithAMapThroughAddsAndRemovals) {
    NameIndex index;
    std::map<std::string, int> expected;
    std::mt19937 random(7);
    constexpr int kNames = 3000;
    // One add to two removals, which keeps about a thousand names in the table with runs of
    // neighbouring slots to shift, then removals only, until it runs empty.
    for (int round = 0; round < 40000; ++round) {
        const int n = int(random() % kNames);
        const std::string name = nameOf(n);
        if (round % 3 != 0 || round > 30000) {
            const bool erased = index.erase(name);
            EXPECT_EQ(erased, expected.erase(name) == 1);
        } else {
            const auto [kept, added] = index.emplace(name, round);
            const auto [at, inserted] = expected.emplace(name, round);
            EXPECT_EQ(added, inserted);
            EXPECT_EQ(kept, at->second);
        }
        if (round % 5000 == 0) expectSame(index, expected, kNames);
    }
    expectSame(index, expected, kNames);
}

TEST(NameIndex, KeepsTheFirstIdOfANameAndLetsTheCallerChangeIt) {
    NameIndex index;
    EXPECT_EQ(index.find("anything"), -1);
    EXPECT_FALSE(index.erase("anything"));
    EXPECT_TRUE(index.emplace("wood", 4).second);
    auto [kept, added] = index.emplace("wood", 9);
    EXPECT_FALSE(added);
    EXPECT_EQ(kept, 4);
    kept = 2;
    EXPECT_EQ(index.find("wood"), 2);
    // Names that differ in length or case only, and the empty name, are names of their own.
    EXPECT_TRUE(index.emplace("Wood", 5).second);
    EXPECT_TRUE(index.emplace("woo", 6).second);
    EXPECT_TRUE(index.emplace("", 7).second);
    EXPECT_EQ(index.find("Wood"), 5);
    EXPECT_EQ(index.find("woo"), 6);
    EXPECT_EQ(index.find(""), 7);
    index.clear();
    EXPECT_EQ(index.size(), 0u);
    EXPECT_EQ(index.find("wood"), -1);
}

TEST(NameIndex, DropsTheTextOfRemovedNamesWithoutLosingTheOthers) {
    // Enough renames to pass the point where the text of removed names is dropped, several times.
    NameIndex index;
    const std::string longPart(200, 'x');
    ASSERT_TRUE(index.emplace("kept", 1).second);
    for (int n = 0; n < 30000; ++n) {
        const std::string name = longPart + std::to_string(n);
        ASSERT_TRUE(index.emplace(name, n + 2).second);
        ASSERT_TRUE(index.erase(name));
    }
    EXPECT_EQ(index.size(), 1u);
    EXPECT_EQ(index.find("kept"), 1);
    EXPECT_EQ(index.find(longPart + "29999"), -1);
}

}  // namespace
}  // namespace XSI::standin
