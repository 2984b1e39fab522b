#include "model/fixed_array.h"

#include <algorithm>
#include <cstdlib>

#include "host/scene_memory.h"

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace qf {

namespace {

constexpr size_t kSystemBlockBytes = size_t(4) << 20;

uintptr_t pageSize() {
#if defined(__linux__)
    static const uintptr_t page = uintptr_t(sysconf(_SC_PAGESIZE));
    return page;
#else
    return 4096;
#endif
}

}  // namespace

void* allocateZeroed(size_t bytes) {
#if defined(__linux__)
    if (bytes >= kSystemBlockBytes) {
        void* block = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (block == MAP_FAILED) return nullptr;
        madvise(block, bytes, MADV_HUGEPAGE);
        return block;
    }
#endif
    return std::calloc(bytes, 1);
}

void releaseZeroed(void* block, size_t bytes) {
    if (!block) return;
#if defined(__linux__)
    if (bytes >= kSystemBlockBytes) {
        munmap(block, bytes);
        return;
    }
#endif
    (void)bytes;
    std::free(block);
}
void discardPages(void* begin, size_t bytes) {
#if defined(__linux__)
    const uintptr_t page = pageSize();
    const uintptr_t first = (reinterpret_cast<uintptr_t>(begin) + page - 1) & ~(page - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(begin) + bytes) & ~(page - 1);
    if (end > first) madvise(reinterpret_cast<void*>(first), end - first, MADV_DONTNEED);
#else
    (void)begin;
    (void)bytes;
#endif
}

bool MeshArena::reserve(size_t bytes) {
    release();
    if (bytes == 0) return true;
    block_ = static_cast<unsigned char*>(allocateZeroed(bytes));
    if (!block_) return false;
    size_ = bytes;
    return true;
}

void MeshArena::release() {
    if (adopted_ == 0) {
        releaseZeroed(block_, size_);
    } else {
#if defined(__linux__)
        // Only a block of its own mapping hands pages over: the rest of the mapping goes.
        if (size_ > adopted_) munmap(block_ + adopted_, size_ - adopted_);
#endif
    }
    block_ = nullptr;
    size_ = used_ = returned_ = discarded_ = adopted_ = 0;
    adoptable_ = true;
    laterReturns_.clear();
}

void MeshArena::discardFront(size_t end) {
    unsigned char* from = block_ + discarded_;
    const size_t bytes = end - discarded_;
    // The scene about to grow takes the pages of a block of its own mapping (never a block of the
    // C heap), as long as it took every page before them.
    const bool ownMapping = size_ >= kSystemBlockBytes;
    if (ownMapping && adoptable_ && adopted_ == discarded_ && XSI::standin::adoptSceneMemory(from, bytes))
        adopted_ = end;
    else discardPages(from, bytes);
    discarded_ = end;
}

void MeshArena::giveBack(const void* data, size_t bytes, bool exact) {
    if (!holds(data) || bytes == 0) return;
    const size_t start = size_t(static_cast<const unsigned char*>(data) - block_);
    const size_t end = std::min(start + (exact ? bytes : roundUp(bytes)), used_);
    if (start > returned_) {
        laterReturns_[start] = std::max(laterReturns_[start], end);
        // A large array goes back at once (its whole pages; the ones it shares wait for the
        // arrays before it): a mesh of millions of corners returns arrays out of order.
        if (end - start >= kEarlyReturnBytes) discardPages(block_ + start, end - start);
        return;
    }
    returned_ = std::max(returned_, end);
    for (auto next = laterReturns_.begin(); next != laterReturns_.end() && next->first <= returned_;
         next = laterReturns_.erase(next))
        returned_ = std::max(returned_, next->second);
    // Up to the last whole page: the one after it holds arrays still out. Pages go back a
    // megabyte at a time (and the rest once everything is back), so that twenty thousand small
    // meshes cost a hundred system calls, not a hundred thousand.
    const uintptr_t base = reinterpret_cast<uintptr_t>(block_);
    const uintptr_t pageEnd = (base + returned_) & ~(pageSize() - 1);
    const bool allBack = returned_ >= used_;
    if (pageEnd > base + discarded_ && (allBack || pageEnd - (base + discarded_) >= kReturnBatchBytes))
        discardFront(size_t(pageEnd - base));
}

}  // namespace qf
