#include "app/Schedule.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {
constexpr ScheduledScene text = ScheduledScene::Text;
constexpr ScheduledScene tunnel = ScheduledScene::Tunnel;
} // namespace

TEST(Schedule, AlternatesEveryTwoSecondsStartingWithText) {
    EXPECT_EQ(sceneAt(0.0f), text);
    EXPECT_EQ(sceneAt(1.999f), text);
    EXPECT_EQ(sceneAt(2.0f), tunnel);
    EXPECT_EQ(sceneAt(3.999f), tunnel);
    EXPECT_EQ(sceneAt(4.0f), text);
    EXPECT_EQ(sceneAt(26.5f), tunnel);
}

TEST(Schedule, TheLastTextPagesRunUpToThirtySeconds) {
    for (float t = 28.0f; t < 30.0f; t += 0.125f)
        EXPECT_EQ(sceneAt(t), text) << t;
    EXPECT_EQ(sceneAt(std::nextafter(30.0f, 0.0f)), text);
    EXPECT_EQ(sceneAt(30.0f), tunnel);
}

TEST(Schedule, FromThirtySecondsOnOnlyTheTunnelRuns) {
    // From 32 s on the two-second count is even again, yet the text pages are over.
    for (float t : {30.0f, 30.999f, 31.0f, 32.0f, 33.5f, 36.0f, 40.0f, 100.0f, 3600.0f})
        EXPECT_EQ(sceneAt(t), tunnel) << t;
}

TEST(Schedule, RunsForEverWithoutOverflow) {
    // Beyond the 32-bit range of whole seconds (and for a broken clock) it stays on the tunnel.
    EXPECT_EQ(sceneAt(1e10f), tunnel);
    EXPECT_EQ(sceneAt(3.0e38f), tunnel);
    EXPECT_EQ(sceneAt(INFINITY), tunnel);
    EXPECT_EQ(sceneAt(NAN), tunnel);
}

TEST(Schedule, SeesTheShowTimeInSinglePrecision) {
    // Just below 2 s in double precision, but exactly 2 s once rounded to single precision:
    // the frame belongs to the tunnel interval.
    const double justBelowTwo = 2.0 - 1e-9;
    ASSERT_LT(justBelowTwo, 2.0);
    EXPECT_EQ(singlePrecisionShowTime(justBelowTwo), 2.0f);
    EXPECT_EQ(sceneAt(singlePrecisionShowTime(justBelowTwo)), tunnel);

    const double justBelowThirty = 30.0 - 1e-7;
    EXPECT_EQ(sceneAt(singlePrecisionShowTime(justBelowThirty)), tunnel);

    // Far enough below a boundary to survive the rounding, the earlier interval still holds.
    EXPECT_EQ(sceneAt(singlePrecisionShowTime(2.0 - 1e-3)), text);
    EXPECT_EQ(singlePrecisionShowTime(0.1), 0.1f) << "rounded to nearest, not truncated";
}
