#include "host/scene_memory.h"

#include <cstdint>
#include <mutex>
#include <utility>
#include <vector>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

#if defined(__SANITIZE_ADDRESS__)
#define QF_PLAIN_SCENE_MEMORY 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QF_PLAIN_SCENE_MEMORY 1
#endif
#endif
#if !defined(__linux__)
#define QF_PLAIN_SCENE_MEMORY 1
#endif

namespace XSI::standin {

void adviseHugePages(void* begin, size_t bytes) {
#if defined(__linux__)
    constexpr uintptr_t kHugePage = uintptr_t(2) << 20;
    const uintptr_t first = (reinterpret_cast<uintptr_t>(begin) + kHugePage - 1) & ~(kHugePage - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(begin) + bytes) & ~(kHugePage - 1);
    if (end > first) madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
#else
    (void)begin;
    (void)bytes;
#endif
}

#if defined(QF_PLAIN_SCENE_MEMORY)

// Elsewhere (and where the address sanitizer should see every block) the C++ allocator serves.
void* allocateSceneMemory(size_t bytes) { return ::operator new(bytes); }
void freeSceneMemory(void* block, size_t) { ::operator delete(block); }
bool adoptSceneMemory(void*, size_t) { return false; }

#else

namespace {

constexpr size_t kRegionBytes = size_t(64) << 20;
constexpr size_t kLargestSmall = size_t(64) << 10;
constexpr int kClassCount = 16 + 8 * 8;
// Pages handed over that the scene keeps written before it takes them.
constexpr size_t kSpareWrittenBytes = size_t(2) << 20;

// Size classes: steps of 16 bytes up to 256, then eight per doubling up to 64 KB, so that a block
// wastes at most an eighth of its size.
struct SizeClass {
    int index;
    size_t bytes;
};

SizeClass sizeClassOf(size_t bytes) {
    if (bytes <= 256) {
        const size_t size = bytes <= 16 ? 16 : (bytes + 15) & ~size_t(15);
        return {int(size / 16) - 1, size};
    }
    int power = 8;  // 2^power < bytes <= 2^(power + 1)
    while ((size_t(2) << power) < bytes) ++power;
    const size_t base = size_t(1) << power, step = base / 8;
    const size_t size = (bytes + step - 1) / step * step;
    return {16 + (power - 8) * 8 + int((size - base) / step) - 1, size};
}

void* mapBlock(size_t bytes) {
    void* block = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (block == MAP_FAILED) throw std::bad_alloc();
    adviseHugePages(block, bytes);
    return block;
}

struct FreeBlock {
    FreeBlock* next;
};

class SmallBlocks {
public:
    void* allocate(size_t bytes) {
        const SizeClass c = sizeClassOf(bytes);
        std::lock_guard<std::mutex> lock(mutex_);
        if (FreeBlock* reused = free_[c.index]) {
            free_[c.index] = reused->next;
            return reused;
        }
        if (size_t(regionEnd_ - next_) < c.bytes) {
            // The rest of the old region stays unused: at most one block of the largest class.
            // Pages handed over come first, then the rests of new regions put aside for them,
            // then a new region.
            if (!takeRange(adopted_, c.bytes) && !takeRange(untouched_, c.bytes)) {
                next_ = static_cast<char*>(mapBlock(kRegionBytes));
                regionEnd_ = next_ + kRegionBytes;
                regionUntouched_ = true;
            }
        }
        void* block = next_;
        next_ += c.bytes;
        if (!regionUntouched_) spare_ -= std::min(spare_, c.bytes);
        return block;
    }
    void free(void* block, size_t bytes) {
        const SizeClass c = sizeClassOf(bytes);
        std::lock_guard<std::mutex> lock(mutex_);
        auto* freed = static_cast<FreeBlock*>(block);
        freed->next = free_[c.index];
        free_[c.index] = freed;
    }

    void adopt(char* begin, size_t bytes) {
        std::lock_guard<std::mutex> lock(mutex_);
        // Pages kept written but unused would raise the process's peak when the scene takes few
        // small blocks (one mesh of millions of corners): while the pages handed over and not yet
        // taken pass a few megabytes, the rest goes back to the system now (it stays the scene's,
        // and is faulted in like new memory when used): at most that much is ever kept written
        // and unused.
        const size_t page = size_t(sysconf(_SC_PAGESIZE));
        const size_t room = kSpareWrittenBytes - std::min(spare_, kSpareWrittenBytes);
        const size_t keep = std::min(bytes, room / page * page);
        if (keep < bytes) madvise(begin + keep, bytes - keep, MADV_DONTNEED);
        spare_ += bytes;
        // Written pages go before untouched ones, which cost a fault each: the rest of a new
        // region waits until the pages handed over are used up.
        if (regionUntouched_ || next_ == regionEnd_) {
            if (regionUntouched_ && next_ != regionEnd_) untouched_.emplace_back(next_, regionEnd_);
            next_ = begin;
            regionEnd_ = begin + bytes;
            regionUntouched_ = false;
        } else if (!adopted_.empty() && adopted_.back().second == begin) {
            adopted_.back().second += bytes;  // pages handed over in steps along one block join
        } else {
            adopted_.emplace_back(begin, begin + bytes);
        }
    }

private:
    using Range = std::pair<char*, char*>;
    // Makes the last range of ranges that holds a block of this size the region.
    bool takeRange(std::vector<Range>& ranges, size_t bytes) {
        while (!ranges.empty()) {
            const Range range = ranges.back();
            ranges.pop_back();
            if (size_t(range.second - range.first) < bytes) continue;
            next_ = range.first;
            regionEnd_ = range.second;
            regionUntouched_ = &ranges == &untouched_;
            return true;
        }
        return false;
    }

    std::mutex mutex_;
    std::vector<Range> adopted_;    // pages handed over, not yet the region
    std::vector<Range> untouched_;  // rests of new regions put aside for them
    bool regionUntouched_ = false;
    size_t spare_ = 0;  // bytes handed over and not yet taken, written or not
    char* next_ = nullptr;
    char* regionEnd_ = nullptr;
    FreeBlock* free_[kClassCount] = {};
};

// Never destroyed: scene arrays may be freed by other static objects at exit.
SmallBlocks& smallBlocks() {
    static SmallBlocks* blocks = new SmallBlocks;
    return *blocks;
}

}  // namespace

void* allocateSceneMemory(size_t bytes) {
    if (bytes == 0) bytes = 1;
    if (bytes <= kLargestSmall) return smallBlocks().allocate(bytes);
    if (bytes >= kSceneMappedBlockBytes) return mapBlock(bytes);
    return ::operator new(bytes);
}

bool adoptSceneMemory(void* begin, size_t bytes) {
    // A range too small for a block of the largest class is not worth keeping.
    if (!begin || bytes < 2 * kLargestSmall) return false;
    smallBlocks().adopt(static_cast<char*>(begin), bytes);
    return true;
}

void freeSceneMemory(void* block, size_t bytes) {
    if (!block) return;
    if (bytes == 0) bytes = 1;
    if (bytes <= kLargestSmall) smallBlocks().free(block, bytes);
    else if (bytes >= kSceneMappedBlockBytes) munmap(block, bytes);
    else ::operator delete(block);
}

#endif

}  // namespace XSI::standin
