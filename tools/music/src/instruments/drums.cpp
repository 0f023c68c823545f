#include "instruments/drums.h"

#include "dsp/envelope.h"
#include "sequencer/timing.h"

#include <algorithm>
#include <cmath>

namespace music {

namespace {
double seconds(int samples) {
    return static_cast<double>(samples) / kSampleRate;
}
int samples(double seconds) {
    return static_cast<int>(seconds * kSampleRate);
}
double pitchRatio(float pitch) {
    return std::pow(2.0, (pitch - 60.0) / 12.0);
}
} // namespace

void KickVoice::start(const Patch& patch, float pitch, float velocity, int /*gateSamples*/) {
    body_.setPhase(0.0); // a sine starting at zero never clicks
    clickFilter_.reset();
    clickFilter_.set(3500.0, 0.8);
    pitchRatio_ = pitchRatio(pitch);
    velocity_ = velocity;
    amplitude_ = 1.0f;
    decay_ = dsp::decayCoefficient(patch.decaySeconds);
    age_ = 0;
    active_ = true;
}

void KickVoice::render(const Patch& patch, float /*tone*/, float& left, float& right) {
    const double t = seconds(age_);
    const double sweep = std::exp(-t / patch.sweepSeconds);
    body_.setFrequency(pitchRatio_ * (patch.endHz + (patch.startHz - patch.endHz) * sweep));
    if (t >= patch.holdSeconds)
        amplitude_ *= decay_;
    // Band-passed so the click has a pitch-less knock rather than a fizz, and
    // faded in over a third of a millisecond so it is not a one-sample spike.
    const double clickEnvelope = std::min(1.0, t / 0.0003) * std::exp(-t / 0.004);
    const float click =
        clickFilter_.process(noise_.next()).band * patch.click * static_cast<float>(clickEnvelope);
    const float raw = body_.next() * amplitude_ + click;
    const float out = std::tanh(patch.drive * raw) / std::tanh(patch.drive) * velocity_;
    left += out;
    right += out;
    ++age_;
    if (amplitude_ < 1e-4f)
        active_ = false;
}

void SnareVoice::start(const Patch& patch, float pitch, float velocity, int /*gateSamples*/) {
    ratio_ = pitchRatio(pitch);
    body_.setPhase(0.0);
    body_.setFrequency(patch.bodyHz * ratio_);
    band_.set(patch.noiseHz * ratio_, 1.1);
    snapFilter_.set(5000.0 * ratio_, 0.7);
    velocity_ = velocity;
    tail_ = 1.0f;
    tailDecay_ = dsp::decayCoefficient(patch.tailSeconds);
    age_ = 0;
    length_ = samples(patch.tailSeconds * 1.2);
}

void SnareVoice::render(const Patch& patch, float /*tone*/, float& left, float& right) {
    const double t = seconds(age_);
    // Three claps 10 ms apart, like several hands that do not quite agree.
    double bursts = 0.0;
    for (double onset : {0.0, 0.011, 0.022}) {
        if (t >= onset)
            bursts += std::exp(-(t - onset) / 0.005);
    }
    tail_ *= tailDecay_;
    const float envelope = static_cast<float>(std::max(bursts, 0.0)) * 0.6f + tail_ * 0.55f;
    const float white = noise_.next();
    const float noise = band_.process(white).band * 2.0f * envelope +
                        snapFilter_.process(white).high * patch.snap * tail_;
    const float body = body_.next() * patch.bodyLevel * static_cast<float>(std::exp(-t / 0.04));
    // Saturating the noise flattens its random spikes, which would otherwise
    // trigger the bus limiter on every backbeat.
    const float out = std::tanh(2.0f * (noise + body)) * 0.5f * velocity_;
    left += out;
    right += out;
    ++age_;
}

HatVoice::HatVoice(std::uint32_t seed) : noise_(seed), noiseRight_(~seed) {
    for (dsp::Oscillator& partial : partials_)
        partial.setWave(dsp::Wave::Square);
}

void HatVoice::start(const Patch& patch, float /*pitch*/, float velocity, int gateSamples) {
    // Inharmonic ratios give the clangy, non-pitched colour of cymbals.
    static constexpr double kPartials[] = {1.0, 1.483, 1.805, 2.548, 2.630, 3.897};
    for (std::size_t i = 0; i < partials_.size(); ++i)
        partials_[i].setFrequency(263.0 * patch.ratio * kPartials[i] * 2.0);
    highPassLeft_.set(patch.highPassHz, 0.8);
    highPassRight_.set(patch.highPassHz * 1.05, 0.8);
    amplitude_ = velocity;
    attack_ = 0.0f;
    decay_ = dsp::decayCoefficient(std::max(seconds(gateSamples) * patch.decayPerGate, 0.02));
}

void HatVoice::render(const Patch& patch, float /*tone*/, float& left, float& right) {
    float metal = 0.0f;
    for (dsp::Oscillator& partial : partials_)
        metal += partial.next();
    metal *= patch.metal / 6.0f;
    // 1 ms fade-in keeps the high-passed onset from spiking.
    attack_ = std::min(1.0f, attack_ + 1.0f / 44.0f);
    const float gain = amplitude_ * attack_;
    left += highPassLeft_.process(metal + noise_.next()).high * gain;
    right += highPassRight_.process(metal + noiseRight_.next()).high * gain;
    amplitude_ *= decay_;
}

void RiserVoice::start(const Patch& /*patch*/, float pitch, float velocity, int gateSamples) {
    pitch_ = pitch;
    velocity_ = velocity;
    age_ = 0;
    length_ = std::max(gateSamples, 1);
    release_ = samples(0.03);
}

void RiserVoice::render(const Patch& patch, float /*tone*/, float& left, float& right) {
    const double x = std::min(1.0, static_cast<double>(age_) / length_);
    const double cutoff = patch.startHz * std::pow(patch.endHz / patch.startHz, x);
    bandLeft_.set(cutoff, patch.q);
    bandRight_.set(cutoff * 1.03, patch.q);
    sawLow_.setFrequency(dsp::midiToHz(pitch_ + 24.0 * x));
    sawHigh_.setFrequency(dsp::midiToHz(pitch_ + 24.0 * x + 0.15));
    double gain = x * x;
    if (age_ > length_) // short fade so the cut into the drop is clean
        gain = 1.0 - static_cast<double>(age_ - length_) / release_;
    const float saw = (sawLow_.next() + sawHigh_.next()) * patch.sawLevel;
    const float g = static_cast<float>(gain) * velocity_;
    left += bandLeft_.process(noise_.next() + saw).band * g;
    right += bandRight_.process(noiseRight_.next() + saw).band * g;
    ++age_;
}

} // namespace music
