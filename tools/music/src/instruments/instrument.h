#pragma once

#include <array>
#include <cstdint>
#include <utility>

namespace music {

// A sound source the sequencer drives one frame at a time.
class Instrument {
  public:
    virtual ~Instrument() = default;

    // pitch is a MIDI note number (fractional allowed); gateSamples is how long
    // the key is held.
    virtual void noteOn(float pitch, float velocity, int gateSamples) = 0;
    // Brightness in [0, 1], automated by the arrangement (filter sweeps).
    virtual void setTone(float tone) { tone_ = tone; }
    // Adds one stereo frame to left and right.
    virtual void process(float& left, float& right) = 0;

  protected:
    float tone_ = 1.0f;
};

// Polyphony with fixed voices. A new note takes a free voice, otherwise the
// quietest one, so stealing is as inaudible as possible.
//
// A Voice provides: start(patch, pitch, velocity, gate), active(), level(),
// render(patch, tone, left, right) and a constructor taking a seed.
template <class Voice, int kVoices> class PolySynth : public Instrument {
  public:
    using Patch = typename Voice::Patch;

    PolySynth(const Patch& patch, std::uint32_t seed) : patch_(patch), voices_(makeVoices(seed)) {}

    void noteOn(float pitch, float velocity, int gateSamples) override {
        Voice* chosen = &voices_[0];
        for (Voice& voice : voices_) {
            if (!voice.active()) {
                chosen = &voice;
                break;
            }
            if (voice.level() < chosen->level())
                chosen = &voice;
        }
        chosen->start(patch_, pitch, velocity, gateSamples);
    }

    void process(float& left, float& right) override {
        for (Voice& voice : voices_) {
            if (voice.active())
                voice.render(patch_, tone_, left, right);
        }
    }

  private:
    static std::array<Voice, kVoices> makeVoices(std::uint32_t seed) {
        return makeVoices(seed, std::make_integer_sequence<int, kVoices>{});
    }
    template <int... I>
    static std::array<Voice, kVoices> makeVoices(std::uint32_t seed,
                                                 std::integer_sequence<int, I...>) {
        return {Voice(seed * 7919u + static_cast<std::uint32_t>(I) * 104729u)...};
    }

    Patch patch_;
    std::array<Voice, kVoices> voices_;
};

} // namespace music
