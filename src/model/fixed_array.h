// Arrays of the import model: allocated once at their final size, zero-filled, never grown.
#pragma once
#include <cstddef>
#include <cstdint>
#include <map>
#include <utility>

namespace qf {

// Zeroed memory for the model's arrays. Large blocks come straight from the system and are
// marked for huge pages where that exists: arrays of hundreds of megabytes are then touched
// with a few hundred page faults instead of a hundred thousand.
void* allocateZeroed(size_t bytes);
void releaseZeroed(void* block, size_t bytes);
// Gives the whole pages inside [begin, begin + bytes) back to the system, where it allows that:
// they read as zeros when touched again. Pages shared with memory outside the range are kept.
void discardPages(void* begin, size_t bytes);

template <typename T>
class FixedArray {
public:
    FixedArray() = default;
    FixedArray(const FixedArray&) = delete;
    FixedArray& operator=(const FixedArray&) = delete;
    ~FixedArray() { release(); }

    // Frees the old content and allocates count zeroed entries; false when memory is short.
    bool allocate(size_t count) {
        release();
        if (count == 0) return true;
        if (count > SIZE_MAX / sizeof(T)) return false;
        data_ = static_cast<T*>(allocateZeroed(count * sizeof(T)));
        if (!data_) return false;
        size_ = count;
        owned_ = true;
        return true;
    }
    // Uses count entries of zeroed memory that another owner keeps (a MeshArena).
    void borrow(T* data, size_t count) {
        release();
        data_ = data;
        size_ = count;
        owned_ = false;
    }
    // Exchanges the contents of two arrays, owner and all.
    void swap(FixedArray& other) {
        std::swap(data_, other.data_);
        std::swap(size_, other.size_);
        std::swap(owned_, other.owned_);
    }
    void release() {
        if (owned_) releaseZeroed(data_, size_ * sizeof(T));
        data_ = nullptr;
        size_ = 0;
        owned_ = false;
    }
    // True when the memory is the array's own rather than borrowed.
    bool owned() const { return owned_; }
    T* data() { return data_; }
    const T* data() const { return data_; }
    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    T& operator[](size_t i) { return data_[i]; }
    const T& operator[](size_t i) const { return data_[i]; }

private:
    T* data_ = nullptr;
    size_t size_ = 0;
    bool owned_ = false;
};

// One block for the arrays of many meshes, sized once from the counts of all of them: a file of
// twenty thousand groups then costs one allocation instead of a hundred thousand.
class MeshArena {
public:
    MeshArena() = default;
    MeshArena(const MeshArena&) = delete;
    MeshArena& operator=(const MeshArena&) = delete;
    ~MeshArena() { release(); }
    // A new block of this many zeroed bytes; false when memory is short.
    bool reserve(size_t bytes);
    // Hands out count zeroed entries; false when the block has no room left.
    template <typename T>
    bool take(FixedArray<T>& array, size_t count) {
        if (count == 0) {
            array.release();
            return true;
        }
        const size_t bytes = roundUp(count * sizeof(T));
        if (count > SIZE_MAX / sizeof(T) || bytes > size_ - used_) return false;
        array.borrow(reinterpret_cast<T*>(block_ + used_), count);
        used_ += bytes;
        return true;
    }
    // True when p points into the block.
    bool holds(const void* p) const {
        const auto* byte = static_cast<const unsigned char*>(p);
        return byte && byte >= block_ && byte < block_ + size_;
    }
    // Takes back the entries of an array it handed out, which are not read again. The whole pages
    // go back once every array handed out before them has come back too (to the stand-in scene's
    // memory where it takes them, else to the system), or to the system at once for a large array.
    // With exact, the range ends where it says rather than at the array's padding: for a run of
    // an array handed out whole, whose next run may start right behind it.
    void giveBack(const void* data, size_t bytes, bool exact = false);
    static size_t roundUp(size_t bytes) { return (bytes + 15) & ~size_t(15); }
    // Arrays at least this large give their pages back even while arrays before them are out;
    // smaller ones wait, so that many small meshes cost few system calls.
    static constexpr size_t kEarlyReturnBytes = size_t(4) << 20;
    // Whole pages behind the arrays still out go back in steps of at least this much.
    static constexpr size_t kReturnBatchBytes = size_t(1) << 20;

    // Bytes at the start of the block whose pages the scene's memory took over.
    size_t adoptedBytes() const { return adopted_; }
    // Whether the scene's memory may take the pages that come back. A block that may never have
    // been written says no: its pages would cost the scene as much as new ones, a page at a time.
    void setAdoptable(bool adoptable) { adoptable_ = adoptable; }

private:
    void release();
    // Gives back the whole pages from discarded_ to end, which every array has left.
    void discardFront(size_t end);

    unsigned char* block_ = nullptr;
    size_t size_ = 0;
    size_t used_ = 0;
    // Everything before returned_ has come back; the pages before discarded_ are given back.
    size_t returned_ = 0;
    size_t discarded_ = 0;
    // The pages before adopted_ belong to the scene's memory now: they stay mapped when the block
    // goes.
    size_t adopted_ = 0;
    bool adoptable_ = true;
    // Ranges (start to end) that came back while something before them was still out.
    std::map<size_t, size_t> laterReturns_;
};

}  // namespace qf
