#include "controls/scroll_logic.h"

#include <algorithm>
#include <cstdint>

namespace qf {

namespace {

int clampPosition(int value, int range) { return std::clamp(value, 0, std::max(range, 0)); }

ScrollCode codeFor(int step, bool paging) {
    if (step <= 0) return paging ? ScrollCode::PageUp : step == -1 ? ScrollCode::LineUp : ScrollCode::ThumbTrack;
    return paging ? ScrollCode::PageDown : step == 1 ? ScrollCode::LineDown : ScrollCode::ThumbTrack;
}

}  // namespace

int scrollTrackLength(int barHeight) { return std::max(barHeight - kThumbHeight - 2 * kScrollArrowHeight, 0); }

int thumbTopFor(int barHeight, int range, int position) {
    const int length = scrollTrackLength(barHeight);
    if (range <= 0 || position <= 0 || length == 0) return kScrollArrowHeight;
    // length / range * position, in whole numbers so that the last position lands on the end.
    const int64_t offset = int64_t(length) * std::min(position, range) / range;
    return kScrollArrowHeight + int(offset);
}

ScrollReport scrollMove(ScrollState& s, int barHeight) {
    s.position = int(std::clamp<int64_t>(int64_t(s.position) + s.step, 0, std::max(s.range, 0)));
    return {true, codeFor(s.step, s.paging), s.position, thumbTopFor(barHeight, s.range, s.position)};
}

ScrollReport scrollSetPosition(ScrollState& s, int barHeight, int requested) {
    s.step = clampPosition(requested, s.range) - s.position;
    const ScrollReport report = scrollMove(s, barHeight);
    s.step = 0;
    return report;
}

ScrollReport scrollSetRange(ScrollState& s, int barHeight, int range, int page) {
    s.range = std::clamp(range, 0, kScrollPositionMax);
    s.page = std::clamp(page, 0, kScrollPositionMax);
    s.position = clampPosition(s.position, s.range);
    const int pending = s.step;
    s.step = 0;
    const ScrollReport report = scrollMove(s, barHeight);
    s.step = pending;
    return report;
}

void scrollTrackPress(ScrollState& s, bool aboveThumb) {
    s.paging = true;
    s.step = aboveThumb ? -s.page : s.page;
}

ScrollReport scrollDrag(ScrollState& s, int barHeight, int thumbTop, int dy) {
    const int length = scrollTrackLength(barHeight);
    const int top = int(std::clamp<int64_t>(int64_t(thumbTop) + dy, kScrollArrowHeight, kScrollArrowHeight + length));
    const int position =
        (length == 0 || s.range <= 0) ? 0 : clampPosition(int(int64_t(top - kScrollArrowHeight) * s.range / length), s.range);
    const bool changed = position != s.position;
    s.position = position;
    return {changed, ScrollCode::ThumbTrack, position, top};
}

void scrollRelease(ScrollState& s) {
    s.step = 0;
    s.dragging = false;
    s.paging = false;
}

bool scrollRepeatGoesOn(ScrollState& s, bool arrowHeld) {
    if (s.paging || arrowHeld) return true;
    s.step = 0;
    return false;
}

int visibleRowsFor(int listHeight, int rowHeight) { return std::max(listHeight, 0) / std::max(rowHeight, 1); }

int linesBeyondView(int lineCount, int visibleRows) { return std::max(lineCount - std::max(visibleRows, 0), 0); }

int scrollRangeFor(int lineCount, int visibleRows) {
    return std::min(linesBeyondView(lineCount, visibleRows), kScrollPositionMax);
}

int barPositionForTop(int top, int linesBeyond) {
    if (linesBeyond <= kScrollPositionMax) return top;
    return int(int64_t(std::clamp(top, 0, linesBeyond)) * kScrollPositionMax / linesBeyond);
}

int topForBarPosition(int position, int linesBeyond) {
    if (linesBeyond <= kScrollPositionMax) return position;
    // Rounded up: the first line whose position (rounded down) is this one.
    const int64_t p = std::clamp(position, 0, kScrollPositionMax);
    return int((p * linesBeyond + kScrollPositionMax - 1) / kScrollPositionMax);
}

int topAfterBarMove(int top, int barPosition, ScrollCode code, int linesBeyond, int visibleRows) {
    if (barPosition == barPositionForTop(top, linesBeyond)) return top;
    if (linesBeyond <= kScrollPositionMax) return topForBarPosition(barPosition, linesBeyond);
    int64_t moved = topForBarPosition(barPosition, linesBeyond);
    switch (code) {
    case ScrollCode::LineUp: moved = int64_t(top) - 1; break;
    case ScrollCode::LineDown: moved = int64_t(top) + 1; break;
    case ScrollCode::PageUp: moved = int64_t(top) - visibleRows; break;
    case ScrollCode::PageDown: moved = int64_t(top) + visibleRows; break;
    case ScrollCode::ThumbTrack: break;
    }
    return int(std::clamp<int64_t>(moved, 0, linesBeyond));
}

int topAfterWheel(int top, int wheelDelta) { return std::max(top - wheelDelta / 120, 0); }

}  // namespace qf
