#include "textures.h"

#include "hex_grid.h"
#include "periodic_noise.h"

#include <cmath>

namespace imagegen {

namespace {

// Palette, linear light.
constexpr Rgb kIndigoDeep{0.006f, 0.006f, 0.028f};
constexpr Rgb kIndigo{0.012f, 0.011f, 0.06f};
constexpr Rgb kSteelBlue{0.028f, 0.045f, 0.14f};
constexpr Rgb kCyan{0.05f, 0.75f, 1.0f};
constexpr Rgb kMagenta{0.85f, 0.06f, 0.95f};
constexpr Rgb kViolet{0.30f, 0.08f, 1.0f};
constexpr Rgb kWhiteHot{1.0f, 0.95f, 1.0f};

constexpr float kTwoPi = 6.28318530718f;

// 14 x 8 keeps the hexagons within 1% of regular while tiling the square.
const HexGrid& wallGrid() {
    static const HexGrid grid(14, 8);
    return grid;
}

// Cyan to violet to magenta across t in [0, 1].
Rgb neonRamp(float t) {
    t = clamp01(t);
    return t < 0.5f ? mix(kCyan, kViolet, t * 2.0f) : mix(kViolet, kMagenta, (t - 0.5f) * 2.0f);
}

template <typename Shader> LinearImage render(int width, int height, Shader shader) {
    LinearImage image;
    image.width = width;
    image.height = height;
    image.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        const float v = (static_cast<float>(y) + 0.5f) / static_cast<float>(height);
        for (int x = 0; x < width; ++x) {
            const float u = (static_cast<float>(x) + 0.5f) / static_cast<float>(width);
            image.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                         static_cast<std::size_t>(x)] = shader(u, v);
        }
    }
    return image;
}

} // namespace

Rgb tunnelWallAt(float u, float v) {
    const HexCell cell = wallGrid().at(u, v);
    const std::uint32_t h = hashCombine(0x5eedU, static_cast<std::uint32_t>(cell.id));
    const float tone = unitFloat(hashCombine(h, 1));
    const float kind = unitFloat(hashCombine(h, 2));
    const float flicker = unitFloat(hashCombine(h, 3));
    // 0 on the border, 1 at the centre.
    const float d = cell.edgeDistance / kHexInradius;

    const float grime = periodicFbm(u, v, {6, 6, 5, 0.55f, 11});
    const float streak = periodicFbm(u, v, {3, 24, 3, 0.5f, 12});
    Rgb color = mix(kIndigo, kSteelBlue, clamp01(0.25f + 0.45f * tone + 0.5f * grime));
    color = color * (0.85f + 0.15f * streak);
    // Each plate catches the light at its own angle.
    const float sheenAngle = unitFloat(hashCombine(h, 4)) * kTwoPi;
    const float sheen = cell.offsetX * std::cos(sheenAngle) + cell.offsetY * std::sin(sheenAngle);
    color = color * (1.0f + 0.35f * sheen);

    // Bevel lit from above-left: the rim facing the light brightens, the other darkens.
    const float bevel = 1.0f - smoothstep(0.06f, 0.2f, d);
    const float facing = -(cell.normalX * -0.6f + cell.normalY * -0.8f);
    color = color * (1.0f + bevel * facing * 1.3f);

    // Inset plate: a recessed groove ring, inside it the cell's own feature.
    const float ringCentre = 0.56f;
    const float groove = 1.0f - smoothstep(0.0f, 0.05f, std::fabs(d - ringCentre));
    color = color * (1.0f - 0.65f * groove);
    const float inner = smoothstep(ringCentre + 0.03f, ringCentre + 0.07f, d);

    // Seam colour drifts slowly between cyan and magenta over the wall.
    const float hue = periodicFbm(u, v, {2, 2, 3, 0.5f, 21});
    const Rgb seamColor = neonRamp(0.5f + 1.6f * hue);
    const float pulse =
        0.55f + 0.45f * smoothstep(-0.5f, 0.5f, periodicFbm(u, v, {4, 8, 2, 0.5f, 22}));

    Rgb emission{};
    if (kind < 0.22f) {
        // Lit panel: soft glow behind horizontal louvres.
        const float louvre = 0.5f + 0.5f * std::cos(cell.offsetY * kTwoPi * 4.5f);
        const float glow = inner * (0.35f + 0.65f * louvre) * (0.5f + 0.5f * flicker);
        emission = emission + seamColor * (glow * 0.55f);
    } else if (kind < 0.42f) {
        // Vent: dark slats.
        const float slat = 0.5f + 0.5f * std::cos(cell.offsetX * kTwoPi * 4.5f);
        color = color * (1.0f - inner * 0.7f * smoothstep(0.3f, 0.7f, slat));
    } else if (kind < 0.58f) {
        // Core light: a small round lamp with a halo.
        const float r = std::sqrt(cell.offsetX * cell.offsetX + cell.offsetY * cell.offsetY);
        const float lamp = 1.0f - smoothstep(0.16f, 0.22f, r);
        const float halo = std::exp(-r * 5.0f) * inner;
        emission = emission + kWhiteHot * (lamp * 0.8f) + seamColor * (halo * 0.6f + lamp * 0.8f);
        color = color *
                (1.0f - 0.5f * smoothstep(0.22f, 0.3f, r) * (1.0f - smoothstep(0.3f, 0.36f, r)));
    } else {
        // Plain plate with a thin lit line along the inner groove.
        const float line = 1.0f - smoothstep(0.0f, 0.025f, std::fabs(d - ringCentre - 0.045f));
        emission = emission + seamColor * (line * 0.25f * flicker);
    }

    // Seams: a white-hot core in the gap, coloured light bleeding onto the plates.
    // Widths are in circumradii (about 42 pixels at 1024), wide enough not to shimmer.
    const float core = std::exp(-cell.edgeDistance / 0.03f);
    const float halo = std::exp(-cell.edgeDistance / 0.17f);
    emission =
        emission + (seamColor * (core * 2.2f + halo * 0.28f) + kWhiteHot * (core * 0.6f)) * pulse;
    return color + emission;
}

