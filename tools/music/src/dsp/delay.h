#pragma once

#include "dsp/filter.h"

#include <vector>

namespace music::dsp {

// Ping-pong echo: the first repeat comes from the left, the next from the
// right, which widens mono sources without phasey detuning.
class PingPongDelay {
  public:
    PingPongDelay(int delaySamples, float feedback, double dampingHz);
    void process(float inLeft, float inRight, float& outLeft, float& outRight);

  private:
    std::vector<float> left_;
    std::vector<float> right_;
    std::size_t position_ = 0;
    float feedback_;
    OnePole damping_;
    DcBlocker lowCut_{150.0}; // keeps repeats out of the kick and bass
};

} // namespace music::dsp
