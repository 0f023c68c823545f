#include "color.h"

#include <cmath>

namespace imagegen {

namespace {

constexpr float kKnee = 0.6f;

} // namespace

float clamp01(float x) {
    return x < 0.0f ? 0.0f : (x > 1.0f ? 1.0f : x);
}

float smoothstep(float edge0, float edge1, float x) {
    const float t = clamp01((x - edge0) / (edge1 - edge0));
    return t * t * (3.0f - 2.0f * t);
}

float toneMap(float x) {
    if (x <= kKnee) {
        return x < 0.0f ? 0.0f : x;
    }
    const float headroom = 1.0f - kKnee;
    return kKnee + headroom * (1.0f - std::exp(-(x - kKnee) / headroom));
}

float srgbCurve(float linear) {
    const float c = clamp01(linear);
    return clamp01(c <= 0.0031308f ? 12.92f * c : 1.055f * std::pow(c, 1.0f / 2.4f) - 0.055f);
}

std::uint8_t encodeSrgb(float linear) {
    return static_cast<std::uint8_t>(std::lround(srgbCurve(linear) * 255.0f));
}

float decodeSrgb(std::uint8_t value) {
    const float c = static_cast<float>(value) / 255.0f;
    return c <= 0.04045f ? c / 12.92f : std::pow((c + 0.055f) / 1.055f, 2.4f);
}

} // namespace imagegen
