#pragma once

#include <vector>

namespace music::dsp {

// Gentle saturation for the mix bus: linear below the knee, then bends
// smoothly towards `ceiling`, never reaching it.
float softClip(float input, float knee, float ceiling);

struct LimiterSettings {
    float ceiling = 0.8f;      // linear peak the output never exceeds
    int lookaheadSamples = 88; // 2 ms: attack happens before the peak arrives
    double releaseSeconds = 0.12;
};

// Look-ahead brickwall limiter over a whole stereo take. Both channels get
// the same gain so the stereo image does not shift while limiting.
void limitStereo(std::vector<float>& left, std::vector<float>& right,
                 const LimiterSettings& settings);

} // namespace music::dsp
