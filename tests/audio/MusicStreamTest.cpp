#include "AudioTestSupport.h"

#include "audio/MusicStream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

constexpr const char* track = "music.ogg";

class MusicStreamTest : public ::testing::Test {
  protected:
    bool open(const Bytes& bytes) { return stream.open(fileSystemWith(track, bytes), track); }

    // Takes count frames and checks them against the whole-file decode at the track position
    // `at`, where frames beyond the track's end must be silent.
    void expectFrames(std::uint32_t count, const Decoded& reference, std::size_t& at) {
        std::vector<std::int16_t> out(std::size_t(count) * reference.channels, 0x5555);
        ASSERT_EQ(stream.takeFrames(out.data(), count), count);
        for (std::size_t i = 0; i < out.size(); ++i) {
            const std::size_t sample = at * reference.channels + i;
            const std::int16_t expected =
                sample < reference.samples.size() ? reference.samples[sample] : 0;
            ASSERT_EQ(out[i], expected) << "track frame " << at + i / reference.channels;
        }
        at += count;
    }

    LogRecorder logger;
    MusicStream stream;
};

} // namespace

TEST_F(MusicStreamTest, SizesFollowTheTrack) {
    ASSERT_TRUE(open(stereoOgg()));
    EXPECT_EQ(stream.sampleRate(), 44100u);
    EXPECT_EQ(stream.channels(), 2u);
    EXPECT_EQ(stream.bytesPerFrame(), 4u);
    EXPECT_EQ(stream.capacity(), 3u * 44100u);
    EXPECT_EQ(stream.filled(), 0u);

    // Opening again replaces the stream.
    ASSERT_TRUE(open(monoOgg()));
    EXPECT_EQ(stream.sampleRate(), 22050u);
    EXPECT_EQ(stream.channels(), 1u);
    EXPECT_EQ(stream.bytesPerFrame(), 2u);
    EXPECT_EQ(stream.capacity(), 3u * 22050u);
    EXPECT_TRUE(logger.lines().empty());
}

TEST_F(MusicStreamTest, RingDeliversTheTrackAcrossItsEndAndThenSilence) {
    const Decoded reference = decodeWhole(stereoOgg());
    ASSERT_EQ(reference.channels, 2);
    ASSERT_TRUE(open(stereoOgg()));
    stream.refill();
    EXPECT_EQ(stream.filled(), stream.capacity());
    std::size_t at = 0;

    // Uneven takes, each followed by a refill, walk the free space round the ring's end; the
    // track runs out on the way.
    const std::uint32_t takes[] = {4410, 100000, 31, 90000, 132300, 77777, 5, 132300, 200000};
    for (std::uint32_t take : takes) {
        expectFrames(take, reference, at);
        ASSERT_FALSE(HasFatalFailure());
        stream.refill();
        EXPECT_EQ(stream.filled(), stream.capacity());
    }
    EXPECT_GT(at, reference.frames() + stream.capacity());
    EXPECT_TRUE(stream.ended());
}

TEST_F(MusicStreamTest, RefillWrapsTheFreeSpacePastTheRingsEnd) {
    const Decoded reference = decodeWhole(stereoOgg());
    ASSERT_TRUE(open(stereoOgg()));
    stream.refill();
    std::size_t at = 0;
    expectFrames(stream.capacity() - 1000, reference, at);
    stream.refill(); // the free space starts at index 0
    expectFrames(2000, reference, at);
    EXPECT_EQ(stream.readPosition(), 1000u);
    stream.refill(); // 1000 free frames at the ring's end, 1000 more at its start
    expectFrames(stream.capacity(), reference, at);
}

TEST_F(MusicStreamTest, TakingMoreThanTheRingHoldsFillsTheRestWithSilence) {
    const Decoded reference = decodeWhole(stereoOgg());
    ASSERT_TRUE(open(stereoOgg()));
    stream.refill();
    const std::uint32_t count = stream.capacity() + 777;
    std::vector<std::int16_t> out(std::size_t(count) * 2, 0x5555);
    EXPECT_EQ(stream.takeFrames(out.data(), count), count);
    EXPECT_TRUE(
        std::equal(out.begin(), out.begin() + stream.capacity() * 2, reference.samples.begin()));
    EXPECT_TRUE(std::all_of(out.begin() + stream.capacity() * 2, out.end(),
                            [](std::int16_t s) { return s == 0; }));
    EXPECT_EQ(stream.filled(), 0u);
    // Nothing was consumed beyond the ring: the next refill continues the track.
    std::size_t at = stream.capacity();
    stream.refill();
    expectFrames(1000, reference, at);
}

TEST_F(MusicStreamTest, AShortTrackIsFollowedBySilence) {
    const Decoded reference = decodeWhole(monoOgg());
    ASSERT_EQ(reference.channels, 1);
    ASSERT_LT(reference.frames(), 3u * 22050u);
    ASSERT_TRUE(open(monoOgg()));
    // Straight to a sound buffer first, as the player primes it, then on through the ring.
    std::vector<std::int16_t> buffer(stream.capacity(), 0x5555);
    EXPECT_EQ(stream.decodeFrames(buffer.data(), stream.capacity()), reference.frames());
    EXPECT_TRUE(std::equal(reference.samples.begin(), reference.samples.end(), buffer.begin()));
    EXPECT_TRUE(std::all_of(buffer.begin() + reference.frames(), buffer.end(),
                            [](std::int16_t s) { return s == 0; }));
    EXPECT_TRUE(stream.ended());
    stream.refill();
    std::size_t at = stream.capacity();
    expectFrames(stream.capacity(), reference, at);
}

