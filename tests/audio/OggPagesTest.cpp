#include "AudioTestSupport.h"

#include "audio/OggPages.h"

#include <gtest/gtest.h>

namespace {

std::size_t verified(const Bytes& bytes) {
    return verifiedOggLength(bytes.data(), bytes.size());
}

// The end of the last whole page at or before offset.
std::size_t lastPageEndBefore(const std::vector<std::size_t>& ends, std::size_t offset) {
    std::size_t result = 0;
    for (std::size_t end : ends)
        if (end <= offset)
            result = end;
    return result;
}

Bytes withoutPage(const Bytes& ogg, std::size_t start, std::size_t end) {
    Bytes result(ogg.begin(), ogg.begin() + start);
    result.insert(result.end(), ogg.begin() + end, ogg.end());
    return result;
}

} // namespace

TEST(OggPages, EncoderOutputPassesWhole) {
    // oggenc's pages carry libogg's checksums: passing them all checks the CRC itself.
    for (const Bytes* ogg : {&stereoOgg(), &monoOgg()}) {
        const std::vector<std::size_t> ends = pageEnds(*ogg);
        ASSERT_GE(ends.size(), 3u);
        ASSERT_EQ(ends.back(), ogg->size());
        EXPECT_EQ(verified(*ogg), ogg->size());
    }
}

TEST(OggPages, AFileCutShortKeepsItsCompletePages) {
    const Bytes& ogg = monoOgg();
    const std::vector<std::size_t> ends = pageEnds(ogg);
    for (std::size_t cut = 0; cut <= ogg.size(); ++cut) {
        const Bytes shortened(ogg.begin(), ogg.begin() + cut);
        ASSERT_EQ(verified(shortened), lastPageEndBefore(ends, cut)) << "cut at " << cut;
    }
}

TEST(OggPages, AnyFlippedBitRejectsItsPageAndEverythingAfter) {
    const Bytes& ogg = monoOgg();
    const std::vector<std::size_t> ends = pageEnds(ogg);
    // Every bit of the headers and a spread of bits through the bodies.
    for (std::size_t bit = 0; bit < ogg.size() * 8; bit += (bit % 8192 < 512 ? 1 : 13)) {
        Bytes damaged = ogg;
        damaged[bit / 8] ^= static_cast<std::uint8_t>(1u << (bit % 8));
        ASSERT_EQ(verified(damaged), lastPageEndBefore(ends, bit / 8)) << "bit " << bit;
    }
}

TEST(OggPages, PagesMustFormOneStreamInSequence) {
    const Bytes& ogg = stereoOgg();
    const std::vector<std::size_t> ends = pageEnds(ogg);

    // A lost page: the sequence number jumps.
    EXPECT_EQ(verified(withoutPage(ogg, ends[1], ends[2])), ends[1]);

    // Starting anywhere but the stream's first page.
    EXPECT_EQ(verified(Bytes(ogg.begin() + ends[0], ogg.end())), 0u);

    // A page of another stream, correctly sealed.
    Bytes foreign = ogg;
    foreign[ends[2] + 14] ^= 1;
    resealPage(foreign, ends[2]);
    EXPECT_EQ(verified(foreign), ends[2]);

    // A second beginning of stream (a chained file) in place of a page.
    Bytes chained = ogg;
    chained[ends[2] + 5] |= 0x02;
    resealPage(chained, ends[2]);
    EXPECT_EQ(verified(chained), ends[2]);

    // Unknown header flags and versions.
    Bytes flagged = ogg;
    flagged[ends[1] + 5] |= 0x08;
    resealPage(flagged, ends[1]);
    EXPECT_EQ(verified(flagged), ends[1]);
    Bytes versioned = ogg;
    versioned[ends[1] + 4] = 1;
    resealPage(versioned, ends[1]);
    EXPECT_EQ(verified(versioned), ends[1]);
}

TEST(OggPages, NothingAfterTheLastPageIsRead) {
    Bytes padded = monoOgg();
    // A whole second copy of the stream after the end-of-stream page: not part of this one.
    padded.insert(padded.end(), monoOgg().begin(), monoOgg().end());
    EXPECT_EQ(verified(padded), monoOgg().size());
    EXPECT_EQ(verified(Bytes{}), 0u);
    EXPECT_EQ(verified(Bytes(200, 0)), 0u);
}
