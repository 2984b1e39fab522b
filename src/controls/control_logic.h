// The window-free state and geometry of the simple skinned controls: push and check state under
// the mouse, where a check box puts its square and its label, the bands of a group frame, the
// fill of a progress bar.
#pragma once
#include "controls/frame_geometry.h"

namespace qf {

// A push button's hover and press, as the mouse moves, presses and releases.
struct PushState {
    bool hover = false;
    bool pressed = false;
};
// The notification a release sends: clicked when released inside after a press, else "released
// outside".
enum class ReleaseNotice { Clicked = 0, ReleasedOutside = 3 };

// True when the hover changed (the button needs a repaint).
bool pushMouseMove(PushState& s, bool inside);
void pushPress(PushState& s, bool inside);
ReleaseNotice pushRelease(PushState& s, bool inside);
// Drawn pushed: enabled, pressed and under the mouse.
bool pushShownPushed(const PushState& s, bool enabled);

// A check box toggles when the button is released inside it.
struct CheckState {
    bool checked = false;
    bool pressed = false;
};
// True when the release toggled the check (the parent is told).
bool checkRelease(CheckState& s, bool inside);

enum class CheckAlign { Top, Centre, Bottom };
constexpr int kCheckSquareSize = 13;
// The 13 x 13 square of a check box in its client rectangle: right-aligned with text on the left.
FrameRect checkSquareRect(const FrameRect& client, bool textOnLeft, CheckAlign align);
// Where a check box's label goes, for a text of the given height.
FrameRect checkLabelRect(const FrameRect& client, bool textOnLeft, CheckAlign align, int textHeight);

// The bands of a group frame of client width x height whose title is titleWidth x titleHeight and
// whose font's "X" is xHeight high.
struct GroupLayout {
    FrameRect titleBand;  // cleared behind the title
    FrameRect outline;    // the etched frame
    FrameRect title;      // the title text, centred; empty without a title
};
GroupLayout groupLayout(int width, int height, int titleWidth, int titleHeight, int xHeight, bool hasTitle);

// The fraction a progress bar shows: 0 for none or NaN, at most 1.
float clampFraction(const float* value);
// Pixels of a bar of the given width filled at a fraction.
int filledWidth(int barWidth, float fraction);

}  // namespace qf
