// What both OBJ passes need to agree on: how a statement is recognised and how a group name is
// cut to its field, so that the pre-scan's records and the parse pass's lookups match.
#pragma once
#include <cstddef>

#include "model/import_model.h"

namespace qf {

// Tokens per line of the OBJ passes (one entry stays for the end marker).
constexpr int kObjTokenCapacity = 20000;

// The first two characters of a line's first token, as splitTokens would cut it (quotes
// included); second is '\0' when the token has one character, first is '\0' for an empty line.
struct Keyword {
    char first = '\0';
    char second = '\0';
};
Keyword peekKeyword(const char* line);

// The same, with the usual line (keyword at its very start) decided in place.
inline Keyword peekKeywordFast(const char* line) {
    const char c = line[0];
    if (c == ' ' || c == '\t' || c == '"' || c == '\0' || c == '\n' || c == '\r') return peekKeyword(line);
    const char d = line[1];
    const bool ends = d == ' ' || d == '\t' || d == '\0' || d == '\n' || d == '\r';
    return Keyword{c, ends ? '\0' : d};
}

// The group name of a g statement (tokens already split), cut to an object name's field.
void groupNameOf(const char* const* tokens, int count, char (&name)[kObjectNameSize]);

// Whether token 0 names the statement ignoring case and at least one more token follows.
bool isNamedStatement(const char* const* tokens, int count, const char* keyword);

}  // namespace qf
