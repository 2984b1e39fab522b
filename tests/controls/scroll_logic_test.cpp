#include "controls/scroll_logic.h"

#include <gtest/gtest.h>

namespace qf {
namespace {

// A bar 200 pixels high leaves the thumb 200 - 24 - 26 = 150 pixels to travel.
constexpr int kBar = 200;

TEST(ScrollBar, ThumbSitsInProportionAndReachesTheEnd) {
    EXPECT_EQ(thumbTopFor(kBar, 10, 5), 13 + 75);
    EXPECT_EQ(thumbTopFor(kBar, 10, 10), 13 + 150);
    // Ranges that do not divide the track: the last position still lands on the end.
    for (int range : {3, 7, 9, 11, 149, 151, 1000})
        EXPECT_EQ(thumbTopFor(kBar, range, range), 13 + 150) << range;
    // No range, position 0, or a bar too short for the thumb to travel: at the top.
    EXPECT_EQ(thumbTopFor(kBar, 0, 0), 13);
    EXPECT_EQ(thumbTopFor(kBar, 0, 5), 13);
    EXPECT_EQ(thumbTopFor(30, 10, 5), 13);
    EXPECT_EQ(scrollTrackLength(30), 0);
}

TEST(ScrollBar, MovesAreClampedAndNamedByTheirStep) {
    ScrollState s;  // range 10, page 3
    s.step = 1;
    ScrollReport r = scrollMove(s, kBar);
    EXPECT_EQ(r.code, ScrollCode::LineDown);
    EXPECT_EQ(r.position, 1);
    s.step = -1;
    EXPECT_EQ(scrollMove(s, kBar).code, ScrollCode::LineUp);
    EXPECT_EQ(scrollMove(s, kBar).position, 0);  // stays at 0, and still tells the parent
    scrollTrackPress(s, false);
    r = scrollMove(s, kBar);
    EXPECT_EQ(r.code, ScrollCode::PageDown);
    EXPECT_EQ(r.position, 3);
    scrollTrackPress(s, true);
    EXPECT_EQ(scrollMove(s, kBar).code, ScrollCode::PageUp);
    scrollRelease(s);
    r = scrollMove(s, kBar);  // the release: the final position as a thumb track
    EXPECT_EQ(r.code, ScrollCode::ThumbTrack);
    EXPECT_EQ(r.position, 0);
    s.step = 25;
    r = scrollMove(s, kBar);
    EXPECT_EQ(r.code, ScrollCode::ThumbTrack);
    EXPECT_EQ(r.position, 10);
    EXPECT_EQ(r.thumbTop, 163);
}

TEST(ScrollBar, SetPositionAndRange) {
    ScrollState s;
    scrollSetRange(s, kBar, 30, 10);
    ScrollReport r = scrollSetPosition(s, kBar, 20);
    EXPECT_EQ(r.code, ScrollCode::ThumbTrack);
    EXPECT_EQ(scrollSetPosition(s, kBar, 21).code, ScrollCode::LineDown);
    EXPECT_EQ(scrollSetPosition(s, kBar, 20).code, ScrollCode::LineUp);
    EXPECT_EQ(s.step, 0);
    r = scrollSetRange(s, kBar, 30, 10);
    EXPECT_EQ(r.position, 20);
    EXPECT_EQ(r.code, ScrollCode::ThumbTrack);
    // A shrinking range pulls the position along; a range of 0 keeps the thumb at the top.
    EXPECT_EQ(scrollSetRange(s, kBar, 15, 10).position, 15);
    r = scrollSetRange(s, kBar, 0, 10);
    EXPECT_EQ(r.position, 0);
    EXPECT_EQ(r.thumbTop, 13);
    EXPECT_EQ(scrollSetPosition(s, kBar, 5).position, 0);
    scrollSetRange(s, kBar, -4, -1);
    EXPECT_EQ(s.range, 0);
    EXPECT_EQ(s.page, 0);
    // A range change in the middle of an arrow repeat leaves the repeat's step alone.
    scrollSetRange(s, kBar, 10, 3);
    s.step = 1;
    scrollSetRange(s, kBar, 12, 3);
    EXPECT_EQ(s.step, 1);
}

TEST(ScrollBar, DragFollowsThePointerAndStopsAtTheEnds) {
    ScrollState s;
    scrollSetRange(s, kBar, 10, 3);
    ScrollReport r = scrollDrag(s, kBar, 13, 7);  // 7 pixels: not yet a whole position (15 a step)
    EXPECT_FALSE(r.notify);
    EXPECT_EQ(r.thumbTop, 20);
    r = scrollDrag(s, kBar, 20, 8);
    EXPECT_TRUE(r.notify);
    EXPECT_EQ(r.code, ScrollCode::ThumbTrack);
    EXPECT_EQ(r.position, 1);
    r = scrollDrag(s, kBar, 28, 500);
    EXPECT_EQ(r.thumbTop, 163);
    EXPECT_EQ(r.position, 10);
    r = scrollDrag(s, kBar, 163, -900);
    EXPECT_EQ(r.thumbTop, 13);
    EXPECT_EQ(r.position, 0);
    // Nothing to scroll, or no room to drag in: position 0.
    scrollSetRange(s, kBar, 0, 3);
    r = scrollDrag(s, kBar, 13, 40);
    EXPECT_EQ(r.position, 0);
    EXPECT_FALSE(r.notify);
    scrollSetRange(s, 30, 10, 3);
    EXPECT_EQ(scrollDrag(s, 30, 13, 40).position, 0);
}

TEST(ScrollBar, RepeatEndsWhenNoArrowIsHeld) {
    ScrollState s;
    s.step = 1;
    EXPECT_TRUE(scrollRepeatGoesOn(s, true));
    EXPECT_EQ(s.step, 1);
    EXPECT_FALSE(scrollRepeatGoesOn(s, false));
    EXPECT_EQ(s.step, 0);
}

TEST(ListBoxScrolling, RangeRowsAndWheel) {
    EXPECT_EQ(scrollRangeFor(100, 10), 90);
    EXPECT_EQ(scrollRangeFor(5, 10), 0);
    EXPECT_EQ(scrollRangeFor(200000, 10), kScrollPositionMax);  // what a 16-bit position can say
    EXPECT_EQ(visibleRowsFor(136, 13), 10);
    EXPECT_EQ(visibleRowsFor(136, 0), 136);
    EXPECT_EQ(visibleRowsFor(-4, 13), 0);
    EXPECT_EQ(topAfterWheel(5, 120), 4);
    EXPECT_EQ(topAfterWheel(5, -240), 7);
    EXPECT_EQ(topAfterWheel(0, 360), 0);
    EXPECT_EQ(topAfterWheel(5, 60), 5);  // less than a notch
}

TEST(ListBoxScrolling, LongListsSpreadTheirLinesOverTheBarsPositions) {
    // Within the bar's range, positions are lines.
    EXPECT_EQ(barPositionForTop(1234, 65535), 1234);
    EXPECT_EQ(topForBarPosition(1234, 65535), 1234);
    EXPECT_EQ(linesBeyondView(200000, 10), 199990);
    // Beyond it, every position leads to a line that leads back to it, and the ends meet.
    for (const int beyond : {65536, 99990, 199990, 2000000000}) {
        EXPECT_EQ(topForBarPosition(0, beyond), 0);
        EXPECT_EQ(topForBarPosition(kScrollPositionMax, beyond), beyond);
        EXPECT_EQ(barPositionForTop(beyond, beyond), kScrollPositionMax);
        for (int position = 0; position <= kScrollPositionMax; position += 97)
            ASSERT_EQ(barPositionForTop(topForBarPosition(position, beyond), beyond), position) << beyond;
        // Line after line, the position stays or moves on by one: none is skipped.
        int previous = 0;
        for (int top = 1; top <= beyond && top < 300000; ++top) {
            const int position = barPositionForTop(top, beyond);
            ASSERT_TRUE(position == previous || position == previous + 1) << top;
            previous = position;
        }
    }
}

TEST(ListBoxScrolling, BarMovesTakeTheListAlong) {
    // A short list goes where the bar stands, whatever the report said.
    EXPECT_EQ(topAfterBarMove(5, 30, ScrollCode::ThumbTrack, 90, 10), 30);
    EXPECT_EQ(topAfterBarMove(5, 6, ScrollCode::LineDown, 90, 10), 6);
    // The bar standing where the list's top puts it: nothing to do, whichever report came.
    EXPECT_EQ(topAfterBarMove(30, 30, ScrollCode::LineDown, 90, 10), 30);
    const int beyond = 80000;
    const int top = 40000, at = barPositionForTop(top, beyond);
    EXPECT_EQ(topAfterBarMove(top, at, ScrollCode::PageUp, beyond, 10), top);
    // A long list: the thumb by position, arrows by a line, the track by a page, within the ends.
    EXPECT_EQ(topAfterBarMove(top, 32768, ScrollCode::ThumbTrack, beyond, 10), topForBarPosition(32768, beyond));
    EXPECT_EQ(topAfterBarMove(top, at + 1, ScrollCode::LineDown, beyond, 10), top + 1);
    EXPECT_EQ(topAfterBarMove(top, at - 1, ScrollCode::LineUp, beyond, 10), top - 1);
    EXPECT_EQ(topAfterBarMove(top, at + 10, ScrollCode::PageDown, beyond, 10), top + 10);
    EXPECT_EQ(topAfterBarMove(top, at - 10, ScrollCode::PageUp, beyond, 10), top - 10);
    EXPECT_EQ(topAfterBarMove(beyond - 3, kScrollPositionMax, ScrollCode::PageDown, beyond, 10), beyond);
    EXPECT_EQ(topAfterBarMove(3, 0, ScrollCode::PageUp, beyond, 10), 0);
}

}  // namespace
}  // namespace qf