Rgb tunnelEnergyAt(float u, float v) {
    // Domain warp for the flowing, smoky shapes.
    const float qx = periodicFbm(u, v, {2, 2, 4, 0.5f, 31});
    const float qy = periodicFbm(u, v, {2, 2, 4, 0.5f, 32});
    const float wu = u + 0.22f * qx;
    const float wv = v + 0.22f * qy;

    const float cloud = periodicFbm(wu, wv, {3, 3, 5, 0.55f, 33});
    const float density = smoothstep(-0.35f, 0.75f, cloud);
    const float hue = periodicFbm(wu + 0.3f, wv, {2, 2, 3, 0.5f, 34});
    Rgb color = kIndigoDeep + mix(kIndigo, kViolet * 0.35f, density) * 0.6f;
    color = color + neonRamp(0.55f + 1.3f * hue) * (density * density * 0.55f);

    // Light streaks along v: noise ridges stretched about 10:1, swaying with the warp.
    const float su = u + 0.025f * qy;
    const float ridge = 1.0f - std::fabs(periodicNoise(su * 20.0f, v * 2.0f, 20, 2, 35));
    const float ridge2 = 1.0f - std::fabs(periodicNoise(su * 34.0f, v * 3.0f, 34, 3, 36));
    const float fadeAlong = smoothstep(-0.2f, 0.6f, periodicFbm(u, v, {6, 2, 2, 0.5f, 37}));
    const float streak =
        std::pow(ridge, 10.0f) * fadeAlong + std::pow(ridge2, 12.0f) * 0.5f * fadeAlong;
    color = color + mix(kCyan, kWhiteHot, std::pow(ridge, 40.0f)) * (streak * 0.9f);

    // Faint sparks keep the dark gaps alive without per-pixel noise.
    const float spark = smoothstep(0.72f, 0.95f, periodicFbm(u, v, {16, 16, 2, 0.4f, 38}));
    color = color + kMagenta * (spark * 0.25f * (1.0f - density));
    return color;
}

Rgb textBackdropAt(float u, float v, float aspect) {
    const float x = (u - 0.5f) * 2.0f * aspect;
    const float y = (v - 0.5f) * 2.0f;
    const float r = std::sqrt(x * x + y * y);
    const float angle = std::atan2(y, x);

    Rgb color = mix(kIndigo * 0.9f, kIndigoDeep * 0.35f, smoothstep(0.0f, 1.9f, r));
    color = color + kViolet * (0.025f * std::exp(-r * r * 1.5f));

    // Receding tunnel rings: evenly spaced in depth 1/r, faded where they crowd.
    const float depth = 1.0f / std::fmax(r, 1e-3f);
    const float ringPhase = depth * 3.0f;
    const float ringDist = std::fabs(ringPhase - std::round(ringPhase));
    // Lengths below are in half page heights; 0.006 is 3 pixels on a 1024-pixel page.
    const float ringWidth = 0.006f;
    const float spacing = r * r / 3.0f;
    const float ring =
        std::exp(-ringDist * spacing / ringWidth) * smoothstep(0.016f, 0.08f, spacing);
    const float ringHue = 0.5f + 0.5f * std::sin(angle * 2.0f + depth);
    color = color + neonRamp(ringHue) * (ring * 0.05f);

    // Spokes: the seams of the tunnel running towards the vanishing point.
    const float spokes = 24.0f;
    const float spokePhase = angle / kTwoPi * spokes;
    const float spokeDist = std::fabs(spokePhase - std::round(spokePhase)) * kTwoPi / spokes * r;
    const float spoke = std::exp(-spokeDist / 0.003f) * smoothstep(0.25f, 0.9f, r);
    color = color + kCyan * (spoke * 0.025f);

    // Vignette.
    const float vignette = 1.0f - 0.75f * smoothstep(0.8f, 2.2f, r);
    return color * vignette;
}

LinearImage renderTunnelWall(int size) {
    return render(size, size, tunnelWallAt);
}

LinearImage renderTunnelEnergy(int size) {
    return render(size, size, tunnelEnergyAt);
}

LinearImage renderTextBackdrop(int width, int height) {
    const float aspect = static_cast<float>(width) / static_cast<float>(height);
    return render(width, height,
                  [aspect](float u, float v) { return textBackdropAt(u, v, aspect); });
}

} // namespace imagegen
