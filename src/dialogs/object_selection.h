// Which objects an import takes: the options dialog's filter pattern over its object rows, as
// plain functions the dialog and the command-line tool share.
#pragma once
#include <string>

#include "model/import_model.h"

namespace qf {

// Texts and patterns are compared within this many characters, as the dialog's edit holds them.
constexpr size_t kFilterTextLimit = 126;

// Whole-text match ignoring case: '*' takes any run of characters (also none), '?' any one.
// An empty pattern means "*".
bool matchesWildcard(const char* pattern, const char* text);

// How a row that joins the object list after the user has chosen is ticked: as the last choice
// (All, None, Invert, the filter) would have ticked it had the row been there. Rows come in
// while the file is still being read; a choice made meanwhile holds for them too.
class NewRowTicks {
public:
    void all() { set(Rule::All, ""); }
    void none() { set(Rule::None, ""); }
    void filter(const char* pattern) { set(Rule::Filter, pattern); }
    void invert() { inverted_ = !inverted_; }
    bool ticks(const char* name) const {
        const bool ticked = rule_ == Rule::All || (rule_ == Rule::Filter && matchesWildcard(pattern_.c_str(), name));
        return ticked != inverted_;
    }

private:
    enum class Rule { All, None, Filter };
    void set(Rule rule, const char* pattern) {
        rule_ = rule;
        pattern_ = pattern;
        inverted_ = false;
    }
    Rule rule_ = Rule::All;
    std::string pattern_;
    bool inverted_ = false;
};

// Selects every record with polygons (every row of the object list) whose name matches, as
// ticking those rows and pressing Import does. Returns the number of selected records.
int selectObjects(ObjImporter& importer, const char* pattern);

}  // namespace qf
