#include "controls/format_thousands.h"

namespace qf {

void FormatThousands(uint64_t value, char* out, size_t size) {
    if (size == 0) return;
    char reversed[32];
    int n = 0, digits = 0;
    do {
        if (digits > 0 && digits % 3 == 0) reversed[n++] = '.';
        reversed[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
        ++digits;
    } while (value != 0);
    size_t used = 0;
    while (n > 0 && used + 1 < size) out[used++] = reversed[--n];
    out[used] = '\0';
}

std::string FormatThousands(uint64_t value) {
    char text[32];
    FormatThousands(value, text, sizeof text);
    return text;
}

}  // namespace qf
