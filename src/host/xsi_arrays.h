// Array types of the host SDK (stand-in): the same names and members the host offers.
#pragma once
#include <vector>

namespace XSI {

typedef long LONG;
typedef unsigned long ULONG;

template <typename T>
class CArrayOf {
public:
    explicit CArrayOf(LONG size = 0) : items_(size > 0 ? static_cast<size_t>(size) : 0) {}
    LONG GetCount() const { return static_cast<LONG>(items_.size()); }
    void Add(const T& item) { items_.push_back(item); }
    void Resize(LONG size) { items_.resize(size > 0 ? static_cast<size_t>(size) : 0); }
    void Clear() { items_.clear(); }
    // Room for count items without adding them (the stand-in's own helper).
    void Reserve(LONG count) { items_.reserve(count > 0 ? static_cast<size_t>(count) : 0); }
    T& operator[](LONG i) { return items_[static_cast<size_t>(i)]; }
    const T& operator[](LONG i) const { return items_[static_cast<size_t>(i)]; }
    const T* GetArray() const { return items_.data(); }
    T* GetArray() { return items_.data(); }

private:
    std::vector<T> items_;
};

typedef CArrayOf<LONG> CLongArray;
typedef CArrayOf<double> CDoubleArray;
typedef CArrayOf<float> CFloatArray;

}  // namespace XSI
