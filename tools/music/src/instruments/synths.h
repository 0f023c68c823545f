#pragma once

#include "dsp/envelope.h"
#include "dsp/filter.h"
#include "dsp/noise.h"
#include "dsp/oscillator.h"
#include "instruments/instrument.h"

#include <array>
#include <cstdint>

namespace music {

// Counts down the held part of a note.
class Gate {
  public:
    void open(int samples) { remaining_ = samples; }
    // True on the sample the key is released.
    bool tick() { return remaining_ > 0 && --remaining_ == 0; }

  private:
    int remaining_ = 0;
};

// Cutoff between low and high on an exponential (musical) scale.
double toneCutoff(double lowHz, double highHz, double tone);

// Two slightly detuned saws through an enveloped lowpass, plus a sine for
// sub weight that the filter never thins out.
class BassVoice {
  public:
    struct Patch {
        double lowHz = 120.0, highHz = 900.0; // base cutoff range for tone
        double envelopeOctaves = 3.0;         // filter envelope depth
        double filterDecay = 0.22;
        double q = 1.3;
        double attack = 0.003, decay = 0.3, sustain = 0.7, release = 0.04;
        float sub = 0.7f;
        double detuneSemitones = 0.07;
    };

    explicit BassVoice(std::uint32_t seed);
    void start(const Patch& patch, float pitch, float velocity, int gateSamples);
    bool active() const { return amp_.active(); }
    float level() const { return amp_.level(); }
    void render(const Patch& patch, float tone, float& left, float& right);

  private:
    dsp::Oscillator sawA_, sawB_, sub_{dsp::Wave::Sine};
    dsp::Svf filter_;
    dsp::Adsr amp_;
    Gate gate_;
    float filterEnvelope_ = 0.0f, filterDecay_ = 0.0f;
    float velocity_ = 0.0f;
};

// Supersaw: five detuned saws per side with free-running phases, the detune
// pattern differing left and right for width.
class PadVoice {
  public:
    struct Patch {
        double lowHz = 300.0, highHz = 7000.0;
        double q = 0.8;
        double detuneCents = 16.0;
        double attack = 0.25, decay = 2.5, sustain = 0.75, release = 1.4;
    };

    explicit PadVoice(std::uint32_t seed);
    void start(const Patch& patch, float pitch, float velocity, int gateSamples);
    bool active() const { return amp_.active(); }
    float level() const { return amp_.level(); }
    void render(const Patch& patch, float tone, float& left, float& right);

  private:
    static constexpr int kSaws = 5;
    dsp::Noise random_;
    std::array<dsp::Oscillator, kSaws> left_, right_;
    dsp::Svf filterLeft_, filterRight_;
    dsp::Adsr amp_;
    Gate gate_;
    dsp::Oscillator drift_{dsp::Wave::Sine}; // slow filter movement
    float velocity_ = 0.0f;
};

// Trance lead: three saws spread left, centre and right, a square an octave
// below for body, and vibrato that fades in on held notes.
class LeadVoice {
  public:
    struct Patch {
        double lowHz = 600.0, highHz = 6500.0;
        double envelopeOctaves = 1.5;
        double filterDecay = 0.3;
        double q = 1.0;
        double detuneCents = 11.0;
        float square = 0.35f;
        double attack = 0.004, decay = 0.4, sustain = 0.7, release = 0.25;
        double vibratoSemitones = 0.15, vibratoHz = 5.5, vibratoDelay = 0.22;
    };

    explicit LeadVoice(std::uint32_t seed);
    void start(const Patch& patch, float pitch, float velocity, int gateSamples);
    bool active() const { return amp_.active(); }
    float level() const { return amp_.level(); }
    void render(const Patch& patch, float tone, float& left, float& right);

  private:
    dsp::Oscillator sawLeft_, sawCentre_, sawRight_, square_{dsp::Wave::Square};
    dsp::Oscillator vibrato_{dsp::Wave::Sine};
    dsp::Svf filterLeft_, filterRight_;
    dsp::Adsr amp_;
    Gate gate_;
    float pitch_ = 60.0f;
    float velocity_ = 0.0f;
    float filterEnvelope_ = 0.0f, filterDecay_ = 0.0f;
    int age_ = 0;
};

// Percussive square/saw with a snapping filter; with `bell` an octave-up sine
// rings on after the pluck.
class PluckVoice {
  public:
    struct Patch {
        double lowHz = 400.0, highHz = 3500.0;
        double envelopeOctaves = 2.5;
        double filterDecay = 0.12;
        double q = 1.6;
        double pulseWidth = 0.3;
        float saw = 0.5f;
        float bell = 0.0f;
        double decay = 0.5, release = 0.12;
    };

    explicit PluckVoice(std::uint32_t seed);
    void start(const Patch& patch, float pitch, float velocity, int gateSamples);
    bool active() const { return amp_.active() || bellLevel_ > 1e-4f; }
    float level() const { return amp_.level() + bellLevel_; }
    void render(const Patch& patch, float tone, float& left, float& right);

  private:
    dsp::Oscillator square_{dsp::Wave::Square}, saw_, bell_{dsp::Wave::Sine};
    dsp::Svf filter_;
    dsp::Adsr amp_;
    Gate gate_;
    float filterEnvelope_ = 0.0f, filterDecay_ = 0.0f;
    float bellLevel_ = 0.0f, bellPeak_ = 0.0f, bellDecay_ = 0.0f;
    int bellRise_ = 0;
    float velocity_ = 0.0f;
};

using Bass = PolySynth<BassVoice, 3>;
using Pad = PolySynth<PadVoice, 10>;
using Lead = PolySynth<LeadVoice, 4>;
using Pluck = PolySynth<PluckVoice, 6>;

} // namespace music
