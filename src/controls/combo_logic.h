// The drop-down list's items and selection, the place of its edit field, and the entries of the
// popup it drops down, without a window.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace qf {

// Popup entries carry the item's index above this id.
constexpr uint32_t kComboFirstItemId = 32000;
constexpr int kComboArrowId = 9999;
// How a separator is stored among the texts.
constexpr const char* kComboSeparator = "<separator>";

struct ComboItems {
    std::vector<std::string> texts;  // in order, separators included
    int selection = -1;              // index among the real items, -1 for none
    int lastIndex = -1;              // real items - 1
};

// Appends a text, or a separator for null.
void comboAdd(ComboItems& items, const char* text);
void comboClear(ComboItems& items);
// The text of the index-th real item; null outside 0 .. lastIndex.
const std::string* comboItemText(const ComboItems& items, int index);
// Selects a real item; false (nothing changed) outside 0 .. lastIndex.
bool comboSelect(ComboItems& items, int index);
// The selection one step up (-1) or down (+1), or a wheel turn away (120 a notch, forward goes
// up), kept within the items; the current selection when it would not move.
int comboStepTarget(const ComboItems& items, int delta);
int comboWheelTarget(const ComboItems& items, int wheelDelta);
// The item a popup command id stands for: -1 when it names none.
int comboItemOfCommand(const ComboItems& items, uint32_t commandId);

// A popup entry: a separator, or an item with its command id and text.
struct ComboMenuEntry {
    bool separator;
    uint32_t id;
    std::string text;
};
std::vector<ComboMenuEntry> comboMenuEntries(const ComboItems& items);

// The edit field's row in a combo of client height h, for a font whose "Ög" is textHeight high.
struct ComboEditRow {
    int y;
    int height;
};
ComboEditRow comboEditRow(int clientHeight, int textHeight);

}  // namespace qf
