// The warnings dialog's layout without a window: where the list and Close go for a client size,
// and which bands must be repainted after a resize.
#pragma once
#include <vector>

#include "controls/frame_geometry.h"

namespace qf {

// The smallest window the user can size the dialog to.
constexpr int kWarningsMinWidth = 220;
constexpr int kWarningsMinHeight = 170;

struct WarningsLayout {
    FrameRect close;                 // 75 x 23, 87 from the right and 47 from the bottom
    FrameRect list;                  // from x 17, its top kept
    std::vector<FrameRect> repaint;  // clipped to the client area; empty bands left out
};

// The layout for a client size w x h, the list's top listTop and the size laid out before.
WarningsLayout layoutWarnings(int w, int h, int listTop, int previousWidth, int previousHeight);

}  // namespace qf
