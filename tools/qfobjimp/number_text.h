// Numbers in the tool's own output, written as an English-speaking reader expects them.
#pragma once
#include <cstdint>
#include <string>

namespace qf {

// 4590 -> "4,590".
std::string withThousands(uint64_t value);
// "1 mesh", "3 meshes": the count grouped, the noun in the number it needs.
std::string countOf(uint64_t count, const char* one, const char* many);

}  // namespace qf
