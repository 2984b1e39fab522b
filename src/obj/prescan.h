// The first pass over an OBJ file: finds its objects (groups) and counts everything the parse
// pass will allocate, without storing any coordinate.
#pragma once
#include "model/import_model.h"
#include "model/messages.h"

namespace qf {

// Fills objects, the file totals and materialLibraries. Returns the number of records, 0 when
// cancelled or when the file's counts exceed what the model can hold (errorText then says so).
// Expects objFile at its start and lineBuffer allocated; rewinds objFile when done.
int prescanObj(ObjImporter& importer, DialogLink& dialog);

// One row per object with polygons, in list order, each tied to its record; handed over in
// batches, and no more once the run is cancelled.
void fillObjectList(const ObjImporter& importer, DialogLink& dialog);

namespace detail {
// The same with a lower limit for every count, so that tests reach it without gigabytes.
int prescanObj(ObjImporter& importer, DialogLink& dialog, int32_t countLimit);
}  // namespace detail

// Lines between two progress points for a file of the given size.
uint64_t progressStep(uint64_t fileSize);

}  // namespace qf
