// Memory of the stand-in scene's mesh data. An import of tens of thousands of small meshes makes
// as many small arrays; taken from large blocks marked for huge pages, they are written with a
// few hundred page faults instead of tens of thousands, as the host's own allocator manages it.
#pragma once
#include <algorithm>
#include <cstddef>
#include <new>
#include <stdexcept>
#include <vector>

#include "host/xsi_sdk.h"

namespace XSI::standin {

// Blocks at least this large are mappings of their own: their pages are taken only as they are
// written, so room reserved and never written costs nothing.
constexpr size_t kSceneMappedBlockBytes = size_t(4) << 20;

// Blocks of any size; freed ones are kept for later blocks of their size class, never given back
// to the system while the process runs. Thread-safe.
XSI_SDK_API void* allocateSceneMemory(size_t bytes);
XSI_SDK_API void freeSceneMemory(void* block, size_t bytes);

// Takes pages another part of the process is done with, for later scene blocks, as one process
// heap reuses what was freed: pages new to the process cost a fault and their zeroing (and where
// the system hands freed memory back to a hypervisor, much more), pages reused cost nothing.
// begin and bytes are whole pages of an anonymous mapping that their owner neither touches nor
// unmaps again. False where scene memory does not take them: the owner then gives them back to
// the system itself.
XSI_SDK_API bool adoptSceneMemory(void* begin, size_t bytes);

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

// A growing array whose entries never move: it grows by whole chunks, so that tens of thousands
// of large entries are neither copied on growth nor written to twice as much fresh memory as they
// need, and references to entries stay valid while others are added. The chunks are as large as
// the scene's small blocks, which come from huge pages and from pages handed over.
template <typename T, size_t ChunkEntries = std::max<size_t>(1, (size_t(64) << 10) / sizeof(T))>
class ChunkedArray {
public:
    ChunkedArray() = default;
    ChunkedArray(const ChunkedArray&) = delete;
    ChunkedArray& operator=(const ChunkedArray&) = delete;
    ~ChunkedArray() { clear(); }

    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    T& operator[](size_t i) { return chunks_[i / ChunkEntries][i % ChunkEntries]; }
    const T& operator[](size_t i) const { return chunks_[i / ChunkEntries][i % ChunkEntries]; }
    T& at(size_t i) {
        if (i >= size_) throw std::out_of_range("ChunkedArray::at");
        return (*this)[i];
    }
    const T& at(size_t i) const {
        if (i >= size_) throw std::out_of_range("ChunkedArray::at");
        return (*this)[i];
    }
    T& emplace_back() {
        if (size_ == chunks_.size() * ChunkEntries) {
            chunks_.reserve(chunks_.size() + 1);  // the push cannot fail once the chunk is had
            chunks_.push_back(SceneAllocator<T>().allocate(ChunkEntries));
        }
        T* entry = new (&chunks_[size_ / ChunkEntries][size_ % ChunkEntries]) T();
        ++size_;
        return *entry;
    }
    void clear() {
        for (size_t i = size_; i > 0; --i) (*this)[i - 1].~T();
        for (T* chunk : chunks_) SceneAllocator<T>().deallocate(chunk, ChunkEntries);
        chunks_.clear();
        size_ = 0;
    }

private:
    std::vector<T*> chunks_;
    size_t size_ = 0;
};

}  // namespace XSI::standin
