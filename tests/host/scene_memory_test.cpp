// The stand-in scene's memory: blocks of every size class, freed and taken again, hold what is
// written to them and never overlap.
#include "host/scene_memory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

namespace XSI::standin {
namespace {

TEST(SceneMemory, BlocksKeepTheirContentAndNeverOverlap) {
    struct Block {
        unsigned char* data;
        size_t bytes;
    };
    std::vector<Block> blocks;
    // Sizes across the small classes, their edges, and large blocks of both kinds.
    std::vector<size_t> sizes{1, 15, 16, 17, 255, 256, 257, 511, 512, 513, 4095, 4096, 65535, 65536, 65537,
                              (size_t(4) << 20) - 1, size_t(4) << 20};
    for (size_t n = 3; n < 70000; n = n * 3 + 1) sizes.push_back(n);
    auto take = [&](size_t bytes) {
        auto* data = static_cast<unsigned char*>(allocateSceneMemory(bytes));
        ASSERT_NE(data, nullptr);
        std::memset(data, int(blocks.size() % 251), bytes);
        blocks.push_back({data, bytes});
    };
    for (size_t bytes : sizes) take(bytes);
    // Every other block back, then the sizes once more: freed blocks are taken again.
    std::vector<Block> kept;
    for (size_t i = 0; i < blocks.size(); ++i) {
        if (i % 2) freeSceneMemory(blocks[i].data, blocks[i].bytes);
        else kept.push_back(blocks[i]);
    }
    for (auto& b : kept) std::memset(b.data, int(&b - kept.data()) % 251, b.bytes);
    blocks = kept;
    for (size_t bytes : sizes) take(bytes);
    std::vector<Block> byAddress = blocks;
    std::sort(byAddress.begin(), byAddress.end(), [](const Block& a, const Block& b) { return a.data < b.data; });
    for (size_t i = 1; i < byAddress.size(); ++i)
        EXPECT_LE(byAddress[i - 1].data + byAddress[i - 1].bytes, byAddress[i].data) << "blocks overlap";
    for (size_t i = 0; i < blocks.size(); ++i)
        for (size_t k = 0; k < blocks[i].bytes; k += 97) ASSERT_EQ(blocks[i].data[k], i % 251) << "block " << i;
    for (const Block& b : blocks) freeSceneMemory(b.data, b.bytes);
}

TEST(SceneMemory, SceneArraysCompareWithPlainOnes) {
    SceneArray<int> scene{1, 2, 3};
    EXPECT_TRUE(scene == (std::vector<int>{1, 2, 3}));
    EXPECT_FALSE(scene == (std::vector<int>{1, 2}));
    SceneArray<int> moved = std::move(scene);  // the block moves with the array
    EXPECT_EQ(moved.size(), 3u);
}

// Entries that count their living copies and carry a heap-held name, as scene items do.
struct CountedEntry {
    static inline int alive = 0;
    std::string name;
    CountedEntry() { ++alive; }
    ~CountedEntry() { --alive; }
    CountedEntry(const CountedEntry&) = delete;
    CountedEntry& operator=(const CountedEntry&) = delete;
};

TEST(SceneMemory, ChunkedArrayEntriesStayWhereTheyAreAsItGrows) {
    {
        ChunkedArray<CountedEntry, 4> entries;
        std::vector<const CountedEntry*> places;
        for (int i = 0; i < 11; ++i) {  // into a third, partly used chunk
            CountedEntry& added = entries.emplace_back();
            added.name = "an entry of a name too long to live inside the string " + std::to_string(i);
            places.push_back(&added);
        }
        ASSERT_EQ(entries.size(), 11u);
        EXPECT_EQ(CountedEntry::alive, 11);
        for (size_t i = 0; i < places.size(); ++i) {
            EXPECT_EQ(&entries[i], places[i]) << "entry " << i << " moved";
            EXPECT_EQ(entries.at(i).name.back(), char('0' + i % 10));
        }
        EXPECT_THROW(entries.at(11), std::out_of_range);
        entries.clear();
        EXPECT_EQ(CountedEntry::alive, 0);
        EXPECT_TRUE(entries.empty());
        EXPECT_THROW(entries.at(0), std::out_of_range);
        entries.emplace_back().name = "after clearing";
        EXPECT_EQ(entries[0].name, "after clearing");
    }
    EXPECT_EQ(CountedEntry::alive, 0) << "the last entry was not destroyed with the array";
}

}  // namespace
}  // namespace XSI::standin
