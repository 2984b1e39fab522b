#include "model/fixed_text.h"

#include <cstdio>

namespace qf {

void formatBounded(char* dst, size_t size, const char* format, ...) {
    if (size == 0) return;
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(dst, size, format, args);
    va_end(args);
    if (n < 0) dst[0] = '\0';
}

static inline unsigned char foldCase(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

bool equalsNoCase(const char* a, const char* b) {
    const auto* x = reinterpret_cast<const unsigned char*>(a);
    const auto* y = reinterpret_cast<const unsigned char*>(b);
    for (;; ++x, ++y) {
        if (foldCase(*x) != foldCase(*y)) return false;
        if (*x == 0) return true;
    }
}

}  // namespace qf
