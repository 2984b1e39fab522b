#include "obj/obj_statements.h"

#include "model/fixed_text.h"
#include "obj/line_reader.h"

namespace qf {

Keyword peekKeyword(const char* line) {
    const char* p = line;
    while (*p == ' ' || *p == '\t') ++p;
    Keyword k;
    auto ends = [](char c) { return c == '\0' || c == '\n' || c == '\r'; };
    if (*p == '"') {
        ++p;
        if (*p == '"' || ends(*p)) return k;
        k.first = *p++;
        k.second = (*p == '"' || ends(*p)) ? '\0' : *p;
        return k;
    }
    if (ends(*p)) return k;
    k.first = *p++;
    k.second = (*p == ' ' || *p == '\t' || ends(*p)) ? '\0' : *p;
    return k;
}

void groupNameOf(const char* const* tokens, int count, char (&name)[kObjectNameSize]) {
    joinName(tokens, count, name, sizeof name);
}

bool isNamedStatement(const char* const* tokens, int count, const char* keyword) {
    return count >= 2 && equalsNoCase(tokens[0], keyword);
}

}  // namespace qf
