#include "controls/skin_metrics.h"

#include <cstdlib>

#include "resources/palette.h"

namespace qf {

namespace {

#define QF_PALETTE_ENTRY(index, r, g, b) rgb(r, g, b),
constexpr SkinColor kPalette[] = {QF_PALETTE(QF_PALETTE_ENTRY)};
#undef QF_PALETTE_ENTRY
static_assert(sizeof kPalette / sizeof kPalette[0] == kPaletteSize);
static_assert(QF_PALETTE_SIZE == kPaletteSize && QF_FONT_SLOTS == kFontSlots);

}  // namespace

SkinColor paletteColor(int index) { return (index >= 0 && index < kPaletteSize) ? kPalette[index] : 0; }

SkinColor dimmedFieldText(SkinColor text, SkinColor field) {
    const auto towardsField = [](int t, int f) { return f + (t - f) * 2 / 5; };
    return rgb(towardsField(redOf(text), redOf(field)), towardsField(greenOf(text), greenOf(field)),
               towardsField(blueOf(text), blueOf(field)));
}

SkinColor captionColor(SkinColor face) {
    return rgb((redOf(face) + 100) % 255, (greenOf(face) + 90) % 255, (blueOf(face) + 75) % 255);
}

int mulDiv(int a, int b, int c) {
    if (c == 0) return -1;
    const long long product = static_cast<long long>(a) * b;
    const bool negative = (product < 0) != (c < 0);
    const long long magnitude = (std::llabs(product) + std::llabs(c) / 2) / std::llabs(c);
    return static_cast<int>(negative ? -magnitude : magnitude);
}

int skinFontHeight(int slot, int screenDpi) {
    if (slot == 1) return -mulDiv(8, 96, 72);
    if (slot == 2) return -mulDiv(10, screenDpi, 72);
    return -mulDiv(8, screenDpi, 72);
}

int opacityAlpha(int percent) {
    if (percent > 100) percent = 100;
    if (percent < 0) percent = 0;
    return percent * 255 / 100;
}

}  // namespace qf
