#include "instruments/synths.h"
#include "sequencer/notation.h"
#include "sequencer/renderer.h"
#include "sequencer/timing.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace music {
namespace {

TEST(Timing, BarsFallOnWholeSamplesEveryTwoSeconds) {
    EXPECT_EQ(barStartSample(1), 0);
    EXPECT_EQ(barStartSample(16), 30 * kSampleRate);
    for (int bar = 1; bar <= 100; ++bar) {
        ASSERT_EQ(barStartSample(bar), static_cast<std::int64_t>(bar - 1) * 2 * kSampleRate);
        // Sixteenths are 5512.5 samples, yet bar lines must stay exact.
        ASSERT_EQ(stepToSample(barStep(bar)), barStartSample(bar));
    }
}

TEST(Timing, SixteenthsNeverDriftOrSkip) {
    for (int step = 1; step < 16 * 100; ++step) {
        const auto gap = stepToSample(step) - stepToSample(step - 1);
        ASSERT_TRUE(gap == 5512 || gap == 5513) << "step " << step;
    }
    EXPECT_EQ(stepToSample(4), kSampleRate / 2); // a beat at 120 BPM
}

TEST(Notation, NoteNamesGiveMidiNumbers) {
    EXPECT_EQ(noteNumber("A4"), 69.0f);
    EXPECT_EQ(noteNumber("C4"), 60.0f);
    EXPECT_EQ(noteNumber("C#4"), 61.0f);
    EXPECT_EQ(noteNumber("Db4"), 61.0f);
    EXPECT_EQ(noteNumber("B3"), 59.0f);
    EXPECT_EQ(noteNumber("G#5"), 80.0f);
    EXPECT_EQ(noteNumber("A0"), 21.0f);
    for (const char* bad : {"", "A", "H4", "A#", "A4x", "4A", "Cb"})
        EXPECT_THROW(noteNumber(bad), std::invalid_argument) << bad;
}

TEST(Notation, MelodiesFollowOnWithRests) {
    const auto notes = melody(32.0, "A4/3 -/2 C5/1.5 E5/4", 0.8f, 12.0f);
    ASSERT_EQ(notes.size(), 3u);
    EXPECT_EQ(notes[0].step, 32.0);
    EXPECT_EQ(notes[0].length, 3.0);
    EXPECT_EQ(notes[0].pitch, 81.0f);
    EXPECT_EQ(notes[1].step, 37.0);
    EXPECT_EQ(notes[1].length, 1.5);
    EXPECT_EQ(notes[2].step, 38.5);
    EXPECT_EQ(notes[2].velocity, 0.8f);
    EXPECT_EQ(melodyLength("A4/3 -/2 C5/1.5 E5/4"), 10.5);
    EXPECT_THROW(melody(0.0, "A4", 1.0f), std::invalid_argument);
    EXPECT_THROW(melody(0.0, "A4/0", 1.0f), std::invalid_argument);
}

TEST(Notation, RhythmGridsReadOneSixteenthPerSymbol) {
    const auto hits = rhythm(16.0, "X..x | o... ", 36.0f, 1.0f, 0.5);
    ASSERT_EQ(hits.size(), 3u);
    EXPECT_EQ(hits[0].step, 16.0);
    EXPECT_EQ(hits[1].step, 19.0);
    EXPECT_EQ(hits[2].step, 20.0);
    EXPECT_GT(hits[0].velocity, hits[1].velocity);
    EXPECT_GT(hits[1].velocity, hits[2].velocity);
    EXPECT_EQ(hits[2].length, 0.5);
    EXPECT_THROW(rhythm(0.0, "x-x", 36.0f, 1.0f, 1.0), std::invalid_argument);
}

TEST(Automation, InterpolatesBetweenPointsAndHoldsOutside) {
    const Automation curve{{5.0, 0.2f}, {1.0, 0.0f}, {9.0, 0.2f}};
    EXPECT_FLOAT_EQ(curve.at(0.0), 0.0f);
    EXPECT_FLOAT_EQ(curve.at(3.0), 0.1f);
    EXPECT_FLOAT_EQ(curve.at(7.0), 0.2f);
    EXPECT_FLOAT_EQ(curve.at(50.0), 0.2f);
    EXPECT_FLOAT_EQ(Automation{}.at(3.0), 1.0f);
}

TEST(Duck, DipsAtTheKickAndRecoversBeforeTheNextBeat) {
    EXPECT_FLOAT_EQ(duckGain(0), 1.0f);
    EXPECT_LT(duckGain(kSampleRate / 200), 0.05f); // 5 ms in: fully ducked
    EXPECT_FLOAT_EQ(duckGain(kSampleRate / 2), 1.0f);
    for (std::int64_t n = 1; n < kSampleRate / 2; ++n)
        ASSERT_LT(std::fabs(duckGain(n) - duckGain(n - 1)), 0.01f) << "click at " << n;
}

// Sounds a single sample, at its velocity, on the very frame of each note-on,
// which shows exactly where the sequencer triggered it.
class Impulse : public Instrument {
  public:
    void noteOn(float, float velocity, int gate) override {
        pending_ = velocity;
        gates.push_back(gate);
    }
    void process(float& left, float& right) override {
        left += pending_;
        right -= pending_;
        pending_ = 0.0f;
    }
    std::vector<int> gates;

