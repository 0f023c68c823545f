#include "dsp/filter.h"

#include "sequencer/timing.h"

#include <algorithm>
#include <cmath>

namespace music::dsp {

namespace {
constexpr double kPi = 3.141592653589793;
}

void Svf::set(double cutoffHz, double q) {
    const double cutoff = std::clamp(cutoffHz, 10.0, 0.45 * kSampleRate);
    const double g = std::tan(kPi * cutoff / kSampleRate);
    const double k = 1.0 / std::max(q, 0.05);
    const double a1 = 1.0 / (1.0 + g * (g + k));
    k_ = static_cast<float>(k);
    a1_ = static_cast<float>(a1);
    a2_ = static_cast<float>(g * a1);
    a3_ = static_cast<float>(g * g * a1);
}

Svf::Output Svf::process(float input) {
    const float v3 = input - ic2_;
    const float v1 = a1_ * ic1_ + a2_ * v3;
    const float v2 = ic2_ + a2_ * ic1_ + a3_ * v3;
    ic1_ = 2.0f * v1 - ic1_;
    ic2_ = 2.0f * v2 - ic2_;
    return {v2, v1, input - k_ * v1 - v2};
}

void Svf::reset() {
    ic1_ = ic2_ = 0.0f;
}

void OnePole::setCutoff(double hz) {
    coefficient_ = static_cast<float>(1.0 - std::exp(-2.0 * kPi * hz / kSampleRate));
}

DcBlocker::DcBlocker(double cutoffHz)
    : pole_(static_cast<float>(std::exp(-2.0 * kPi * cutoffHz / kSampleRate))) {}

float DcBlocker::process(float input) {
    lastOutput_ = input - lastInput_ + pole_ * lastOutput_;
    lastInput_ = input;
    return lastOutput_;
}

} // namespace music::dsp
