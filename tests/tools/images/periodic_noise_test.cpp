#include "periodic_noise.h"

#include <gtest/gtest.h>

#include <cmath>

using imagegen::FbmParams;
using imagegen::periodicFbm;
using imagegen::periodicNoise;

namespace {

// Deterministic sample points spread over a few periods, including negative ones.
float samplePoint(int i, int salt, float span) {
    return (imagegen::unitFloat(imagegen::hashCombine(static_cast<std::uint32_t>(salt),
                                                      static_cast<std::uint32_t>(i))) -
            0.5f) *
           span;
}

} // namespace

TEST(PeriodicNoise, WrapIndexFoldsNegativeAndLargeIndices) {
    EXPECT_EQ(imagegen::wrapIndex(-1, 5), 4);
    EXPECT_EQ(imagegen::wrapIndex(-5, 5), 0);
    EXPECT_EQ(imagegen::wrapIndex(-6, 5), 4);
    EXPECT_EQ(imagegen::wrapIndex(12, 5), 2);
}

TEST(PeriodicNoise, RepeatsOverItsPeriodOnBothAxes) {
    const int periods[][2] = {{4, 4}, {20, 2}, {3, 7}};
    for (const auto& period : periods) {
        const float px = static_cast<float>(period[0]);
        const float py = static_cast<float>(period[1]);
        for (int i = 0; i < 400; ++i) {
            const float x = samplePoint(i, 1, 3.0f * px);
            const float y = samplePoint(i, 2, 3.0f * py);
            const float n = periodicNoise(x, y, period[0], period[1], 7);
            EXPECT_NEAR(n, periodicNoise(x + px, y, period[0], period[1], 7), 1e-4f);
            EXPECT_NEAR(n, periodicNoise(x, y - py, period[0], period[1], 7), 1e-4f);
        }
    }
}

TEST(PeriodicNoise, IsContinuousAcrossLatticeLines) {
    // A wrong corner offset in the interpolation shows up as a jump at cell borders.
    const float eps = 1e-3f;
    for (int i = 0; i < 200; ++i) {
        const float k = std::floor(samplePoint(i, 3, 16.0f));
        const float t = samplePoint(i, 4, 16.0f);
        EXPECT_NEAR(periodicNoise(k - eps, t, 8, 8, 3), periodicNoise(k + eps, t, 8, 8, 3), 0.02f);
        EXPECT_NEAR(periodicNoise(t, k - eps, 8, 8, 3), periodicNoise(t, k + eps, 8, 8, 3), 0.02f);
    }
}

TEST(PeriodicNoise, UsesTheUnitRangeWithoutLeavingIt) {
    float lo = 1.0f;
    float hi = -1.0f;
    double sum = 0.0;
    const int count = 20000;
    for (int i = 0; i < count; ++i) {
        const float n =
            periodicNoise(samplePoint(i, 5, 64.0f), samplePoint(i, 6, 64.0f), 16, 16, 9);
        lo = std::fmin(lo, n);
        hi = std::fmax(hi, n);
        sum += n;
    }
    EXPECT_GE(lo, -1.0f);
    EXPECT_LE(hi, 1.0f);
    EXPECT_LT(lo, -0.6f);
    EXPECT_GT(hi, 0.6f);
    EXPECT_NEAR(sum / count, 0.0, 0.05);
}

TEST(PeriodicFbm, RepeatsOverTheUnitSquareAndStaysInRange) {
    const FbmParams params{3, 24, 5, 0.55f, 42};
    for (int i = 0; i < 300; ++i) {
        const float u = samplePoint(i, 7, 2.0f);
        const float v = samplePoint(i, 8, 2.0f);
        const float n = periodicFbm(u, v, params);
        EXPECT_NEAR(n, periodicFbm(u + 1.0f, v, params), 1e-4f);
        EXPECT_NEAR(n, periodicFbm(u, v + 1.0f, params), 1e-4f);
        EXPECT_GE(n, -1.0f);
        EXPECT_LE(n, 1.0f);
    }
}

TEST(PeriodicFbm, SeedsGiveIndependentFields) {
    // Layers built from different seeds must not repeat each other's shapes.
    double difference = 0.0;
    for (int i = 0; i < 2000; ++i) {
        const float u = samplePoint(i, 9, 1.0f);
        const float v = samplePoint(i, 10, 1.0f);
        difference += std::fabs(periodicFbm(u, v, {4, 4, 3, 0.5f, 1}) -
                                periodicFbm(u, v, {4, 4, 3, 0.5f, 2}));
    }
    EXPECT_GT(difference / 2000.0, 0.1);
}