TEST_F(MusicStreamTest, DecodingStraightThenThroughTheRingStaysInOrder) {
    const Decoded reference = decodeWhole(stereoOgg());
    ASSERT_TRUE(open(stereoOgg()));
    std::vector<std::int16_t> buffer(std::size_t(stream.capacity()) * 2);
    EXPECT_EQ(stream.decodeFrames(buffer.data(), stream.capacity()), stream.capacity());
    EXPECT_TRUE(std::equal(buffer.begin(), buffer.end(), reference.samples.begin()));
    stream.refill();
    std::size_t at = stream.capacity();
    expectFrames(stream.capacity(), reference, at);
}

TEST_F(MusicStreamTest, SkippingDropsFramesFromTheRingThenTheDecoder) {
    const Decoded reference = decodeWhole(stereoOgg());
    ASSERT_TRUE(open(stereoOgg()));
    stream.refill();
    std::size_t at = 0;
    expectFrames(1000, reference, at);
    stream.skipFrames(5000); // inside the ring
    at += 5000;
    EXPECT_EQ(stream.filled(), stream.capacity() - 6000);
    expectFrames(1000, reference, at);
    stream.skipFrames(stream.filled() + 50000); // the rest of the ring and on into the decoder
    at += stream.capacity() - 7000 + 50000;
    EXPECT_EQ(stream.filled(), 0u);
    stream.refill();
    expectFrames(stream.capacity(), reference, at);
    // Past the end, skipping costs nothing and the stream stays silent.
    stream.skipFrames(0xFFFFFFFFu);
    stream.refill();
    at = reference.frames();
    expectFrames(1000, reference, at);
}

TEST_F(MusicStreamTest, AMissingTrackIsLoggedByTheFileSystem) {
    IntrusivePointer<FileSystem> fileSystem = fileSystemWith("other.ogg", stereoOgg());
    EXPECT_FALSE(stream.open(fileSystem, "TOTALLYANORIGINALTRACKNOTRIPPED.ogg"));
    const std::vector<LogLine> expected = {
        {3, "File not found: TOTALLYANORIGINALTRACKNOTRIPPED.ogg"}};
    EXPECT_EQ(logger.lines(), expected);
    // The call holds its own reference only while it runs.
    EXPECT_EQ(fileSystem->referenceCount(), 1);
}

TEST_F(MusicStreamTest, EachFailedOpenSaysWhyAndLeavesASilentStreamThatCanBeOpenedAgain) {
    // Valid Ogg framing around something that is not Vorbis: the decoder refuses it after the
    // data was read, the furthest a failed open gets before the decoder exists.
    Bytes notVorbis = {'O', 'g', 'g', 'S', 0, 0x06, 0, 0, 0, 0, 0, 0,   0,   0,   7,   0,  0,
                       0,   0,   0,   0,   0, 0,    0, 0, 0, 1, 5, 'h', 'e', 'l', 'l', 'o'};
    resealPage(notVorbis, 0);
    // A header that claims an absurd sample rate: the decoder opens, the stream refuses.
    Bytes absurdRate = stereoOgg();
    const std::size_t packet = 27 + absurdRate[26];
    ASSERT_EQ(absurdRate[packet], 1); // the identification header
    for (int i = 0; i < 4; ++i)
        absurdRate[packet + 12 + i] = 0xFF;
    resealPage(absurdRate, 0);
    const std::string text = "RIFF....WAVEfmt not a track at all";
    // The capture pattern and most of the first page, but not its end.
    const auto firstPageCut =
        stereoOgg().begin() + static_cast<std::ptrdiff_t>(pageEnds(stereoOgg())[0] - 1);

    const std::string unreadable = "Unable to read data from music file: music.ogg";
    const std::string undecodable = "Unable to decode music file: music.ogg";
    const std::string unsupported =
        "Unsupported sample rate or channel count in music file: music.ogg";
    const struct {
        const char* name;
        IntrusivePointer<FileSystem> fileSystem;
        const std::string& line;
    } failures[] = {
        {"unreadable", fileSystemWith(track, stereoOgg(), true), unreadable},
        {"empty", fileSystemWith(track, Bytes{}), undecodable},
        {"not Ogg", fileSystemWith(track, Bytes(text.begin(), text.end())), undecodable},
        {"damaged first page",
         fileSystemWith(track, Bytes(stereoOgg().begin() + 1, stereoOgg().end())), undecodable},
        {"no complete page", fileSystemWith(track, Bytes(stereoOgg().begin(), firstPageCut)),
         undecodable},
        {"not Vorbis", fileSystemWith(track, notVorbis), undecodable},
        {"absurd sample rate", fileSystemWith(track, absurdRate), unsupported},
    };
    for (const auto& failure : failures) {
        SCOPED_TRACE(failure.name);
        logger.clear();
        EXPECT_FALSE(stream.open(failure.fileSystem, track));
        const std::vector<LogLine> expected = {{3, failure.line}};
        EXPECT_EQ(logger.lines(), expected);
        stream.refill();
        std::int16_t out[8] = {1, 2, 3, 4, 5, 6, 7, 8};
        EXPECT_EQ(stream.takeFrames(out, 4), 4u);
        stream.skipFrames(100);
        EXPECT_EQ(stream.decodeFrames(out, 4), 0u);
    }
    // The sanitizers check that nothing of the failed opens leaks or is freed twice, here and
    // when the stream is destroyed.
    logger.clear();
    ASSERT_TRUE(open(monoOgg()));
    EXPECT_TRUE(logger.lines().empty());
    {
        MusicStream abandoned;
        EXPECT_FALSE(abandoned.open(fileSystemWith(track, absurdRate), track));
    }
}
