// Reading of the MTL material libraries an OBJ file names.
#pragma once
#include <cstdint>
#include <memory>

#include "model/import_model.h"
#include "model/messages.h"
#include "model/mtl_material.h"
#include "obj/input_source.h"

namespace qf {

// Words per MTL line (one more entry holds the end marker).
constexpr int kMtlTokenCapacity = 30;

// Reads every library of importer.materialLibraries, relative to objDirectory, into materials.
// A library that cannot be opened adds a warning. Does nothing when materials are not imported.
void readMaterialLibraries(ObjImporter& importer, DialogLink& dialog);

// Reads one library; returns the bytes consumed.
uint64_t parseMtlFile(ObjImporter& importer, InputSource& file);

// One map_ statement: words[0] is the keyword.
std::unique_ptr<MtlMap> parseMapStatement(const char* const* words, int count, float defaultBump);

// The folder of the library handled last, ending in '/': where texture lookup starts.
const char* currentMtlFolder();
void setCurrentMtlFolder(const char* folder);

}  // namespace qf
