// The stand-in scene's memory: blocks of every size class, freed and taken again, hold what is
// written to them and never overlap.
#include "host/scene_memory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

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

#if defined(__linux__)
size_t residentBytes() {
    std::FILE* f = std::fopen("/proc/self/statm", "r");
    unsigned long total = 0, resident = 0;
    if (f) {
        if (std::fscanf(f, "%lu %lu", &total, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return size_t(resident) * size_t(sysconf(_SC_PAGESIZE));
}

// Pages handed over that the scene does not take yet are not kept written beyond a few: a large
// array handed over while the scene takes few small blocks must not raise the peak.
TEST(SceneMemory, PagesHandedOverAreNotKeptWrittenBeyondAFew) {
    constexpr size_t kBytes = size_t(32) << 20;
    void* mapped = mmap(nullptr, kBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(mapped, MAP_FAILED);
    std::memset(mapped, 7, kBytes);
    const size_t before = residentBytes();
    if (!adoptSceneMemory(mapped, kBytes)) GTEST_SKIP() << "the scene's memory takes no pages here";
    EXPECT_LE(residentBytes() + kBytes - (size_t(4) << 20), before);
    // What the scene takes from them is usable all the same (written pages or new ones).
    std::vector<unsigned char*> blocks;
    for (int i = 0; i < 600; ++i) {  // well beyond the pages kept written
        auto* block = static_cast<unsigned char*>(allocateSceneMemory(60000));
        std::memset(block, 0x21, 60000);
        blocks.push_back(block);
    }
    for (unsigned char* block : blocks) {
        EXPECT_EQ(block[59999], 0x21);
        freeSceneMemory(block, 60000);
    }
}
#endif

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
