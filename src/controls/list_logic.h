// The window-free arithmetic of the skinned list: scrolling in whole rows by drag and wheel, the
// look of its header, and where a row goes in a sorted list.
#pragma once
#include <cstddef>
#include <functional>

namespace qf {

// Rows a middle-button drag scrolls when the pointer moved from dragY to y: the content follows
// the pointer, so moving down scrolls towards the top (negative). None without a row height.
int dragScrollRows(int y, int dragY, int rowHeight);
// Pixels that bring a list back to the top row it had when the drag began.
int restoreScrollPixels(int dragTopIndex, int currentTopIndex, int rowHeight);
// Rows a wheel delta scrolls: one per whole notch, forward (positive) towards the top.
int wheelScrollRows(int delta);
// Header strip above the rows, where the wheel does nothing.
constexpr int kListHeaderHeight = 17;

// Palette indices of a header item's frame, and whether it is drawn pushed in.
struct HeaderItemLook {
    int topLeft;
    int bottomRight;
    bool pushed;
};
HeaderItemLook headerItemLook(bool buttons, bool pressed, bool pointerInItem);

// Index at which a row goes in a list sorted ascending by compareWithRow(i) (< 0 when the new row
// sorts before row i): after every row it does not sort before, so equal rows keep their order.
// endFirst compares with the last row before halving: one comparison for a row that goes at the
// end, one more for any other. Worth it while rows come in their order, as many files list them.
size_t sortedInsertIndex(size_t rowCount, const std::function<int(size_t)>& compareWithRow, bool endFirst = false);

}  // namespace qf
