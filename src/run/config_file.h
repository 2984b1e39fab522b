// The options file beside the plug-in's library: little-endian, format mark 5, 29 + L bytes.
#pragma once
#include <string>

#include "model/import_model.h"

namespace qf {

constexpr int kConfigFormatMark = 5;
constexpr int kConfigFixedSize = 29;
constexpr const char* kConfigFileName = "qf_objimp.cfg";

// The module's file name cut after its last '\' or '/', plus the file name; empty (no options
// file) when that does not fit the path field or the module's name is empty.
void configPathBeside(const char* moduleFileName, char (&path)[kPathSize]);

// Loads the options into importer.options from importer.configPath. False, with nothing changed,
// when there is no such path, or the file is missing, of another format, of another recorded
// length, or too short. A number out of its range is replaced by its default, with a warning.
// When it returns true and the map search path is not empty, the caller adds that folder tree.
bool loadOptions(ObjImporter& importer);

// Writes the options to importer.configPath; false when the file could not be written, which
// then holds what it held before. The plug-in does not report it.
bool saveOptions(const ObjImporter& importer);

}  // namespace qf
