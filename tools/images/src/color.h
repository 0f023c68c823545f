#pragma once

#include <cstdint>

namespace imagegen {

// Linear-light colour; the textures are uploaded as sRGB, so everything is composed
// linearly and encoded once at the end.
struct Rgb {
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
};

inline Rgb operator+(Rgb a, Rgb b) {
    return {a.r + b.r, a.g + b.g, a.b + b.b};
}
inline Rgb operator*(Rgb a, float s) {
    return {a.r * s, a.g * s, a.b * s};
}
inline Rgb operator*(Rgb a, Rgb b) {
    return {a.r * b.r, a.g * b.g, a.b * b.b};
}
inline Rgb mix(Rgb a, Rgb b, float t) {
    return a + (b + a * -1.0f) * t;
}

float clamp01(float x);
float smoothstep(float edge0, float edge1, float x);

// Identity below the knee, then an exponential shoulder that approaches 1, so
// bright glows roll off instead of clipping into flat blobs.
float toneMap(float x);

// IEC 61966-2-1 transfer function: linear [0, 1] to encoded [0, 1], and rounded to 8 bits.
float srgbCurve(float linear);
std::uint8_t encodeSrgb(float linear);
float decodeSrgb(std::uint8_t value);

} // namespace imagegen
