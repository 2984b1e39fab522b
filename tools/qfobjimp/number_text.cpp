#include "qfobjimp/number_text.h"

namespace qf {

std::string withThousands(uint64_t value) {
    std::string digits = std::to_string(value);
    std::string out;
    out.reserve(digits.size() + digits.size() / 3);
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

std::string countOf(uint64_t count, const char* one, const char* many) {
    return withThousands(count) + " " + (count == 1 ? one : many);
}

}  // namespace qf
