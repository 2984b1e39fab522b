// Digit grouping for the counts the dialogs show: 1234567 reads 1.234.567.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace qf {

// Writes value with a point between groups of three digits into out (cut to size-1 bytes).
void FormatThousands(uint64_t value, char* out, size_t size);
std::string FormatThousands(uint64_t value);

}  // namespace qf
