// The plug-in's texts by string-table id.
#pragma once
#include "resources/string_table.h"

namespace qf {

// The text of a string-table id; an empty text for an id outside the table.
const char* loadText(int id);

}  // namespace qf
