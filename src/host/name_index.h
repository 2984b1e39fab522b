// The scene's full names to item ids. A scene of tens of thousands of meshes asks for a name and
// adds two with every mesh: the ids sit in one flat table probed in line (one cache line where a
// node-based map follows three pointers and divides by a prime), and the names in one block of
// text instead of one allocation each.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "host/xsi_sdk.h"

namespace XSI::standin {

class XSI_SDK_API NameIndex {
public:
    // The id of name, or -1.
    int find(std::string_view name) const;
    // Adds name with id unless name is there already. Returns the id kept for name (id itself,
    // or the earlier one, which the caller may change until the index next changes) and whether
    // name was added.
    std::pair<int&, bool> emplace(std::string_view name, int id);
    // Takes name out; false when it was not there.
    bool erase(std::string_view name);
    void clear();
    size_t size() const { return count_; }

private:
    struct Slot {
        size_t hash = 0;
        size_t offset = 0;    // of the name in names_
        uint32_t length = 0;
        int32_t id = -1;      // -1: free
    };
    // The slot holding name, or the free slot where the probe for it ended.
    size_t probe(std::string_view name, size_t hash) const;
    bool holds(const Slot& slot, std::string_view name, size_t hash) const;
    // A table of the given number of slots (a power of two) with every name in use, and no other
    // text.
    void rebuild(size_t capacity);

    std::vector<Slot> slots_;
    std::string names_;
    size_t count_ = 0;
    size_t erasedBytes_ = 0;  // text of names taken out, dropped at the next rebuild
};

}  // namespace XSI::standin
