#include "model/string_table.h"

#define QF_QUOTE "\""

namespace qf {
namespace {

struct Entry {
    int id;
    const char* text;
};

#define QF_ENTRY(id, text) {id, text},
constexpr Entry kEntries[] = {QF_STRING_TABLE(QF_ENTRY)};
#undef QF_ENTRY

}  // namespace

const char* loadText(int id) {
    for (const Entry& e : kEntries)
        if (e.id == id) return e.text;
    return "";
}

}  // namespace qf
