#include "controls/list_logic.h"

namespace qf {

int dragScrollRows(int y, int dragY, int rowHeight) {
    if (rowHeight <= 0) return 0;
    return -((y - dragY) / rowHeight);
}

int restoreScrollPixels(int dragTopIndex, int currentTopIndex, int rowHeight) {
    if (rowHeight <= 0) return 0;
    return (dragTopIndex - currentTopIndex) * rowHeight;
}

int wheelScrollRows(int delta) { return -(delta / 120); }

HeaderItemLook headerItemLook(bool buttons, bool pressed, bool pointerInItem) {
    if (!buttons) return {0, 15, false};
    if (pressed && pointerInItem) return {15, 16, true};
    return {16, 15, false};
}

size_t sortedInsertIndex(size_t rowCount, const std::function<int(size_t)>& compareWithRow, bool endFirst) {
    if (endFirst && rowCount > 0 && compareWithRow(rowCount - 1) >= 0) return rowCount;
    size_t low = 0, high = rowCount;
    while (low < high) {
        const size_t mid = low + (high - low) / 2;
        if (compareWithRow(mid) < 0) high = mid;
        else low = mid + 1;
    }
    return low;
}

}  // namespace qf
