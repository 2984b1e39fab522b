// Which objects an import takes: the options dialog's filter pattern over its object rows, as
// plain functions the dialog and the command-line tool share.
#pragma once
#include "model/import_model.h"

namespace qf {

// Texts and patterns are compared within this many characters, as the dialog's edit holds them.
constexpr size_t kFilterTextLimit = 126;

// Whole-text match ignoring case: '*' takes any run of characters (also none), '?' any one.
// An empty pattern means "*".
bool matchesWildcard(const char* pattern, const char* text);

// Ticks the rows (objects with polygons) whose name matches, then selects for each ticked row
// the first record whose name equals it ignoring case, as pressing Import does. Returns the
// number of selected records.
int selectObjects(ObjImporter& importer, const char* pattern);

}  // namespace qf
