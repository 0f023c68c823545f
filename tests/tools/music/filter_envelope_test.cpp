#include "dsp/envelope.h"
#include "dsp/filter.h"
#include "dsp/noise.h"
#include "sequencer/timing.h"
#include "signal_helpers.h"

#include <gtest/gtest.h>

namespace music {
namespace {

using testing::rms;
using testing::sine;
using testing::toDb;

enum class Output { Low, Band, High };

// Steady-state gain in dB of an SVF for a sine at `hz`.
double svfGainDb(double cutoff, double q, double hz, Output which) {
    dsp::Svf filter;
    filter.set(cutoff, q);
    const auto input = sine(hz, 1.0, kSampleRate / 2, kSampleRate);
    std::vector<float> output;
    for (float x : input) {
        const auto out = filter.process(x);
        output.push_back(which == Output::Low    ? out.low
                         : which == Output::Band ? out.band
                                                 : out.high);
    }
    const std::size_t settled = output.size() / 2;
    return toDb(rms(output, settled) / rms(input, settled));
}

TEST(Svf, LowpassPassesBelowAndRejectsAboveCutoff) {
    EXPECT_NEAR(svfGainDb(1000.0, 0.707, 100.0, Output::Low), 0.0, 0.5);
    EXPECT_NEAR(svfGainDb(1000.0, 0.707, 1000.0, Output::Low), -3.0, 0.5);
    // Two poles: about 12 dB per octave, so over 40 dB down 3.3 octaves up.
    EXPECT_LT(svfGainDb(1000.0, 0.707, 10000.0, Output::Low), -38.0);
}

TEST(Svf, HighpassAndBandpassAreShapedAroundTheCutoff) {
    EXPECT_LT(svfGainDb(1000.0, 0.707, 100.0, Output::High), -38.0);
    EXPECT_NEAR(svfGainDb(1000.0, 0.707, 10000.0, Output::High), 0.0, 0.5);
    const double centre = svfGainDb(2000.0, 4.0, 2000.0, Output::Band);
    EXPECT_GT(centre, svfGainDb(2000.0, 4.0, 500.0, Output::Band) + 20.0);
    EXPECT_GT(centre, svfGainDb(2000.0, 4.0, 8000.0, Output::Band) + 20.0);
}

TEST(Svf, ResonancePeaksAtCutoff) {
    EXPECT_GT(svfGainDb(1000.0, 8.0, 1000.0, Output::Low), 15.0);
}

TEST(Svf, StaysBoundedWhileCutoffIsModulatedEverySample) {
    dsp::Svf filter;
    dsp::Noise noise(42);
    float peak = 0.0f;
    for (int i = 0; i < kSampleRate; ++i) {
        filter.set(20.0 + 20000.0 * noise.unit(), 12.0);
        peak = std::max(peak, std::fabs(filter.process(noise.next()).low));
    }
    EXPECT_TRUE(std::isfinite(peak));
    EXPECT_LT(peak, 50.0f);
}

TEST(DcBlocker, RemovesOffsetButKeepsAudio) {
    dsp::DcBlocker blocker(10.0);
    auto input = sine(440.0, 0.5, kSampleRate, kSampleRate);
    std::vector<float> output;
    for (float x : input)
        output.push_back(blocker.process(x + 0.3f));
    double mean = 0.0;
    for (std::size_t i = output.size() / 2; i < output.size(); ++i)
        mean += output[i];
    mean /= static_cast<double>(output.size() / 2);
    EXPECT_NEAR(mean, 0.0, 1e-3);
    EXPECT_NEAR(rms(output, output.size() / 2), 0.5 / std::sqrt(2.0), 0.01);
}

// Samples the envelope until `stop` says so; returns the count.
template <class Stop> int runUntil(dsp::Adsr& env, Stop stop, int limit) {
    for (int i = 1; i <= limit; ++i) {
        if (stop(env.next()))
            return i;
    }
    return limit + 1;
}

TEST(Adsr, AttackTakesItsTimeThenDecaysToSustain) {
    dsp::Adsr env;
    env.set(0.01, 0.1, 0.5, 0.2);
    env.gateOn();
    const int attack = runUntil(
        env, [](float v) { return v >= 1.0f; }, kSampleRate);
    EXPECT_NEAR(attack, 0.01 * kSampleRate, 2);
    // Decay time is the time to fall 60 dB of the distance to sustain.
    const int decay = runUntil(
        env, [](float v) { return v - 0.5f < 0.5f * 0.001f; }, kSampleRate);
    EXPECT_NEAR(decay, 0.1 * kSampleRate, 0.01 * kSampleRate);
    for (int i = 0; i < kSampleRate; ++i)
        ASSERT_NEAR(env.next(), 0.5f, 0.0005f);
    EXPECT_FLOAT_EQ(env.level(), 0.5f); // settled exactly, not creeping
    EXPECT_TRUE(env.held());
}

TEST(Adsr, ReleaseFallsSixtyDecibelsInItsTimeAndGoesIdle) {
    dsp::Adsr env;
    env.set(0.001, 0.05, 0.8, 0.3);
    env.gateOn();
    runUntil(
        env, [](float) { return false; }, kSampleRate / 2);
    env.gateOff();
    const int release = runUntil(
        env, [](float v) { return v < 0.8f * 0.001f; }, kSampleRate);
    EXPECT_NEAR(release, 0.3 * kSampleRate, 0.01 * kSampleRate);
    runUntil(
        env, [](float) { return false; }, kSampleRate);
    EXPECT_FALSE(env.active());
    EXPECT_EQ(env.level(), 0.0f);
}

TEST(Adsr, RetriggerContinuesFromTheCurrentLevel) {
    dsp::Adsr env;
    env.set(0.02, 0.1, 0.0, 0.1);
    env.gateOn();
    runUntil(
        env, [](float) { return false; }, kSampleRate / 20);
    const float before = env.level();
    ASSERT_GT(before, 0.05f);
    env.gateOn();
    const float after = env.next();
    // No drop back to zero: that would be an audible click.
    EXPECT_GE(after, before);
    EXPECT_LT(after - before, 1.0f / (0.02f * kSampleRate) + 1e-6f);
}

} // namespace
} // namespace music
