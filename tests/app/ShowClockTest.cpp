#include "app/ShowClock.h"

#include <gtest/gtest.h>

TEST(ShowClock, CountsOnlyTheTicksSinceItStarted) {
    ShowClock clock;
    clock.start(5'000'000'000);
    EXPECT_EQ(clock.seconds(), 0.0);
    EXPECT_DOUBLE_EQ(clock.advance(5'010'000'000, 10'000'000), 1.0);
    EXPECT_DOUBLE_EQ(clock.advance(5'015'000'000, 10'000'000), 1.5);
    EXPECT_DOUBLE_EQ(clock.seconds(), 1.5);
}

TEST(ShowClock, EachFrameUsesTheFrequencyReadThatFrame) {
    ShowClock clock;
    clock.start(0);
    clock.advance(1000, 1000);
    // A later frequency changes only the later increments.
    EXPECT_DOUBLE_EQ(clock.advance(3000, 2000), 2.0);
}

TEST(ShowClock, LargeCounterValuesLoseNoPrecision) {
    // Counters near 2^62 are not exactly representable as doubles; one tick must still count.
    ShowClock clock;
    const std::int64_t base = (std::int64_t{1} << 62) + 1;
    clock.start(base);
    EXPECT_DOUBLE_EQ(clock.advance(base + 1, 10'000'000), 1e-7);
    EXPECT_DOUBLE_EQ(clock.advance(base + 3, 10'000'000), 3e-7);
}
