// The arithmetic of the skinned scroll bar and of the list box it serves: where the thumb sits for
// a position, how arrows, track presses, drags and the wheel move the position, and which code the
// parent is told.
#pragma once

namespace qf {

constexpr int kScrollBarWidth = 13;
constexpr int kScrollArrowHeight = 13;
constexpr int kThumbHeight = 24;
// An arrow held down moves once at once, again after the first delay, then at every repeat delay.
constexpr unsigned kRepeatTimerId = 1123;
constexpr unsigned kRepeatFirstDelayMs = 300;
constexpr unsigned kRepeatDelayMs = 50;
// Positions travel in the high word of WM_VSCROLL's wParam.
constexpr int kScrollPositionMax = 0xFFFF;

// The notification codes, numbered as the system's SB_ codes.
enum class ScrollCode { LineUp = 0, LineDown = 1, PageUp = 2, PageDown = 3, ThumbTrack = 5 };

struct ScrollState {
    int step = 0;           // pending movement per move: -1/+1 arrows, -page/+page track, 0 idle
    bool dragging = false;  // the thumb is held
    bool paging = false;    // the last press was on the track
    int range = 10;         // highest position
    int page = 3;
    int position = 0;
};

// What one movement tells the parent and where the thumb goes (its top, in bar coordinates).
struct ScrollReport {
    bool notify;
    ScrollCode code;
    int position;
    int thumbTop;
};

// The room the thumb travels in: the bar less both arrows and the thumb; never negative.
int scrollTrackLength(int barHeight);
// The thumb's top for a position; at the top for range 0, position 0 or a bar too short to travel.
int thumbTopFor(int barHeight, int range, int position);

// Moves by the pending step (clamped to 0 .. range) and always notifies.
ScrollReport scrollMove(ScrollState& s, int barHeight);
// Moves to a requested position; the step is 0 again afterwards.
ScrollReport scrollSetPosition(ScrollState& s, int barHeight, int requested);
// New range and page (negative values read as 0, both at most kScrollPositionMax); the position
// stays where it was as far as the new range allows.
ScrollReport scrollSetRange(ScrollState& s, int barHeight, int range, int page);

// A press on the track above or below the thumb: one page that way.
void scrollTrackPress(ScrollState& s, bool aboveThumb);
// The thumb follows the pointer by dy pixels from its current top; notifies only when the
// position changed.
ScrollReport scrollDrag(ScrollState& s, int barHeight, int thumbTop, int dy);
// The button is up: nothing pending any more.
void scrollRelease(ScrollState& s);
// A repeat timer tick: true when the bar moves again (an arrow is still held down); otherwise the
// repeat ends and the step is cleared.
bool scrollRepeatGoesOn(ScrollState& s, bool arrowHeld);

// The list box beside its bar.
// Whole rows that fit in a list of that client height (rows of height 0 count as one pixel).
int visibleRowsFor(int listHeight, int rowHeight);
// The top index that shows the last page of a number of lines.
int linesBeyondView(int lineCount, int visibleRows);
// The bar's range for a number of lines: linesBeyondView, at most kScrollPositionMax.
int scrollRangeFor(int lineCount, int visibleRows);
// A list of more lines beyond its view than a position can say spreads them over the bar's
// positions: the bar's position for a top line, and the top line for a position, such that a
// position taken to its line and back is the same position, and the last one shows the last page.
// Lists within the bar's range map one to one.
int barPositionForTop(int top, int linesBeyond);
int topForBarPosition(int position, int linesBeyond);
// The list's top line after its bar reported a move, given where the bar stands when the report
// arrives (reports overtaken by later moves, and the bar's echo of positions the list set, thus
// leave the top where it is). A list longer than the bar's positions moves by a line for an arrow
// and by a page for a press on the track, not by that many positions.
int topAfterBarMove(int top, int barPosition, ScrollCode code, int linesBeyond, int visibleRows);
// The top line after a wheel turn of delta (120 a notch, forward scrolls up), never above line 0.
int topAfterWheel(int top, int wheelDelta);

}  // namespace qf
