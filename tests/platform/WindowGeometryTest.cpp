#include "platform/WindowGeometry.h"
#include "platform/GlVersion.h"

#include "support/LogRecorder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

DisplaySettings settingsFor(bool fullscreen, bool gpuScale, int left, int top, int right,
                            int bottom) {
    DisplaySettings settings{};
    settings.width = 1280;
    settings.height = 720;
    settings.fullscreen = fullscreen;
    settings.gpuScale = gpuScale;
    settings.monitorInfo.rcMonitor.left = left;
    settings.monitorInfo.rcMonitor.top = top;
    settings.monitorInfo.rcMonitor.right = right;
    settings.monitorInfo.rcMonitor.bottom = bottom;
    return settings;
}

} // namespace

TEST(DrawableSize, IsTheChosenResolutionUnlessFullScreenIsScaledByTheGpu) {
    const DrawableSize windowed = drawableSizeFor(settingsFor(false, false, 0, 0, 1920, 1080));
    EXPECT_EQ(windowed.width, 1280);
    EXPECT_EQ(windowed.height, 720);

    // Without full screen the GPU-scale tick has no effect.
    const DrawableSize windowedScaled = drawableSizeFor(settingsFor(false, true, 0, 0, 1920, 1080));
    EXPECT_EQ(windowedScaled.width, 1280);
    EXPECT_EQ(windowedScaled.height, 720);

    // The display is switched to the chosen mode, so the window is that size.
    const DrawableSize switched = drawableSizeFor(settingsFor(true, false, 0, 0, 1920, 1080));
    EXPECT_EQ(switched.width, 1280);
    EXPECT_EQ(switched.height, 720);

    const DrawableSize scaled = drawableSizeFor(settingsFor(true, true, 0, 0, 1920, 1080));
    EXPECT_EQ(scaled.width, 1920);
    EXPECT_EQ(scaled.height, 1080);
}

TEST(DrawableSize, ScaledFullScreenUsesTheDisplaysOwnExtentWhereverItLies) {
    // A second display left of and above the primary one.
    const DrawableSize left = drawableSizeFor(settingsFor(true, true, -2560, -360, 0, 1080));
    EXPECT_EQ(left.width, 2560);
    EXPECT_EQ(left.height, 1440);
}

TEST(DrawableSize, KeepsTheExtentToSixteenBits) {
    const DrawableSize wide = drawableSizeFor(settingsFor(true, true, 0, 0, 70000, 1080));
    EXPECT_EQ(wide.width, 70000 - 65536);
    // Extreme coordinates must not overflow on the way.
    const DrawableSize extreme =
        drawableSizeFor(settingsFor(true, true, INT32_MIN, 0, INT32_MAX, 600));
    EXPECT_EQ(extreme.width, 0xFFFF);
    EXPECT_EQ(extreme.height, 600);
}

namespace {

// A stand-in for wglSwapIntervalEXT, of the same shape: the calls it got and what it answers.
struct IntervalCalls {
    std::vector<int> calls;
    bool refuseAdaptive = false;
    bool refuseAll = false;
};
IntervalCalls intervalCalls;

int recordInterval(int interval) {
    intervalCalls.calls.push_back(interval);
    if (intervalCalls.refuseAll)
        return 0;
    return interval == -1 && intervalCalls.refuseAdaptive ? 0 : 1;
}

// The calls applySwapInterval makes with the stand-in, refusing as told.
std::vector<int> intervalsFor(bool vsync, bool tearControl, bool refuseAdaptive = false,
                              bool refuseAll = false) {
    intervalCalls = IntervalCalls{{}, refuseAdaptive, refuseAll};
    applySwapInterval(vsync, tearControl, &recordInterval);
    return intervalCalls.calls;
}

} // namespace

TEST(SwapInterval, AdaptiveOnlyWithTearControlPlainOtherwiseNoneWithoutVsync) {
    EXPECT_EQ(intervalsFor(true, true), std::vector<int>({-1}));
    EXPECT_EQ(intervalsFor(true, false), std::vector<int>({1}));
    EXPECT_EQ(intervalsFor(false, true), std::vector<int>({0}));
}

TEST(SwapInterval, ARefusedAdaptiveIntervalFallsBackToPlainVsync) {
    EXPECT_EQ(intervalsFor(true, true, true), std::vector<int>({-1, 1}));
    // A driver that refuses everything is left alone after the plain attempt.
    EXPECT_EQ(intervalsFor(true, true, false, true), std::vector<int>({-1, 1}));
}

// A driver without the extension leaves the entry point null, and calling it would end the
// program: the calls run in a child process that must exit normally.
TEST(SwapIntervalDeathTest, AMissingEntryPointIsNeverCalled) {
    int (*missing)(int) = nullptr;
    EXPECT_EXIT(
        {
            applySwapInterval(true, true, missing);
            applySwapInterval(false, false, missing);
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(GlVersion, ThreePointThreeOrLaterIsEnoughWhateverTheVendorAppends) {
    const LogRecorder logger;
    for (const char* enough : {"3.3.0 NVIDIA 551.23", "4.6.0 Compatibility Profile Context 23.9",
                               "4.5 (Compatibility Profile) Mesa 22.3.6", "10.0", "3.10"})
        EXPECT_TRUE(offersRequiredOpenGl(enough)) << enough;
    for (const char* tooLittle : {"1.1.0", "3.2.0 Build 9.17", "2.1", "3", "", "x.y"})
        EXPECT_FALSE(offersRequiredOpenGl(tooLittle)) << tooLittle;
    EXPECT_FALSE(offersRequiredOpenGl(nullptr));
    EXPECT_EQ(logger.lines().back().text,
              "This computer's OpenGL driver does not offer OpenGL 3.3, which the show needs (it "
              "offers none)");
}
