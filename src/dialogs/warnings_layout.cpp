#include "dialogs/warnings_layout.h"

#include <algorithm>

namespace qf {

WarningsLayout layoutWarnings(int w, int h, int listTop, int previousWidth, int previousHeight) {
    WarningsLayout l;
    l.close = {w - 87, h - 47, w - 87 + 75, h - 47 + 23};
    l.list = {17, listTop, 17 + std::max(w - 35, 0), listTop + std::max(h - 101, 0)};
    // What the frame and the list's old edges covered: the band above the list, the bottom from
    // just above the list's old bottom edge, the right from just left of its old right edge.
    const int oldBottom = l.list.bottom - (h - previousHeight);
    const int oldRight = l.list.right - (w - previousWidth);
    const FrameRect bands[3] = {
        {0, 0, w, listTop},
        {0, std::min(oldBottom - 2, h - 64), w, h},
        {std::min(oldRight - 2, w - 22), 0, w, h},
    };
    for (FrameRect band : bands) {
        band.left = std::max(band.left, 0);
        band.top = std::max(band.top, 0);
        band.right = std::min(band.right, w);
        band.bottom = std::min(band.bottom, h);
        if (band.left < band.right && band.top < band.bottom) l.repaint.push_back(band);
    }
    return l;
}

}  // namespace qf
