#pragma once

#include <cstdint>

namespace music::dsp {

// xorshift32: cheap, and seeded explicitly so every render is identical.
class Noise {
  public:
    explicit Noise(std::uint32_t seed = 0x9E3779B9u) : state_(seed ? seed : 1u) {}

    std::uint32_t nextBits() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }

    // Uniform in [-1, 1).
    float next() { return static_cast<float>(nextBits() >> 8) * (2.0f / 16777216.0f) - 1.0f; }

    // Uniform in [0, 1).
    float unit() { return static_cast<float>(nextBits() >> 8) / 16777216.0f; }

  private:
    std::uint32_t state_;
};

} // namespace music::dsp
