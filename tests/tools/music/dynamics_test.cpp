#include "dsp/limiter.h"
#include "dsp/loudness.h"
#include "dsp/noise.h"
#include "output/master.h"
#include "sequencer/timing.h"
#include "signal_helpers.h"

#include <gtest/gtest.h>

#include <cmath>

namespace music {
namespace {

using testing::sine;

float peakOf(const std::vector<float>& signal) {
    float peak = 0.0f;
    for (float x : signal)
        peak = std::max(peak, std::fabs(x));
    return peak;
}

TEST(SoftClip, IsTransparentBelowTheKneeAndBoundedAbove) {
    EXPECT_EQ(dsp::softClip(0.3f, 0.5f, 1.0f), 0.3f);
    EXPECT_EQ(dsp::softClip(-0.5f, 0.5f, 1.0f), -0.5f);
    float previous = 0.0f;
    for (float x = 0.0f; x < 20.0f; x += 0.01f) {
        const float y = dsp::softClip(x, 0.5f, 1.0f);
        ASSERT_LE(y, 1.0f);
        ASSERT_GE(y, previous) << "not monotonic at " << x;
        ASSERT_EQ(dsp::softClip(-x, 0.5f, 1.0f), -y);
        previous = y;
    }
}

class Limiter : public ::testing::Test {
  protected:
    dsp::LimiterSettings settings; // ceiling 0.8
};

TEST_F(Limiter, NothingExceedsTheCeiling) {
    auto left = sine(110.0, 0.7, kSampleRate, kSampleRate);
    auto right = sine(165.0, 0.7, kSampleRate, kSampleRate);
    dsp::Noise noise(3);
    for (int i = 0; i < 200; ++i) { // isolated spikes and dense bursts
        const auto at = static_cast<std::size_t>(noise.unit() * (left.size() - 1));
        left[at] = 4.0f * noise.next();
        right[at / 2] = 3.0f;
    }
    dsp::limitStereo(left, right, settings);
    EXPECT_LE(peakOf(left), settings.ceiling);
    EXPECT_LE(peakOf(right), settings.ceiling);
}

TEST_F(Limiter, LeavesSignalsUnderTheCeilingUntouched) {
    auto left = sine(440.0, 0.79, kSampleRate / 4, kSampleRate);
    auto right = sine(550.0, 0.5, kSampleRate / 4, kSampleRate);
    const auto originalLeft = left, originalRight = right;
    dsp::limitStereo(left, right, settings);
    EXPECT_EQ(left, originalLeft);
    EXPECT_EQ(right, originalRight);
}

TEST_F(Limiter, ActsAheadOfAPeakAndRecoversAfterIt) {
    std::vector<float> left(kSampleRate, 0.5f), right(kSampleRate, 0.5f);
    const std::size_t spike = kSampleRate / 4;
    left[spike] = 1.6f; // needs half the gain
    dsp::limitStereo(left, right, settings);
    EXPECT_NEAR(left[spike], settings.ceiling, 1e-5);
    // Gain is already falling just before the spike but untouched well before.
    EXPECT_LT(right[spike - 1], 0.5f * 0.6f);
    EXPECT_EQ(right[spike - static_cast<std::size_t>(settings.lookaheadSamples) - 1], 0.5f);
    // Both sides share the gain so the image does not move.
    EXPECT_NEAR(right[spike], 0.25f, 1e-5);
    // Recovered within a second of release times.
    EXPECT_GT(right.back(), 0.499f);
    // The gain ramps rather than steps (a step would click).
    for (std::size_t i = spike - 200; i < spike; ++i)
        ASSERT_LT(std::fabs(right[i] - right[i - 1]), 0.01f) << "at " << i;
}

std::vector<float> silence(int samples) {
    return std::vector<float>(static_cast<std::size_t>(samples), 0.0f);
}

// The loudness reference: a 0 dBFS 997 Hz sine in one channel of a stereo
// programme reads -3.01 LUFS.
TEST(Loudness, MatchesTheReferenceTone) {
    const auto tone = sine(997.0, 1.0, 10 * kSampleRate, kSampleRate);
    EXPECT_NEAR(dsp::integratedLoudness(tone, silence(10 * kSampleRate), kSampleRate), -3.01, 0.05);
    // Same tone in both channels at -20 dBFS: +3 dB for two channels, -20.
    const auto quiet = sine(997.0, 0.1, 10 * kSampleRate, kSampleRate);
    EXPECT_NEAR(dsp::integratedLoudness(quiet, quiet, kSampleRate), -20.0, 0.05);
}

TEST(Loudness, KWeightingFavoursPresenceOverBass) {
    const auto bass = sine(40.0, 0.1, 10 * kSampleRate, kSampleRate);
    const auto presence = sine(4000.0, 0.1, 10 * kSampleRate, kSampleRate);
    EXPECT_LT(dsp::integratedLoudness(bass, bass, kSampleRate),
              dsp::integratedLoudness(presence, presence, kSampleRate) - 3.0);
}

TEST(Loudness, GatesOutSilenceAndQuietPassages) {
    auto tone = sine(997.0, 0.1, 10 * kSampleRate, kSampleRate);
    const double steady = dsp::integratedLoudness(tone, tone, kSampleRate);

    auto withSilence = tone;
    withSilence.insert(withSilence.end(), 10 * kSampleRate, 0.0f);
    EXPECT_NEAR(dsp::integratedLoudness(withSilence, withSilence, kSampleRate), steady, 0.1);

    // 30 dB quieter is below the relative gate, so it does not pull the
    // reading down.
    auto withQuiet = tone;
    const auto quiet = sine(997.0, 0.1 / 31.6, 10 * kSampleRate, kSampleRate);
    withQuiet.insert(withQuiet.end(), quiet.begin(), quiet.end());
    EXPECT_NEAR(dsp::integratedLoudness(withQuiet, withQuiet, kSampleRate), steady, 0.1);

    EXPECT_TRUE(std::isinf(
        dsp::integratedLoudness(silence(kSampleRate), silence(kSampleRate), kSampleRate)));
}

TEST(Master, HitsTheLoudnessTargetUnderTheCeiling) {
    // A crude mix: decaying low thumps on every beat over quiet noise, whose
    // peaks force the limiter to work to reach the target.
    StereoBuffer mix{silence(20 * kSampleRate), silence(20 * kSampleRate)};
    dsp::Noise noise(11);
    for (std::size_t i = 0; i < mix.left.size(); ++i) {
        const double t = static_cast<double>(i % 22050) / kSampleRate;
        const float thump =
            static_cast<float>(0.3 * std::exp(-t / 0.08) * std::sin(2.0 * testing::kPi * 60.0 * t));
        mix.left[i] = thump + 0.01f * noise.next() + 0.02f; // with a DC offset
        mix.right[i] = thump + 0.01f * noise.next() + 0.02f;
    }
    MasterSettings settings;
    const MasterReport report = master(mix, settings);
    EXPECT_NEAR(dsp::integratedLoudness(mix.left, mix.right, kSampleRate), settings.targetLufs,
                0.1);
    EXPECT_NEAR(report.loudnessLufs, settings.targetLufs, 0.1);
    EXPECT_LE(peakDb(mix), settings.ceilingDb + 1e-4);
    EXPECT_EQ(mix.left.back(), 0.0f); // tail faded to silence
    double mean = 0.0;
    for (float x : mix.left)
        mean += x;
    EXPECT_NEAR(mean / static_cast<double>(mix.left.size()), 0.0, 1e-3);
}

} // namespace
} // namespace music
