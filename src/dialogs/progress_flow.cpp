#include "dialogs/progress_flow.h"

#include <algorithm>
#include <cstring>

#include "controls/format_thousands.h"

namespace qf {

TimerRequest ProgressFlow::workerStarted(bool started) {
    if (started) {
        phase_ = ProgressPhase::Reading;
        return {0, 0};
    }
    phase_ = ProgressPhase::Ending;
    return {kEndTimer, 200};
}

bool ProgressFlow::cancelEndsAtOnce() {
    if (phase_ != ProgressPhase::Opening) return false;
    phase_ = ProgressPhase::Ending;
    return true;
}

bool ProgressFlow::startBuilding() {
    if (phase_ != ProgressPhase::Reading) return false;
    phase_ = ProgressPhase::Building;
    return true;
}

TimerRequest ProgressFlow::buildingDone() {
    phase_ = ProgressPhase::Fading;
    fadeStepsDone_ = 0;
    return {kFadeTimer, 700};
}

ProgressFlow::FadeTick ProgressFlow::fadeTick() {
    // Counted in whole steps: ten subtractions of 0.1 in floating point need not reach 0.
    fadeStepsDone_ = std::min(fadeStepsDone_ + 1, kFadeSteps);
    const float factor = float(kFadeSteps - fadeStepsDone_) / float(kFadeSteps);
    if (fadeStepsDone_ < kFadeSteps) return {factor, {kFadeTimer, 50}};
    phase_ = ProgressPhase::Ending;
    return {factor, {kEndTimer, 200}};
}

SkinColor fadedColour(SkinColor colour, SkinColor background, float factor) {
    factor = std::clamp(factor, 0.0f, 1.0f);
    auto channel = [factor](int c, int b) { return b + int(float(c - b) * factor); };
    return rgb(channel(redOf(colour), redOf(background)), channel(greenOf(colour), greenOf(background)),
               channel(blueOf(colour), blueOf(background)));
}

bool counterTextChanged(int64_t count, const char* shown, char (&text)[kCounterTextSize]) {
    FormatThousands(count > 0 ? uint64_t(count) : 0, text, sizeof text);
    return std::strncmp(text, shown ? shown : "", kCounterTextSize - 1) != 0;
}

}  // namespace qf
