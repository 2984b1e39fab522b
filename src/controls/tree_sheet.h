// The tree control's pannable sheet and the folder chooser built on it, as plain arithmetic and
// bookkeeping: where the inner tree sits as the user pans, scrolls and selects, how big it is
// made, how the chooser lays itself out, and which folders and drives it lists.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "controls/frame_geometry.h"

namespace qf {

// The inner tree is this much wider than its content, so that its own scroll bar never shows.
constexpr int kSheetSlack = 40;

// The sheet's place and size: offset is the tree's position in the host (both 0 or negative),
// the content is the tree's size less the slack.
struct Sheet {
    FramePoint offset{0, 0};
    int contentWidth = 0;
    int contentHeight = 0;
};

// The part of a wanted scroll (dx, dy) that keeps the content covering the client area; an axis
// whose content fits the client does not move.
FramePoint clampSheetScroll(const Sheet& sheet, int clientWidth, int clientHeight, int dx, int dy);

// One mouse move of a middle-button pan, in screen coordinates. At the top or bottom screen edge
// the cursor wraps to the other edge (and nothing scrolls), so that the pan can go on.
struct PanStep {
    bool wrap = false;
    int wrapY = 0;           // where the cursor is put when wrap
    FramePoint scroll{0, 0};  // otherwise the scroll to apply
    FramePoint last{0, 0};    // the pan's new reference point
};
PanStep panStep(FramePoint pointer, FramePoint last, int screenHeight);

// A wheel turn scrolls whole rows: one notch forward moves the content one row down.
int wheelScroll(int wheelDelta, int itemHeight);

// The sheet's vertical offset that shows the row [top, bottom) (tree coordinates) in a client of
// the given height.
int offsetShowingRow(int offsetY, int rowTop, int rowBottom, int clientHeight);

// The tree's size for its content: every row (at least the client's height), and the widest text
// (at least the client's width) plus the slack.
int sheetHeight(int rows, int itemHeight, int clientHeight);
// Rows a Page Up or Page Down moves the selection: the rows the view shows, less the one kept in
// sight, and at least one. The tree itself, as big as its content, would take its whole content
// for a page.
inline int pageRows(int visibleRows) { return visibleRows > 2 ? visibleRows - 1 : 1; }
int sheetWidth(int widestTextRight, int clientWidth);

// Moves the sheet back so that its content fills the client area; shifted tells whether it moved.
struct FilledSheet {
    FramePoint offset;
    bool shifted;
};
FilledSheet fillClient(FramePoint offset, int treeWidth, int treeHeight, int clientWidth, int clientHeight);

// The 32 x 32 monochrome pan cursor (a closed hand) as AND and XOR masks, 4 bytes a row, with its
// hotspot.
struct CursorMasks {
    uint8_t andMask[128];
    uint8_t xorMask[128];
    int hotX, hotY;
};
CursorMasks panCursorMasks();

// ---- the folder chooser ----

constexpr int kChooserWidth = 340, kChooserHeight = 510;
constexpr int kChooserMinWidth = 240, kChooserMinHeight = 220;
// Item paths are joined up to this many characters.
constexpr size_t kItemPathLimit = 1023;
// The text of the one child an item has until its folder is read.
constexpr const char* kUnreadMarker = "<read>";

struct ChooserLayout {
    FrameRect label, ok, tree;
};
// The chooser's controls in a client of w x h; the tree keeps its top.
ChooserLayout chooserLayout(int w, int h, int treeTop);

// The areas to repaint after the client went from (oldW, oldH) to (w, h) while the tree's content
// stayed put: above the tree, below it, and right of it.
std::vector<FrameRect> chooserRepaintBands(int w, int h, int oldW, int oldH, const FrameRect& tree);

// Where the chooser goes when given a start position: kept on the screen.
FramePoint chooserPosition(FramePoint wanted, int screenWidth, int screenHeight, int width, int height);

// The texts from a root to an item joined with '\', at most kItemPathLimit characters.
std::string joinItemPath(const std::vector<std::string>& rootToItem);

// A path's parts between '\' (or '/'), empty ones left out.
std::vector<std::string> splitItemPath(const std::string& path);

// A folder entry the chooser lists and the map search descends into: a directory, neither hidden
// nor system, and not "." or "..". The attribute bits are those of the Win32 find data.
bool isListedFolder(uint32_t attributes, const char* name);

// The roots of a drive list as the system gives it (strings each ended by a zero, the list by
// another), at most size bytes read.
std::vector<std::string> driveRoots(const char* list, size_t size);

// Drive types the chooser lists (removable, fixed, remote, RAM disk; no CD drives), and those it
// gives a child without looking at their disk.
bool isListedDriveType(unsigned type);
bool isRemovableDriveType(unsigned type);

}  // namespace qf
