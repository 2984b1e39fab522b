// The options dialog without its window: which objects are ticked and how many polygons that
// makes, the object group's title, what the material options enable, and the colours of the scan
// bar's fade and of the file's name and counter.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "controls/skin_metrics.h"
#include "model/import_model.h"

namespace qf {

// The ticked rows of the object list, each tied to its record in importer.objects, and the sum of
// their polygons, kept as the rows change one by one.
class TickTally {
public:
    // Every record unticked.
    void reset(const ObjImporter& importer);
    // Records a row's tick; true when that changed the tally. Records out of range are ignored.
    bool setTicked(int32_t record, bool ticked);
    bool isTicked(int32_t record) const;
    int64_t polygons() const { return polygons_; }

private:
    std::vector<int32_t> polygonCounts_;
    std::vector<uint8_t> ticked_;
    int64_t polygons_ = 0;
};

// The title of the object group once the file is counted: "1 Object", "5 Objects" (and "0 Object"
// for a file without objects).
std::string objectGroupTitle(size_t objectCount);

// What the material group enables: everything but the check box itself follows "Import
// materials", and the prefix edit also follows its own check box.
struct MaterialEnables {
    bool usePrefix;
    bool prefixEdit;
    bool defaultBump;
    bool forceBlackAmbient;
};
MaterialEnables materialEnables(bool importMaterials, bool usePrefixChecked);

// The fade of the scan bar: ten steps from its colour to the background.
constexpr int kScanFadeSteps = 10;
constexpr SkinColor kScanBarColour = rgb(201, 168, 63);
// The colour after stepsDone of the ten steps: each channel background + (colour - background) x
// the factor left, truncated.
SkinColor scanFadeColour(SkinColor colour, SkinColor background, int stepsDone);

// The text colour of the file name and the polygon counter: light on a dark face, dark on a light one.
SkinColor countHighlightColour(SkinColor face);

}  // namespace qf
