#include "model/fixed_array.h"

#include <cstdlib>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace qf {

namespace {
constexpr size_t kSystemBlockBytes = size_t(4) << 20;
}

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

}  // namespace qf
