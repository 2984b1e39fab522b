#include "controls/combo_logic.h"

#include <algorithm>

namespace qf {

void comboAdd(ComboItems& items, const char* text) {
    if (!text) {
        items.texts.emplace_back(kComboSeparator);
        return;
    }
    items.texts.emplace_back(text);
    if (items.texts.back() != kComboSeparator) ++items.lastIndex;
}

void comboClear(ComboItems& items) {
    items.texts.clear();
    items.selection = -1;
    items.lastIndex = -1;
}

const std::string* comboItemText(const ComboItems& items, int index) {
    if (index < 0 || index > items.lastIndex) return nullptr;
    int k = 0;
    for (const std::string& text : items.texts) {
        if (text == kComboSeparator) continue;
        if (k++ == index) return &text;
    }
    return nullptr;
}

bool comboSelect(ComboItems& items, int index) {
    if (index < 0 || index > items.lastIndex) return false;
    items.selection = index;
    return true;
}

namespace {

int clampedTarget(const ComboItems& items, long long target) {
    if (items.lastIndex < 0) return items.selection;
    return int(std::clamp<long long>(target, 0, items.lastIndex));
}

}  // namespace

int comboStepTarget(const ComboItems& items, int delta) {
    return clampedTarget(items, (long long)items.selection + delta);
}

int comboWheelTarget(const ComboItems& items, int wheelDelta) {
    return clampedTarget(items, (long long)items.selection - wheelDelta / 120);
}

int comboItemOfCommand(const ComboItems& items, uint32_t commandId) {
    if (commandId < kComboFirstItemId) return -1;
    const uint32_t index = commandId - kComboFirstItemId;
    return items.lastIndex >= 0 && index <= uint32_t(items.lastIndex) ? int(index) : -1;
}

std::vector<ComboMenuEntry> comboMenuEntries(const ComboItems& items) {
    std::vector<ComboMenuEntry> entries;
    entries.reserve(items.texts.size());
    uint32_t k = 0;
    for (const std::string& text : items.texts) {
        if (text == kComboSeparator) entries.push_back({true, 0, {}});
        else entries.push_back({false, kComboFirstItemId + k++, text});
    }
    return entries;
}

ComboEditRow comboEditRow(int clientHeight, int textHeight) {
    const int y = std::max(int(double(clientHeight - textHeight) + 3.5) / 2, 2);
    return {y, std::min(textHeight, clientHeight - y - 2)};
}

}  // namespace qf
