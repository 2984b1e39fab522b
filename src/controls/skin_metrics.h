// The window-free arithmetic of the skin: palette, caption colour, font heights, opacity.
#pragma once
#include <cstdint>

namespace qf {

// A colour as Windows stores it: 0x00BBGGRR.
using SkinColor = uint32_t;
constexpr SkinColor rgb(int r, int g, int b) { return SkinColor(r) | SkinColor(g) << 8 | SkinColor(b) << 16; }
constexpr int redOf(SkinColor c) { return int(c & 0xff); }
constexpr int greenOf(SkinColor c) { return int((c >> 8) & 0xff); }
constexpr int blueOf(SkinColor c) { return int((c >> 16) & 0xff); }

constexpr int kPaletteSize = 18;
constexpr int kFontSlots = 6;
enum PaletteIndex { kFace = 0, kText = 1, kHighlight = 4, kLightEdge = 5, kDarkEdge = 6, kField = 7 };

// The palette colour of an index; black outside the palette.
SkinColor paletteColor(int index);

// The text of a disabled field: its text colour taken most of the way towards the field's own
// background, so that the field still shows what it holds but plainly cannot be edited.
SkinColor dimmedFieldText(SkinColor text, SkinColor field);

// Titles of group frames and dialogs: the face colour offset per channel, modulo 255.
SkinColor captionColor(SkinColor face);

// MulDiv as Windows rounds it: a * b / c rounded half away from zero; -1 when c is 0.
int mulDiv(int a, int b, int c);

// The LOGFONT height of a font slot: minus points * dpi / 72 (font 1 always at 96 dpi, font 2 at
// 10 points, the others at 8 points).
int skinFontHeight(int slot, int screenDpi);

// The layered-window alpha for an opacity in percent (at most 100).
int opacityAlpha(int percent);

}  // namespace qf
