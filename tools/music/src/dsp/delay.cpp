#include "dsp/delay.h"

#include <algorithm>

namespace music::dsp {

PingPongDelay::PingPongDelay(int delaySamples, float feedback, double dampingHz)
    : left_(static_cast<std::size_t>(std::max(delaySamples, 1)), 0.0f), right_(left_.size(), 0.0f),
      feedback_(feedback) {
    damping_.setCutoff(dampingHz);
}

void PingPongDelay::process(float inLeft, float inRight, float& outLeft, float& outRight) {
    const float delayedLeft = left_[position_];
    const float delayedRight = right_[position_];
    const float input = lowCut_.process(damping_.process(0.5f * (inLeft + inRight)));
    left_[position_] = input + feedback_ * delayedRight;
    right_[position_] = feedback_ * delayedLeft;
    position_ = (position_ + 1) % left_.size();
    outLeft = delayedLeft;
    outRight = delayedRight;
}

} // namespace music::dsp
