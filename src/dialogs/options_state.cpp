#include "dialogs/options_state.h"

#include <algorithm>
#include <cstdio>

#include "dialogs/progress_flow.h"
#include "model/string_table.h"

namespace qf {

void TickTally::reset(const ObjImporter& importer) {
    const size_t n = importer.objects.size();
    polygonCounts_.assign(n, 0);
    for (size_t i = 0; i < n; ++i) polygonCounts_[i] = importer.objects[i]->polygonCount;
    ticked_.assign(n, 0);
    polygons_ = 0;
}

bool TickTally::setTicked(int32_t record, bool ticked) {
    if (record < 0 || size_t(record) >= ticked_.size()) return false;
    uint8_t& mark = ticked_[size_t(record)];
    if (bool(mark) == ticked) return false;
    mark = ticked ? 1 : 0;
    polygons_ += (ticked ? 1 : -1) * int64_t(polygonCounts_[size_t(record)]);
    return true;
}

bool TickTally::isTicked(int32_t record) const {
    return record >= 0 && size_t(record) < ticked_.size() && ticked_[size_t(record)] != 0;
}

std::string objectGroupTitle(size_t objectCount) {
    char text[64];
    const int n = int(std::min<size_t>(objectCount, INT32_MAX));
    std::snprintf(text, sizeof text, loadText(n > 1 ? IDS_N_OBJECTS : IDS_ONE_OBJECT), n);
    return text;
}

MaterialEnables materialEnables(bool importMaterials, bool usePrefixChecked) {
    return {importMaterials, importMaterials && usePrefixChecked, importMaterials, importMaterials};
}

SkinColor scanFadeColour(SkinColor colour, SkinColor background, int stepsDone) {
    const int left = kScanFadeSteps - std::clamp(stepsDone, 0, kScanFadeSteps);
    return fadedColour(colour, background, float(left) / float(kScanFadeSteps));
}

SkinColor countHighlightColour(SkinColor face) {
    return redOf(face) + greenOf(face) + blueOf(face) < 200 ? rgb(184, 160, 76) : rgb(37, 66, 89);
}

}  // namespace qf
