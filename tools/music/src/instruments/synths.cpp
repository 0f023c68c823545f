#include "instruments/synths.h"

#include "sequencer/timing.h"

#include <algorithm>
#include <cmath>

namespace music {

namespace {
constexpr float kCentsPerSemitone = 100.0f;

double centsToSemitones(double cents) {
    return cents / kCentsPerSemitone;
}
} // namespace

double toneCutoff(double lowHz, double highHz, double tone) {
    return lowHz * std::pow(highHz / lowHz, tone);
}

// ---- Bass ------------------------------------------------------------------

BassVoice::BassVoice(std::uint32_t seed) {
    dsp::Noise random(seed);
    sawB_.setPhase(random.unit());
}

void BassVoice::start(const Patch& patch, float pitch, float velocity, int gateSamples) {
    sawA_.setFrequency(dsp::midiToHz(pitch));
    sawB_.setFrequency(dsp::midiToHz(pitch + patch.detuneSemitones));
    sub_.setFrequency(dsp::midiToHz(pitch));
    if (!amp_.active())
        sub_.setPhase(0.0); // the sine carries most energy; start it at zero
    amp_.set(patch.attack, patch.decay, patch.sustain, patch.release);
    amp_.gateOn();
    gate_.open(gateSamples);
    filterEnvelope_ = 1.0f;
    filterDecay_ = dsp::decayCoefficient(patch.filterDecay);
    velocity_ = velocity;
}

void BassVoice::render(const Patch& patch, float tone, float& left, float& right) {
    if (gate_.tick())
        amp_.gateOff();
    const double cutoff = toneCutoff(patch.lowHz, patch.highHz, tone) *
                          std::exp2(patch.envelopeOctaves * filterEnvelope_);
    filterEnvelope_ *= filterDecay_;
    filter_.set(cutoff, patch.q);
    const float saws = 0.5f * (sawA_.next() + sawB_.next());
    const float out =
        (filter_.process(saws).low + patch.sub * sub_.next()) * amp_.next() * velocity_;
    left += out;
    right += out;
}

// ---- Pad -------------------------------------------------------------------

PadVoice::PadVoice(std::uint32_t seed) : random_(seed) {}

void PadVoice::start(const Patch& patch, float pitch, float velocity, int gateSamples) {
    // Symmetric spread, offset on the right so the sides never phase-lock.
    static constexpr double kLeftSpread[kSaws] = {-1.0, -0.5, 0.0, 0.5, 1.0};
    static constexpr double kRightSpread[kSaws] = {-0.85, -0.35, 0.1, 0.6, 0.95};
    for (int i = 0; i < kSaws; ++i) {
        left_[i].setFrequency(
            dsp::midiToHz(pitch + centsToSemitones(patch.detuneCents * kLeftSpread[i])));
        right_[i].setFrequency(
            dsp::midiToHz(pitch + centsToSemitones(patch.detuneCents * kRightSpread[i])));
        if (!amp_.active()) {
            left_[i].setPhase(random_.unit());
            right_[i].setPhase(random_.unit());
        }
    }
    drift_.setFrequency(0.13 + 0.05 * random_.unit());
    amp_.set(patch.attack, patch.decay, patch.sustain, patch.release);
    amp_.gateOn();
    gate_.open(gateSamples);
    velocity_ = velocity;
}

void PadVoice::render(const Patch& patch, float tone, float& left, float& right) {
    if (gate_.tick())
        amp_.gateOff();
    const double cutoff =
        toneCutoff(patch.lowHz, patch.highHz, tone) * (1.0 + 0.12 * drift_.next());
    filterLeft_.set(cutoff, patch.q);
    filterRight_.set(cutoff * 1.02, patch.q);
    float sumLeft = 0.0f, sumRight = 0.0f;
    for (int i = 0; i < kSaws; ++i) {
        sumLeft += left_[i].next();
        sumRight += right_[i].next();
    }
    const float gain = amp_.next() * velocity_ * 0.3f;
    left += filterLeft_.process(sumLeft).low * gain;
    right += filterRight_.process(sumRight).low * gain;
}

// ---- Lead ------------------------------------------------------------------

LeadVoice::LeadVoice(std::uint32_t seed) {
    dsp::Noise random(seed);
    sawLeft_.setPhase(random.unit());
    sawRight_.setPhase(random.unit());
}

void LeadVoice::start(const Patch& patch, float pitch, float velocity, int gateSamples) {
    pitch_ = pitch;
    velocity_ = velocity;
    vibrato_.setFrequency(patch.vibratoHz);
    vibrato_.setPhase(0.0);
    amp_.set(patch.attack, patch.decay, patch.sustain, patch.release);
    amp_.gateOn();
    gate_.open(gateSamples);
    filterEnvelope_ = 1.0f;
    filterDecay_ = dsp::decayCoefficient(patch.filterDecay);
    age_ = 0;
}

void LeadVoice::render(const Patch& patch, float tone, float& left, float& right) {
    if (gate_.tick())
        amp_.gateOff();
    const double held = static_cast<double>(age_++) / kSampleRate;
    const double fadeIn = std::clamp((held - patch.vibratoDelay) / 0.3, 0.0, 1.0);
    const double pitch = pitch_ + patch.vibratoSemitones * fadeIn * vibrato_.next();
    const double detune = centsToSemitones(patch.detuneCents);
    sawLeft_.setFrequency(dsp::midiToHz(pitch - detune));
    sawCentre_.setFrequency(dsp::midiToHz(pitch));
    sawRight_.setFrequency(dsp::midiToHz(pitch + detune));
    square_.setFrequency(dsp::midiToHz(pitch - 12.0));

    const double cutoff = toneCutoff(patch.lowHz, patch.highHz, tone) *
                          std::exp2(patch.envelopeOctaves * filterEnvelope_);
    filterEnvelope_ *= filterDecay_;
    filterLeft_.set(cutoff, patch.q);
    filterRight_.set(cutoff * 1.03, patch.q);

    const float centre = 0.7f * sawCentre_.next() + patch.square * square_.next();
    const float gain = amp_.next() * velocity_ * 0.4f;
    left += filterLeft_.process(sawLeft_.next() + centre).low * gain;
    right += filterRight_.process(sawRight_.next() + centre).low * gain;
}

// ---- Pluck -----------------------------------------------------------------

PluckVoice::PluckVoice(std::uint32_t seed) {
    dsp::Noise random(seed);
    saw_.setPhase(random.unit());
}

void PluckVoice::start(const Patch& patch, float pitch, float velocity, int gateSamples) {
    const double hz = dsp::midiToHz(pitch);
    square_.setFrequency(hz);
    square_.setPulseWidth(patch.pulseWidth);
    saw_.setFrequency(hz * 1.003);
    bell_.setFrequency(hz * 2.0);
    if (!active())
        bell_.setPhase(0.0);
    amp_.set(0.001, patch.decay, 0.0, patch.release);
    amp_.gateOn();
    gate_.open(gateSamples);
    filterEnvelope_ = 1.0f;
    filterDecay_ = dsp::decayCoefficient(patch.filterDecay);
    bellPeak_ = patch.bell;
    bellRise_ = 88;
    bellDecay_ = dsp::decayCoefficient(patch.decay * 2.5);
    velocity_ = velocity;
}

void PluckVoice::render(const Patch& patch, float tone, float& left, float& right) {
    if (gate_.tick())
        amp_.gateOff();
    const double cutoff = toneCutoff(patch.lowHz, patch.highHz, tone) *
                          std::exp2(patch.envelopeOctaves * filterEnvelope_);
    filterEnvelope_ *= filterDecay_;
    filter_.set(cutoff, patch.q);
    const float raw = square_.next() + patch.saw * saw_.next();
    const float body = filter_.process(raw).low * amp_.next();
    // The bell rings on after the pluck with its own, longer decay. It glides
    // to its peak over 2 ms: a reused voice's sine is mid-cycle, and jumping
    // its level would click.
    if (bellRise_ > 0)
        bellLevel_ += (bellPeak_ - bellLevel_) / static_cast<float>(bellRise_--);
    else
        bellLevel_ *= bellDecay_;
    const float out = (0.5f * body + bell_.next() * bellLevel_) * velocity_;
    left += out;
    right += out;
}

} // namespace music
