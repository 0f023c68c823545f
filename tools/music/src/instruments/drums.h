#pragma once

#include "dsp/filter.h"
#include "dsp/noise.h"
#include "dsp/oscillator.h"
#include "instruments/instrument.h"

#include <array>
#include <cstdint>

namespace music {

// Sine whose pitch falls quickly from a punch to a sub tone, with a short
// noise click on top for definition on small speakers.
class KickVoice {
  public:
    struct Patch {
        double startHz = 190.0;
        double endHz = 46.0;
        double sweepSeconds = 0.04;
        double holdSeconds = 0.03;
        double decaySeconds = 0.55;
        float drive = 1.8f;
        float click = 0.5f;
    };

    explicit KickVoice(std::uint32_t seed) : noise_(seed) {}
    void start(const Patch& patch, float pitch, float velocity, int gateSamples);
    bool active() const { return active_; }
    float level() const { return amplitude_; }
    void render(const Patch& patch, float tone, float& left, float& right);

  private:
    dsp::Oscillator body_{dsp::Wave::Sine};
    dsp::Noise noise_;
    dsp::Svf clickFilter_;
    double pitchRatio_ = 1.0;
    float velocity_ = 0.0f;
    float amplitude_ = 0.0f;
    float decay_ = 0.0f;
    int age_ = 0;
    bool active_ = false;
};

// Clap and snare in one: band-passed noise in three quick bursts, a noise
// tail and a short tonal body. Note pitch shifts it (60 = as patched), which
// the fills use to rise.
class SnareVoice {
  public:
    struct Patch {
        double bodyHz = 185.0;
        float bodyLevel = 0.45f;
        double noiseHz = 1500.0;
        float snap = 0.25f; // high-passed noise for the crack
        double tailSeconds = 0.35;
    };

    explicit SnareVoice(std::uint32_t seed) : noise_(seed) {}
    void start(const Patch& patch, float pitch, float velocity, int gateSamples);
    bool active() const { return age_ < length_; }
    float level() const { return velocity_ * tail_; }
    void render(const Patch& patch, float tone, float& left, float& right);

  private:
    dsp::Oscillator body_{dsp::Wave::Sine};
    dsp::Noise noise_;
    dsp::Svf band_, snapFilter_;
    double ratio_ = 1.0;
    float velocity_ = 0.0f;
    float tail_ = 0.0f;
    float tailDecay_ = 0.0f;
    int age_ = 0;
    int length_ = 0;
};

// Metallic hat: six detuned squares plus noise, high-passed. The note length
// sets the decay, so the patterns choose closed or open hats.
class HatVoice {
  public:
    struct Patch {
        double highPassHz = 7200.0;
        float metal = 0.45f;
        double decayPerGate = 0.5; // decay time as a fraction of the note length
        double ratio = 1.0;        // scales the metallic partials (crash > 1)
    };

    explicit HatVoice(std::uint32_t seed);
    void start(const Patch& patch, float pitch, float velocity, int gateSamples);
    bool active() const { return amplitude_ > 1e-4f; }
    float level() const { return amplitude_; }
    void render(const Patch& patch, float tone, float& left, float& right);

  private:
    std::array<dsp::Oscillator, 6> partials_;
    dsp::Noise noise_;
    dsp::Noise noiseRight_;
    dsp::Svf highPassLeft_, highPassRight_;
    float amplitude_ = 0.0f;
    float decay_ = 0.0f;
    float attack_ = 0.0f;
};

// Rising band-passed noise plus a climbing saw pair, swept over the note
// length; used to lift into the drops.
class RiserVoice {
  public:
    struct Patch {
        double startHz = 300.0;
        double endHz = 9000.0;
        double q = 2.0;
        float sawLevel = 0.25f;
    };

    explicit RiserVoice(std::uint32_t seed) : noise_(seed), noiseRight_(~seed) {}
    void start(const Patch& patch, float pitch, float velocity, int gateSamples);
    bool active() const { return age_ < length_ + release_; }
    float level() const { return velocity_; }
    void render(const Patch& patch, float tone, float& left, float& right);

  private:
    dsp::Noise noise_, noiseRight_;
    dsp::Svf bandLeft_, bandRight_;
    dsp::Oscillator sawLow_, sawHigh_;
    float pitch_ = 60.0f;
    float velocity_ = 0.0f;
    int age_ = 0;
    int length_ = 0;
    int release_ = 0;
};

using Kick = PolySynth<KickVoice, 2>;
using Snare = PolySynth<SnareVoice, 3>;
using Hat = PolySynth<HatVoice, 3>;
using Riser = PolySynth<RiserVoice, 1>;

} // namespace music
