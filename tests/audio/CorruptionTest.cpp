#include "AudioTestSupport.h"

#include "audio/MusicStream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace {

std::int64_t granule(const Bytes& ogg, std::size_t pageStart) {
    std::int64_t value = 0;
    for (int i = 7; i >= 0; --i)
        value = value * 256 + ogg[pageStart + 6 + i];
    return value;
}

// Damaged copies of an Ogg file and what each must do: a file whose damage reaches into the
// header pages is refused; any other plays exactly the track's start, then silence.
class Corruption {
  public:
    explicit Corruption(const Bytes& ogg) : ogg_(ogg), ends_(pageEnds(ogg)) {
        reference_ = decodeWhole(ogg);
    }

    // Damage that starts at byte `offset`.
    void check(const std::string& what, const Bytes& damaged, std::size_t offset) {
        SCOPED_TRACE(what);
        MusicStream stream;
        const bool opened = stream.open(fileSystemWith("track.ogg", damaged), "track.ogg");
        // The first two pages hold the three Vorbis headers in these files.
        const bool headersIntact = offset >= ends_[1];
        ASSERT_EQ(opened, headersIntact);
        if (!opened)
            return;
        ++played_;
        ASSERT_EQ(int(stream.channels()), reference_.channels);
        ASSERT_EQ(int(stream.sampleRate()), reference_.sampleRate);

        std::vector<std::int16_t> out;
        std::vector<std::int16_t> chunk(std::size_t(stream.capacity()) * stream.channels());
        // Until the decoder gives up, and one ring more: it must stay silent after that.
        for (int rounds = 0, afterEnd = 0; afterEnd < 2; ++rounds) {
            ASSERT_LT(rounds, 100) << "the stream never ends";
            stream.refill();
            stream.takeFrames(chunk.data(), stream.capacity());
            out.insert(out.end(), chunk.begin(), chunk.end());
            afterEnd += stream.ended() ? 1 : 0;
        }
        const std::size_t channels = stream.channels();
        // The longest run that matches the clean decode...
        std::size_t same = 0;
        while (same < out.size() && same < reference_.samples.size() &&
               out[same] == reference_.samples[same])
            ++same;
        same -= same % channels;
        // ...is followed by nothing but silence (never noise)...
        for (std::size_t i = same; i < out.size(); ++i)
            ASSERT_EQ(out[i], 0) << "noise at frame " << i / channels;
        // ...and covers the intact pages, give or take the last long block.
        std::size_t intactEnd = 0;
        for (std::size_t end : ends_)
            if (end <= offset)
                intactEnd = end;
        std::size_t lastIntactPage = 0;
        for (std::size_t end : ends_)
            if (end < intactEnd)
                lastIntactPage = end;
        const std::int64_t expected = granule(ogg_, lastIntactPage);
        EXPECT_GE(std::int64_t(same / channels) + 2048, expected);
    }

    int played() const { return played_; }
    const std::vector<std::size_t>& ends() const { return ends_; }

  private:
    const Bytes& ogg_;
    std::vector<std::size_t> ends_;
    Decoded reference_;
    int played_ = 0;
};

void damage(Corruption& corruption, const Bytes& ogg, int spacedCuts, int flips, int bursts) {
    std::mt19937 random(20240607);
    std::vector<std::size_t> cuts;
    for (std::size_t end : corruption.ends())
        for (std::size_t near : {end - 1, end, end + 1})
            if (near < ogg.size())
                cuts.push_back(near);
    for (int i = 1; i <= spacedCuts; ++i)
        cuts.push_back(ogg.size() * i / (spacedCuts + 1));
    for (std::size_t cut : cuts) {
        corruption.check("cut at " + std::to_string(cut), Bytes(ogg.begin(), ogg.begin() + cut),
                         cut);
        if (::testing::Test::HasFatalFailure())
            return;
    }
    for (int i = 0; i < flips; ++i) {
        const std::size_t bit = random() % (ogg.size() * 8);
        Bytes damaged = ogg;
        damaged[bit / 8] ^= static_cast<std::uint8_t>(1u << (bit % 8));
        corruption.check("bit " + std::to_string(bit), damaged, bit / 8);
        if (::testing::Test::HasFatalFailure())
            return;
    }
    for (int i = 0; i < bursts; ++i) {
        const std::size_t at = random() % ogg.size();
        const std::size_t length = std::min<std::size_t>(1 + random() % 300, ogg.size() - at);
        Bytes damaged = ogg;
        for (std::size_t j = 0; j < length; ++j)
            damaged[at + j] = static_cast<std::uint8_t>(random());
        // Random bytes can repeat what was there; the damage starts at the first change.
        std::size_t first = at;
        while (first < at + length && damaged[first] == ogg[first])
            ++first;
        if (first == at + length)
            continue;
        corruption.check("burst at " + std::to_string(at), damaged, first);
        if (::testing::Test::HasFatalFailure())
            return;
    }
}

} // namespace

TEST(Corruption, DamagedStereoFilesAreRefusedOrPlayTheirIntactStart) {
    LogRecorder logger;
    Corruption corruption(stereoOgg());
    damage(corruption, stereoOgg(), 16, 32, 8);
    EXPECT_GT(corruption.played(), 30);
}

TEST(Corruption, DamagedMonoFilesAreRefusedOrPlayTheirIntactStart) {
    LogRecorder logger;
    Corruption corruption(monoOgg());
    damage(corruption, monoOgg(), 24, 64, 16);
    EXPECT_GT(corruption.played(), 10);
}