  private:
    float pending_ = 0.0f;
};

TEST(Renderer, StartsEveryNoteOnItsExactSample) {
    Song song;
    song.seconds = 9.0;
    auto impulse = std::make_unique<Impulse>();
    Impulse* probe = impulse.get();
    Track& track = song.track("probe", std::move(impulse));
    const std::vector<double> steps = {0.0, 1.0, 15.0, 16.0, 17.5, 33.0, 70.0};
    for (double step : steps)
        track.notes.push_back({step, 1.0, 60.0f, 1.0f});
    track.notes.push_back({3.0, 2.0, 60.0f, 0.0f}); // out of order, silent

    const StereoBuffer out = renderSong(song);
    ASSERT_EQ(out.left.size(), static_cast<std::size_t>(9 * kSampleRate));
    std::vector<std::int64_t> heard;
    for (std::size_t i = 0; i < out.left.size(); ++i) {
        if (out.left[i] != 0.0f) {
            heard.push_back(static_cast<std::int64_t>(i));
            EXPECT_EQ(out.right[i], -out.left[i]); // centre pan is unity per side
        }
    }
    std::vector<std::int64_t> expected;
    for (double step : steps)
        expected.push_back(stepToSample(step));
    EXPECT_EQ(heard, expected);
    ASSERT_EQ(probe->gates.size(), steps.size() + 1);
    EXPECT_EQ(probe->gates[2], stepToSample(5.0) - stepToSample(3.0));
}

TEST(Renderer, PanAndGainShapeEachTrack) {
    Song song;
    song.seconds = 0.1;
    Track& track = song.track("probe", std::make_unique<Impulse>());
    track.notes.push_back({0.0, 1.0, 60.0f, 1.0f});
    track.pan = 1.0f;
    track.gain = 0.5f;
    const StereoBuffer out = renderSong(song);
    EXPECT_NEAR(out.left[0], 0.0f, 1e-6);
    EXPECT_NEAR(out.right[0], -0.5f * std::sqrt(2.0f), 1e-6);
}

TEST(Renderer, SameSongRendersIdentically) {
    const auto make = [] {
        Song song;
        song.seconds = 1.0;
        Track& pad = song.track("pad", std::make_unique<Pad>(PadVoice::Patch{}, 5u));
        pad.reverbSend = 0.5f;
        pad.delaySend = 0.5f;
        for (float note : {57.0f, 60.0f, 64.0f})
            pad.notes.push_back({0.0, 4.0, note, 1.0f});
        return song;
    };
    Song first = make();
    Song second = make();
    const StereoBuffer a = renderSong(first);
    const StereoBuffer b = renderSong(second);
    EXPECT_EQ(a.left, b.left);
    EXPECT_EQ(a.right, b.right);
    EXPECT_NE(a.left, a.right); // the detuned pad is genuinely stereo
}

} // namespace
} // namespace music
