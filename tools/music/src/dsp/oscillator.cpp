#include "dsp/oscillator.h"

#include "sequencer/timing.h"

#include <algorithm>
#include <cmath>

namespace music::dsp {

namespace {
constexpr double kTwoPi = 6.283185307179586;
}

double midiToHz(double midiNote) {
    return 440.0 * std::pow(2.0, (midiNote - 69.0) / 12.0);
}

double polyBlep(double t, double dt) {
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0;
    }
    if (t > 1.0 - dt) {
        t = (t - 1.0) / dt;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

void Oscillator::setFrequency(double hz) {
    // Above a quarter of the sample rate the residual windows would overlap.
    increment_ = std::clamp(hz / kSampleRate, 0.0, 0.25);
}

void Oscillator::setPhase(double phase) {
    phase_ = phase - std::floor(phase);
}

void Oscillator::setPulseWidth(double width) {
    pulseWidth_ = std::clamp(width, 0.05, 0.95);
}

float Oscillator::next() {
    const double t = phase_;
    const double dt = increment_;
    double out = 0.0;
    switch (wave_) {
    case Wave::Sine:
        out = std::sin(kTwoPi * t);
        break;
    case Wave::Saw:
        out = 2.0 * t - 1.0 - polyBlep(t, dt);
        break;
    case Wave::Square: {
        out = t < pulseWidth_ ? 1.0 : -1.0;
        out += polyBlep(t, dt);
        double fall = t - pulseWidth_;
        if (fall < 0.0)
            fall += 1.0;
        out -= polyBlep(fall, dt);
        break;
    }
    }
    phase_ += dt;
    if (phase_ >= 1.0)
        phase_ -= 1.0;
    return static_cast<float>(out);
}

} // namespace music::dsp
