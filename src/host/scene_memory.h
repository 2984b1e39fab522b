// Memory of the stand-in scene's mesh data. An import of tens of thousands of small meshes makes
// as many small arrays; taken from large blocks marked for huge pages, they are written with a
// few hundred page faults instead of tens of thousands, as the host's own allocator manages it.
#pragma once
#include <algorithm>
#include <cstddef>
#include <new>
#include <vector>

#include "host/xsi_sdk.h"

namespace XSI::standin {

// Blocks of any size; freed ones are kept for later blocks of their size class, never given back
// to the system while the process runs. Thread-safe.
XSI_SDK_API void* allocateSceneMemory(size_t bytes);
XSI_SDK_API void freeSceneMemory(void* block, size_t bytes);

// Marks the whole 2 MB pages inside a block not yet touched for huge pages, where the system has
// them: filling the block then costs a few hundred page faults instead of tens of thousands.
XSI_SDK_API void adviseHugePages(void* begin, size_t bytes);

template <typename T>
struct SceneAllocator {
    using value_type = T;
    SceneAllocator() = default;
    template <typename U>
    SceneAllocator(const SceneAllocator<U>&) {}
    T* allocate(size_t count) {
        if (count > size_t(-1) / sizeof(T)) throw std::bad_array_new_length();
        return static_cast<T*>(allocateSceneMemory(count * sizeof(T)));
    }
    void deallocate(T* block, size_t count) { freeSceneMemory(block, count * sizeof(T)); }
    template <typename U>
    bool operator==(const SceneAllocator<U>&) const {
        return true;
    }
};

template <typename T>
using SceneArray = std::vector<T, SceneAllocator<T>>;

// Scene arrays compare with plain ones element by element.
template <typename T>
bool operator==(const SceneArray<T>& a, const std::vector<T>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end());
}

}  // namespace XSI::standin
