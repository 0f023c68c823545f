#include "dsp/envelope.h"

#include "sequencer/timing.h"

#include <algorithm>
#include <cmath>

namespace music::dsp {

namespace {
// Below this an envelope is inaudible (-100 dB) and its voice can be freed.
constexpr float kSilence = 1e-5f;
} // namespace

float decayCoefficient(double seconds) {
    const double samples = std::max(seconds * kSampleRate, 1.0);
    return static_cast<float>(std::exp(std::log(0.001) / samples));
}

void Adsr::set(double attackSeconds, double decaySeconds, double sustainLevel,
               double releaseSeconds) {
    attackStep_ = static_cast<float>(1.0 / std::max(attackSeconds * kSampleRate, 1.0));
    decayCoefficient_ = decayCoefficient(decaySeconds);
    releaseCoefficient_ = decayCoefficient(releaseSeconds);
    sustain_ = static_cast<float>(std::clamp(sustainLevel, 0.0, 1.0));
}

void Adsr::gateOn() {
    stage_ = Stage::Attack;
}

void Adsr::gateOff() {
    if (stage_ != Stage::Idle)
        stage_ = Stage::Release;
}

float Adsr::next() {
    switch (stage_) {
    case Stage::Idle:
        break;
    case Stage::Attack:
        level_ += attackStep_;
        if (level_ >= 1.0f) {
            level_ = 1.0f;
            decayDistance_ = 1.0f - sustain_;
            stage_ = Stage::Decay;
        }
        break;
    case Stage::Decay:
        // Decaying the distance itself, not level - sustain, which would stall
        // in float rounding just above the sustain level.
        decayDistance_ *= decayCoefficient_;
        level_ = sustain_ + decayDistance_;
        if (decayDistance_ < kSilence) {
            level_ = sustain_;
            stage_ = sustain_ > 0.0f ? Stage::Sustain : Stage::Idle;
        }
        break;
    case Stage::Sustain:
        break;
    case Stage::Release:
        level_ *= releaseCoefficient_;
        if (level_ < kSilence) {
            level_ = 0.0f;
            stage_ = Stage::Idle;
        }
        break;
    }
    return level_;
}

} // namespace music::dsp
