#include "periodic_noise.h"

#include <cmath>

namespace imagegen {

namespace {

constexpr float kTwoPi = 6.28318530718f;

float fade(float t) {
    return t * t * t * (t * (t * 6.0f - 15.0f) + 10.0f);
}

float lerp(float a, float b, float t) {
    return a + (b - a) * t;
}

float gradientDot(int ix, int iy, float dx, float dy, std::uint32_t seed) {
    const std::uint32_t h = hashCombine(hashCombine(seed, static_cast<std::uint32_t>(ix)),
                                        static_cast<std::uint32_t>(iy));
    const float angle = unitFloat(h) * kTwoPi;
    return std::cos(angle) * dx + std::sin(angle) * dy;
}

} // namespace

std::uint32_t hash32(std::uint32_t x) {
    x ^= x >> 16;
    x *= 0x7feb352dU;
    x ^= x >> 15;
    x *= 0x846ca68bU;
    x ^= x >> 16;
    return x;
}

std::uint32_t hashCombine(std::uint32_t seed, std::uint32_t value) {
    return hash32(seed ^ (value + 0x9e3779b9U + (seed << 6) + (seed >> 2)));
}

float unitFloat(std::uint32_t h) {
    return static_cast<float>(h >> 8) * (1.0f / 16777216.0f);
}

int wrapIndex(int i, int period) {
    const int r = i % period;
    return r < 0 ? r + period : r;
}

float periodicNoise(float x, float y, int periodX, int periodY, std::uint32_t seed) {
    const float fx = std::floor(x);
    const float fy = std::floor(y);
    const int x0 = static_cast<int>(fx);
    const int y0 = static_cast<int>(fy);
    const float dx = x - fx;
    const float dy = y - fy;

    const int ix0 = wrapIndex(x0, periodX);
    const int ix1 = wrapIndex(x0 + 1, periodX);
    const int iy0 = wrapIndex(y0, periodY);
    const int iy1 = wrapIndex(y0 + 1, periodY);

    const float n00 = gradientDot(ix0, iy0, dx, dy, seed);
    const float n10 = gradientDot(ix1, iy0, dx - 1.0f, dy, seed);
    const float n01 = gradientDot(ix0, iy1, dx, dy - 1.0f, seed);
    const float n11 = gradientDot(ix1, iy1, dx - 1.0f, dy - 1.0f, seed);

    const float sx = fade(dx);
    const float sy = fade(dy);
    // Unit gradients peak at sqrt(0.5); rescale to use the whole [-1, 1].
    return lerp(lerp(n00, n10, sx), lerp(n01, n11, sx), sy) * 1.41421356f;
}

float periodicFbm(float u, float v, const FbmParams& params) {
    float sum = 0.0f;
    float amplitude = 1.0f;
    float total = 0.0f;
    int fx = params.frequencyX;
    int fy = params.frequencyY;
    for (int octave = 0; octave < params.octaves; ++octave) {
        const std::uint32_t seed = hashCombine(params.seed, static_cast<std::uint32_t>(octave));
        sum += amplitude *
               periodicNoise(u * static_cast<float>(fx), v * static_cast<float>(fy), fx, fy, seed);
        total += amplitude;
        amplitude *= params.gain;
        fx *= 2;
        fy *= 2;
    }
    return total > 0.0f ? sum / total : 0.0f;
}

} // namespace imagegen
