// The progress dialog's course without a window: when its worker starts, what Cancel Import does in
// each phase, the fade of the bar after the scene is built, and when a counter's text is rewritten.
#pragma once
#include <cstdint>

#include "controls/skin_metrics.h"

namespace qf {

constexpr unsigned kStartWorkerTimer = 1039;
constexpr unsigned kFadeTimer = 1040;
constexpr unsigned kEndTimer = 1043;
constexpr SkinColor kImportBarColour = rgb(62, 145, 103);
constexpr int kFadeSteps = 10;

enum class ProgressPhase {
    Opening,   // waiting to start the worker
    Reading,   // the worker reads; Cancel Import shown
    Building,  // materials and meshes on the dialog's thread
    Fading,    // the bar fades toward the face colour
    Ending,    // the dialog is about to end, or has ended
};

// A timer to set: id 0 for none.
struct TimerRequest {
    unsigned id;
    unsigned delayMs;
    bool operator==(const TimerRequest&) const = default;
};

class ProgressFlow {
public:
    ProgressPhase phase() const { return phase_; }
    // The dialog is open: the worker starts shortly.
    TimerRequest opened() { return {kStartWorkerTimer, 100}; }
    // Whether the start timer may start the worker now; it does only once.
    bool mayStartWorker() const { return phase_ == ProgressPhase::Opening; }
    // The worker started, or could not be (the dialog then ends shortly with 1, and the run shows
    // the error text).
    TimerRequest workerStarted(bool started);
    // Cancel Import: true when the dialog must end at once with 0 because no worker is reading yet
    // that would end it; while reading, the caller raises the cancel flag and the worker ends it.
    bool cancelEndsAtOnce();
    // Reading succeeded: true when the scene is to be built now (only while reading).
    bool startBuilding();
    TimerRequest buildingDone();
    // One fade step: the factor to draw the bar with, and the next timer.
    struct FadeTick {
        float factor;
        TimerRequest next;
    };
    FadeTick fadeTick();
    // The dialog ends (with any result); later messages of the worker change nothing.
    void ending() { phase_ = ProgressPhase::Ending; }

private:
    ProgressPhase phase_ = ProgressPhase::Opening;
    int fadeStepsDone_ = 0;
};

// A colour moved toward a background: each channel background + (colour - background) * factor,
// truncated; the factor is kept within 0 .. 1.
SkinColor fadedColour(SkinColor colour, SkinColor background, float factor);

// A counter's text for count, with the digits grouped; true when it differs from the text shown
// (compared over at most 127 characters), so that only a change is written.
constexpr int kCounterTextSize = 128;
bool counterTextChanged(int64_t count, const char* shown, char (&text)[kCounterTextSize]);

}  // namespace qf
