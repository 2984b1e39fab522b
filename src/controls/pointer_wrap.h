// Drags that never end: a pointer that reaches the top or bottom edge of the screen is put back at
// the other edge, and the move that did it counts for nothing.
#pragma once

namespace qf {

struct PointerWrap {
    bool wrapped = false;
    int y = 0;  // where the pointer goes (and the drag goes on from) when wrapped
};

// screenLast is the screen height - 1.
inline PointerWrap wrapPointerY(int y, int screenLast) {
    if (y < 1) return {true, screenLast - 1};
    if (y >= screenLast) return {true, 1};
    return {false, y};
}

}  // namespace qf
