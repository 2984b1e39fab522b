#include "dialogs/progress_flow.h"

#include <gtest/gtest.h>

namespace qf {
namespace {

TEST(ProgressFlow, ReadBuildFadeAndEnd) {
    ProgressFlow f;
    EXPECT_EQ(f.opened(), (TimerRequest{kStartWorkerTimer, 100}));
    EXPECT_TRUE(f.mayStartWorker());
    EXPECT_EQ(f.workerStarted(true), (TimerRequest{0, 0}));
    EXPECT_FALSE(f.mayStartWorker());
    EXPECT_EQ(f.phase(), ProgressPhase::Reading);
    EXPECT_FALSE(f.cancelEndsAtOnce());  // the worker ends the dialog
    ASSERT_TRUE(f.startBuilding());
    EXPECT_FALSE(f.startBuilding());  // built once
    EXPECT_EQ(f.buildingDone(), (TimerRequest{kFadeTimer, 700}));
    // Exactly ten fade steps, the last at factor 0, then the end after 200 ms.
    float last = 1.0f;
    for (int i = 1; i < kFadeSteps; ++i) {
        const auto tick = f.fadeTick();
        EXPECT_EQ(tick.next, (TimerRequest{kFadeTimer, 50})) << i;
        EXPECT_LT(tick.factor, last);
        last = tick.factor;
    }
    const auto tick = f.fadeTick();
    EXPECT_EQ(tick.factor, 0.0f);
    EXPECT_EQ(tick.next, (TimerRequest{kEndTimer, 200}));
    EXPECT_EQ(f.phase(), ProgressPhase::Ending);
}

TEST(ProgressFlow, CancelBeforeTheWorkerStartsEndsAtOnce) {
    ProgressFlow f;
    EXPECT_TRUE(f.cancelEndsAtOnce());
    EXPECT_FALSE(f.mayStartWorker());  // the start timer that fires later starts nothing
    EXPECT_FALSE(f.startBuilding());
}

TEST(ProgressFlow, WorkerThatCannotStartEndsSoonWithoutBuilding) {
    ProgressFlow f;
    EXPECT_EQ(f.workerStarted(false), (TimerRequest{kEndTimer, 200}));
    EXPECT_FALSE(f.startBuilding());
    EXPECT_FALSE(f.cancelEndsAtOnce());
}

TEST(ProgressFlow, NothingIsBuiltOnceTheDialogEnds) {
    ProgressFlow f;
    f.workerStarted(true);
    f.ending();
    EXPECT_FALSE(f.startBuilding());
}

TEST(ProgressFlow, FadeMovesEachChannelTowardTheBackground) {
    const SkinColor face = rgb(56, 56, 56);
    EXPECT_EQ(fadedColour(kImportBarColour, face, 1.0f), kImportBarColour);
    EXPECT_EQ(fadedColour(kImportBarColour, face, 0.0f), face);
    EXPECT_EQ(fadedColour(kImportBarColour, face, 0.5f), rgb(59, 100, 79));
    EXPECT_EQ(fadedColour(kImportBarColour, face, -0.3f), face);  // never past the background
    EXPECT_EQ(fadedColour(rgb(0, 0, 0), face, 0.5f), rgb(28, 28, 28));
}

TEST(ProgressFlow, CounterTextChangesOnlyWithItsDigits) {
    char text[kCounterTextSize];
    EXPECT_TRUE(counterTextChanged(1234567, "0", text));
    EXPECT_STREQ(text, "1.234.567");
    EXPECT_FALSE(counterTextChanged(1234567, "1.234.567", text));
    EXPECT_FALSE(counterTextChanged(0, "0", text));
    EXPECT_FALSE(counterTextChanged(-5, "0", text));  // a negative count shows as 0
    EXPECT_TRUE(counterTextChanged(7, nullptr, text));
}

}  // namespace
}  // namespace qf
