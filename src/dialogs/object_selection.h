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

// Selects every record with polygons (every row of the object list) whose name matches, as
// ticking those rows and pressing Import does. Returns the number of selected records.
int selectObjects(ObjImporter& importer, const char* pattern);

}  // namespace qf
