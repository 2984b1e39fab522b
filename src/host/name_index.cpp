#include "host/name_index.h"

#include <cstring>
#include <functional>
#include <limits>
#include <stdexcept>

namespace XSI::standin {

namespace {

size_t hashOf(std::string_view name) { return std::hash<std::string_view>()(name); }

constexpr size_t kFirstCapacity = 64;

}  // namespace

bool NameIndex::holds(const Slot& slot, std::string_view name, size_t hash) const {
    return slot.hash == hash && slot.length == name.size() &&
           std::memcmp(names_.data() + slot.offset, name.data(), name.size()) == 0;
}

size_t NameIndex::probe(std::string_view name, size_t hash) const {
    const size_t mask = slots_.size() - 1;
    size_t at = hash & mask;
    while (slots_[at].id >= 0 && !holds(slots_[at], name, hash)) at = (at + 1) & mask;
    return at;
}

int NameIndex::find(std::string_view name) const {
    if (count_ == 0) return -1;
    return slots_[probe(name, hashOf(name))].id;
}

std::pair<int&, bool> NameIndex::emplace(std::string_view name, int id) {
    if (id < 0) throw std::invalid_argument("NameIndex: ids are not negative");
    if (name.size() > std::numeric_limits<uint32_t>::max()) throw std::length_error("NameIndex: name too long");
    // At most half full, so that a probe ends after a slot or two.
    if (slots_.empty()) rebuild(kFirstCapacity);
    else if ((count_ + 1) * 2 > slots_.size()) rebuild(slots_.size() * 2);
    const size_t hash = hashOf(name);
    Slot& slot = slots_[probe(name, hash)];
    if (slot.id >= 0) return {slot.id, false};
    slot.hash = hash;
    slot.offset = names_.size();
    slot.length = uint32_t(name.size());
    slot.id = id;
    names_.append(name);
    ++count_;
    return {slot.id, true};
}

bool NameIndex::erase(std::string_view name) {
    if (count_ == 0) return false;
    const size_t mask = slots_.size() - 1;
    size_t hole = probe(name, hashOf(name));
    if (slots_[hole].id < 0) return false;
    erasedBytes_ += slots_[hole].length;
    // Later slots of the run move up into the hole unless their own place lies after it, so that
    // every probe still meets its name before a free slot.
    for (size_t next = (hole + 1) & mask; slots_[next].id >= 0; next = (next + 1) & mask) {
        const size_t home = slots_[next].hash & mask;
        const bool staysBehindHole = hole <= next ? (hole < home && home <= next) : (hole < home || home <= next);
        if (staysBehindHole) continue;
        slots_[hole] = slots_[next];
        hole = next;
    }
    slots_[hole] = Slot{};
    --count_;
    // Renamed and deleted items leave their text behind: drop it once it outweighs the rest.
    if (erasedBytes_ > (size_t(1) << 20) && erasedBytes_ * 2 > names_.size()) rebuild(slots_.size());
    return true;
}

void NameIndex::clear() {
    slots_.clear();
    names_.clear();
    count_ = erasedBytes_ = 0;
}

void NameIndex::rebuild(size_t capacity) {
    std::vector<Slot> old(capacity);
    old.swap(slots_);
    std::string oldNames;
    oldNames.reserve(names_.size() - erasedBytes_);
    oldNames.swap(names_);
    erasedBytes_ = 0;
    const size_t mask = capacity - 1;
    for (const Slot& slot : old) {
        if (slot.id < 0) continue;
        size_t at = slot.hash & mask;  // names are distinct: the first free slot is theirs
        while (slots_[at].id >= 0) at = (at + 1) & mask;
        slots_[at] = slot;
        slots_[at].offset = names_.size();
        names_.append(oldNames, slot.offset, slot.length);
    }
}

}  // namespace XSI::standin
