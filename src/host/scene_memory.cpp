#include "host/scene_memory.h"

#include <cstdint>
#include <mutex>

#if defined(__linux__)
#include <sys/mman.h>
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

#else

namespace {

constexpr size_t kRegionBytes = size_t(64) << 20;
constexpr size_t kLargestSmall = size_t(64) << 10;
constexpr size_t kLargeSystemBlock = size_t(4) << 20;
constexpr int kClassCount = 16 + 8 * 8;

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
            next_ = static_cast<char*>(mapBlock(kRegionBytes));
            regionEnd_ = next_ + kRegionBytes;
        }
        void* block = next_;
        next_ += c.bytes;
        return block;
    }
    void free(void* block, size_t bytes) {
        const SizeClass c = sizeClassOf(bytes);
        std::lock_guard<std::mutex> lock(mutex_);
        auto* freed = static_cast<FreeBlock*>(block);
        freed->next = free_[c.index];
        free_[c.index] = freed;
    }

private:
    std::mutex mutex_;
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
    if (bytes >= kLargeSystemBlock) return mapBlock(bytes);
    return ::operator new(bytes);
}

void freeSceneMemory(void* block, size_t bytes) {
    if (!block) return;
    if (bytes == 0) bytes = 1;
    if (bytes <= kLargestSmall) smallBlocks().free(block, bytes);
    else if (bytes >= kLargeSystemBlock) munmap(block, bytes);
    else ::operator delete(block);
}

#endif

}  // namespace XSI::standin
