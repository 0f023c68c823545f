#pragma once

#include <cstdint>

namespace imagegen {

// Integer hash with good avalanche, so neighbouring lattice points get unrelated values.
std::uint32_t hash32(std::uint32_t x);
std::uint32_t hashCombine(std::uint32_t seed, std::uint32_t value);
// Uniform in [0, 1).
float unitFloat(std::uint32_t h);
// Euclidean remainder: lattice indices of negative coordinates still wrap onto [0, period).
int wrapIndex(int i, int period);

// Gradient noise whose lattice repeats every periodX x periodY cells, so
// noise(x + periodX, y) == noise(x, y + periodY) == noise(x, y). Range [-1, 1].
float periodicNoise(float x, float y, int periodX, int periodY, std::uint32_t seed);

struct FbmParams {
    // Lattice cells per texture repeat of the first octave; each octave doubles both,
    // which keeps every octave periodic over the unit square.
    int frequencyX = 4;
    int frequencyY = 4;
    int octaves = 4;
    float gain = 0.5f;
    std::uint32_t seed = 0;
};

// Fractal sum of periodicNoise over texture coordinates (u, v), period 1 in both
// directions. Normalised by the total amplitude, so the range stays [-1, 1].
float periodicFbm(float u, float v, const FbmParams& params);

} // namespace imagegen
