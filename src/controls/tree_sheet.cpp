#include "controls/tree_sheet.h"

#include <algorithm>
#include <cstring>

#include "controls/text_fitting.h"

namespace qf {

namespace {

// Limits a scroll along one axis: the content [offset, offset + content) keeps covering [0, client).
int clampAxis(int offset, int content, int client, int delta) {
    if (content <= client) return 0;
    if (delta < 0) return std::min(0, std::max(delta, client - (offset + content)));
    if (delta > 0) return std::max(0, std::min(delta, -offset));
    return 0;
}

// The closed hand of the pan cursor: B outline (black), W fill (white), . transparent.
constexpr const char* kHand[] = {
    "...BB.BB.BB....",
    "..BWWBWWBWWBB..",
    "..BWWWWWWWWBWB.",
    ".BBWWWWWWWWWWB.",
    "BWWBWWWWWWWWWB.",
    "BWWWWWWWWWWWWB.",
    ".BWWWWWWWWWWWB.",
    "..BWWWWWWWWWWB.",
    "..BWWWWWWWWWB..",
    "...BWWWWWWWWB..",
    "....BWWWWWWB...",
    "....BWWWWWWB...",
    "....BWWWWWWB...",
    "....BBBBBBBB...",
};
constexpr int kHandLeft = 3, kHandTop = 10;

}  // namespace

FramePoint clampSheetScroll(const Sheet& sheet, int clientWidth, int clientHeight, int dx, int dy) {
    return {clampAxis(sheet.offset.x, sheet.contentWidth, clientWidth, dx),
            clampAxis(sheet.offset.y, sheet.contentHeight, clientHeight, dy)};
}

PanStep panStep(FramePoint pointer, FramePoint last, int screenHeight) {
    PanStep step;
    step.last = last;
    if (pointer.y < 1) {
        step.wrap = true;
        step.wrapY = step.last.y = screenHeight - 2;
    } else if (pointer.y >= screenHeight - 1) {
        step.wrap = true;
        step.wrapY = step.last.y = 1;
    } else {
        step.scroll = {pointer.x - last.x, pointer.y - last.y};
        step.last = pointer;
    }
    return step;
}

int wheelScroll(int wheelDelta, int itemHeight) { return (wheelDelta / 120) * itemHeight; }

int offsetShowingRow(int offsetY, int rowTop, int rowBottom, int clientHeight) {
    if (offsetY + rowTop < 0) offsetY = -rowTop;
    if (rowBottom > clientHeight - offsetY) offsetY = clientHeight - rowBottom;
    return offsetY;
}

int sheetHeight(int rows, int itemHeight, int clientHeight) {
    const long long content = static_cast<long long>(std::max(rows, 0)) * std::max(itemHeight, 0);
    return int(std::clamp<long long>(content, clientHeight, 0x7fffffff - kSheetSlack));
}

int sheetWidth(int widestTextRight, int clientWidth) { return std::max(widestTextRight, clientWidth) + kSheetSlack; }

FilledSheet fillClient(FramePoint offset, int treeWidth, int treeHeight, int clientWidth, int clientHeight) {
    FilledSheet filled{offset, false};
    const int right = offset.x + treeWidth - kSheetSlack;
    if (right < clientWidth) {
        filled.offset.x += clientWidth - right;
        filled.shifted = true;
    }
    const int bottom = offset.y + treeHeight;
    if (bottom < clientHeight) {
        filled.offset.y += clientHeight - bottom;
        filled.shifted = true;
    }
    return filled;
}

CursorMasks panCursorMasks() {
    CursorMasks masks{};
    std::memset(masks.andMask, 0xff, sizeof masks.andMask);
    for (int row = 0; row < int(std::size(kHand)); ++row)
        for (int col = 0; kHand[row][col]; ++col) {
            const char c = kHand[row][col];
            if (c == '.') continue;
            const int x = kHandLeft + col, y = kHandTop + row;
            const uint8_t bit = uint8_t(0x80 >> (x % 8));
            masks.andMask[y * 4 + x / 8] &= uint8_t(~bit);
            if (c == 'W') masks.xorMask[y * 4 + x / 8] |= bit;
        }
    masks.hotX = 10;
    masks.hotY = 10;
    return masks;
}

ChooserLayout chooserLayout(int w, int h, int treeTop) {
    ChooserLayout l;
    l.label = {21, 42, w - 21, 56};
    l.ok = {w - 87, h - 47, w - 12, h - 24};
    l.tree = {19, treeTop, w - 20, treeTop + h - 124};
    return l;
}

std::vector<FrameRect> chooserRepaintBands(int w, int h, int oldW, int oldH, const FrameRect& tree) {
    const int bottomTop = std::max(0, std::min(tree.bottom - (h - oldH) - 2, h - 64));
    const int rightLeft = std::max(0, std::min(tree.right - (w - oldW) - 2, w - 22));
    return {{0, 0, w, std::max(0, tree.top)}, {0, bottomTop, w, h}, {rightLeft, 0, w, h}};
}

FramePoint chooserPosition(FramePoint wanted, int screenWidth, int screenHeight, int width, int height) {
    return {std::min(wanted.x, screenWidth - width), std::min(wanted.y, screenHeight - 5 - height)};
}

std::string joinItemPath(const std::vector<std::string>& rootToItem) {
    std::string path;
    for (const std::string& part : rootToItem) {
        if (!path.empty()) path += '\\';
        path += part;
        if (path.size() >= kItemPathLimit) break;
    }
    if (path.size() > kItemPathLimit) path.resize(kItemPathLimit);
    return path;
}

std::vector<std::string> splitItemPath(const std::string& path) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t i : letterStarts(path))
        if (i == path.size() || path[i] == '\\' || path[i] == '/') {
            if (i > start) parts.push_back(path.substr(start, i - start));
            start = i + 1;
        }
    return parts;
}

bool isListedFolder(uint32_t attributes, const char* name) {
    constexpr uint32_t kDirectory = 0x10, kHidden = 0x2, kSystem = 0x4;
    if (!(attributes & kDirectory) || (attributes & (kHidden | kSystem))) return false;
    return std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0;
}

std::vector<std::string> driveRoots(const char* list, size_t size) {
    std::vector<std::string> roots;
    size_t at = 0;
    while (at < size && list[at]) {
        const size_t length = strnlen(list + at, size - at);
        roots.emplace_back(list + at, length);
        at += length + 1;
    }
    return roots;
}

bool isListedDriveType(unsigned type) { return type == 2 || type == 3 || type == 4 || type == 6; }
bool isRemovableDriveType(unsigned type) { return type == 2; }

}  // namespace qf
