#include "dialogs/object_selection.h"

#include <cstring>
#include <string>

#include "model/fixed_text.h"

namespace qf {

namespace {

inline char fold(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

}  // namespace

bool matchesWildcard(const char* patternText, const char* fullText) {
    const std::string pattern(patternText, strnlen(patternText, kFilterTextLimit));
    const std::string text(fullText, strnlen(fullText, kFilterTextLimit));
    if (pattern.empty()) return true;
    size_t p = 0, t = 0;
    size_t star = std::string::npos, starText = 0;
    while (t < text.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || (pattern[p] != '*' && fold(pattern[p]) == fold(text[t])))) {
            ++p;
            ++t;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            starText = t;
        } else if (star != std::string::npos) {
            // Back to the last '*': let it take one more character.
            p = star + 1;
            t = ++starText;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

int selectObjects(ObjImporter& importer, const char* pattern) {
    // Each row is its own record: of two objects whose names differ only in case, each is
    // chosen by its own name.
    for (const auto& o : importer.objects)
        if (o->polygonCount != 0 && matchesWildcard(pattern, o->name)) o->selected = true;
    return importer.countSelectedObjects();
}

}  // namespace qf
