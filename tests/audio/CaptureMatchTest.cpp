// The capture check that the sound tests rely on: it must pass a device that ran dry for a moment
// (silence inserted) and fail sound that was lost, reordered or replaced.
#include "CaptureMatch.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

constexpr int rate = 44100;

// Three seconds of stereo noise, different in each channel: any shift or loss breaks the match.
Decoded noiseTrack() {
    Decoded track;
    track.channels = 2;
    track.sampleRate = rate;
    std::uint32_t state = 12345;
    for (int i = 0; i < 3 * rate * 2; ++i) {
        state = state * 1664525u + 1013904223u;
        track.samples.push_back(static_cast<std::int16_t>((state >> 16) % 20000) - 10000);
    }
    return track;
}

// A capture as the device wrote it: 16-bit stereo at the track's rate, from the given frames.
Bytes capture(const std::vector<std::int16_t>& frames) {
    Bytes raw(frames.size() * 2);
    std::memcpy(raw.data(), frames.data(), raw.size());
    return raw;
}

std::vector<std::int16_t> silence(double seconds) {
    return std::vector<std::int16_t>(static_cast<std::size_t>(seconds * rate) * 2, 0);
}

std::vector<std::int16_t> part(const Decoded& track, double from, double to) {
    return {track.samples.begin() + static_cast<std::ptrdiff_t>(from * rate) * 2,
            track.samples.begin() + static_cast<std::ptrdiff_t>(to * rate) * 2};
}

std::vector<std::int16_t> join(std::initializer_list<std::vector<std::int16_t>> parts) {
    std::vector<std::int16_t> all;
    for (const auto& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

} // namespace

TEST(CaptureMatch, FindsTheTrackAfterSilenceAndAcceptsOnlySilenceInsertedIntoIt) {
    const Decoded track = noiseTrack();

    const CaptureMatch whole =
        matchCapture(capture(join({silence(0.3), part(track, 0, 3), silence(1)})), track);
    EXPECT_EQ(whole.start, std::size_t(0.3 * rate));
    EXPECT_GT(whole.startScore, 0.99);
    EXPECT_DOUBLE_EQ(whole.matchedSeconds, 3.0);
    EXPECT_EQ(whole.gaps, 0);
    EXPECT_GE(whole.silenceAfter, 0.0);
    EXPECT_LT(whole.silenceAfter, 0.001);

    // The device ran dry for a tenth of a second in the middle of the track.
    const CaptureMatch dry =
        matchCapture(capture(join({silence(0.3), part(track, 0, 1.2), silence(0.1),
                                   part(track, 1.2, 3), silence(1)})),
                     track);
    EXPECT_DOUBLE_EQ(dry.matchedSeconds, 3.0);
    EXPECT_EQ(dry.gaps, 1);
    EXPECT_NEAR(dry.gapSeconds, 0.1, 0.001);
    EXPECT_GE(dry.silenceAfter, 0.0) << "the end is found after the gap";
    EXPECT_LT(dry.silenceAfter, 0.001);
}

TEST(CaptureMatch, StopsWhereSoundWasLostReplacedOrRepeated) {
    const Decoded track = noiseTrack();
    const auto lost = join({silence(0.3), part(track, 0, 1.2), part(track, 1.3, 3)});
    const auto replaced =
        join({silence(0.3), part(track, 0, 1.2), part(track, 2.0, 2.1), part(track, 1.2, 3)});
    const auto repeated = join({silence(0.3), part(track, 0, 1.2), part(track, 1.0, 3)});
    for (const auto& frames : {lost, replaced, repeated}) {
        const CaptureMatch m = matchCapture(capture(frames), track);
        EXPECT_GT(m.startScore, 0.99);
        EXPECT_DOUBLE_EQ(m.matchedSeconds, 1.0) << "in order up to the half second before 1.2 s";
        EXPECT_LT(m.silenceAfter, 0.0) << "no end of the track to find";
    }
}
