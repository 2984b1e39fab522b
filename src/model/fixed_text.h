// Helpers for the fixed-size character fields of the import records: every copy is bounded and
// always terminated, so a long name is cut, never written past its field.
#pragma once
#include <cstdarg>
#include <cstddef>
#include <cstring>

namespace qf {

// Copies at most size-1 bytes of src to dst and terminates it. Returns the length stored.
inline size_t copyBounded(char* dst, size_t size, const char* src) {
    if (size == 0) return 0;
    size_t n = src ? std::strlen(src) : 0;
    if (n > size - 1) n = size - 1;
    if (n) std::memcpy(dst, src, n);
    dst[n] = '\0';
    return n;
}

template <size_t N>
size_t copyBounded(char (&dst)[N], const char* src) {
    return copyBounded(dst, N, src);
}

// printf into a fixed field; the result is cut at the field's end.
#if defined(__GNUC__)
__attribute__((format(printf, 3, 4)))
#endif
void formatBounded(char* dst, size_t size, const char* format, ...);

// Comparison ignoring letter case in the classic single-byte character set.
bool equalsNoCase(const char* a, const char* b);

}  // namespace qf
