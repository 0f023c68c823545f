// The decoder the texture loader uses, without GL: row order, grey widening, the formats it
// accepts, and damaged input, which runs under the sanitizers natively.
#include "TestSupport.h"

#include "resources/ImageDecoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

bool decode(const Bytes& bytes, DecodedImage& image) {
    return decodeImage(bytes.data(), bytes.size(), image);
}

Bytes pixelsOf(const DecodedImage& image) {
    return Bytes(image.pixels.get(),
                 image.pixels.get() + image.width * image.height * image.components);
}

// Overwrites a big-endian unsigned integer of `size` bytes at `offset`.
void putBigEndian(Bytes& bytes, std::size_t offset, std::size_t size, std::uint32_t value) {
    for (std::size_t i = 0; i < size; ++i)
        bytes[offset + i] = static_cast<unsigned char>(value >> (8 * (size - 1 - i)));
}

std::size_t findStartOfFrame(const Bytes& jpeg) {
    for (std::size_t i = 0; i + 1 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0)
            return i;
    return jpeg.size();
}

struct Segment {
    unsigned char marker;
    Bytes bytes; // marker, length and payload
};

// The header segments of a JPEG up to (not including) the start of scan, and the rest.
std::vector<Segment> jpegHeaderSegments(const Bytes& jpeg, Bytes& rest) {
    std::vector<Segment> segments;
    std::size_t at = 2;
    while (at + 4 <= jpeg.size() && jpeg[at] == 0xFF && jpeg[at + 1] != 0xDA) {
        const std::size_t length = 2 + (jpeg[at + 2] << 8 | jpeg[at + 3]);
        segments.push_back(
            {jpeg[at + 1], Bytes(jpeg.begin() + static_cast<std::ptrdiff_t>(at),
                                 jpeg.begin() + static_cast<std::ptrdiff_t>(at + length))});
        at += length;
    }
    rest.assign(jpeg.begin() + static_cast<std::ptrdiff_t>(at), jpeg.end());
    return segments;
}

Bytes joinJpeg(const std::vector<Segment>& segments, const Bytes& rest) {
    Bytes out{0xFF, 0xD8};
    for (const Segment& segment : segments)
        out.insert(out.end(), segment.bytes.begin(), segment.bytes.end());
    out.insert(out.end(), rest.begin(), rest.end());
    return out;
}

} // namespace

TEST(ImageDecoder, TurnsRowsUpsideDownWithoutSkew) {
    for (int components : {3, 4}) {
        const Bytes pixels = patternPixels(5, 3, components);
        DecodedImage image;
        ASSERT_TRUE(decode(encodePng(5, 3, components, pixels), image));
        EXPECT_EQ(image.width, 5);
        EXPECT_EQ(image.height, 3);
        EXPECT_EQ(image.components, components);
        EXPECT_EQ(pixelsOf(image), flippedRows(pixels, 5, 3, components));
    }
}

TEST(ImageDecoder, LeavesASingleRowAsItIs) {
    const Bytes pixels = patternPixels(7, 1, 4);
    DecodedImage image;
    ASSERT_TRUE(decode(encodePng(7, 1, 4, pixels), image));
    EXPECT_EQ(pixelsOf(image), pixels);
}

TEST(ImageDecoder, WidensGreyToRgbAndGreyWithAlphaToRgba) {
    const Bytes grey = patternPixels(3, 2, 1);
    DecodedImage image;
    ASSERT_TRUE(decode(encodePng(3, 2, 1, grey), image));
    EXPECT_EQ(image.components, 3);
    Bytes expected;
    for (unsigned char g : flippedRows(grey, 3, 2, 1))
        expected.insert(expected.end(), {g, g, g});
    EXPECT_EQ(pixelsOf(image), expected);

    const Bytes greyAlpha = patternPixels(3, 2, 2);
    ASSERT_TRUE(decode(encodePng(3, 2, 2, greyAlpha), image));
    EXPECT_EQ(image.components, 4);
    expected.clear();
    const Bytes flipped = flippedRows(greyAlpha, 3, 2, 2);
    for (std::size_t i = 0; i < flipped.size(); i += 2)
        expected.insert(expected.end(), {flipped[i], flipped[i], flipped[i], flipped[i + 1]});
    EXPECT_EQ(pixelsOf(image), expected);
}

TEST(ImageDecoder, RecognisesJpegByItsContent) {
    const Bytes pixels = patternPixels(24, 16, 3);
    DecodedImage image;
    ASSERT_TRUE(decode(encodeJpeg(24, 16, 3, pixels), image));
    EXPECT_EQ(image.width, 24);
    EXPECT_EQ(image.height, 16);
    EXPECT_EQ(image.components, 3);
}

TEST(ImageDecoder, ReadsNoOtherFormatAndKeepsTheImageOnFailure) {
    const Bytes pixels = patternPixels(4, 4, 3);
    DecodedImage image;
    ASSERT_TRUE(decode(encodePng(4, 4, 3, pixels), image));
    const Bytes before = pixelsOf(image);
    // stb_image would read each of these if its other decoders were compiled in.
    EXPECT_FALSE(decode(encodeBmp(4, 4, 3, pixels), image));
    const char gif[] = "GIF89a\x04\x00\x04\x00\x80\x00\x00";
    EXPECT_FALSE(decode(Bytes(gif, gif + sizeof gif), image));
    const char hdr[] = "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y 1 +X 1\n\x80\x80\x80\x80";
    EXPECT_FALSE(decode(Bytes(hdr, hdr + sizeof hdr), image));
    EXPECT_FALSE(decode(Bytes(), image));
    EXPECT_EQ(image.width, 4);
    EXPECT_EQ(pixelsOf(image), before);
}

TEST(ImageDecoder, RefusesDimensionsBeyondTheLargestTexture) {
    const Bytes pixels = patternPixels(8, 8, 3);
    DecodedImage image;
    Bytes png = encodePng(8, 8, 3, pixels);
    putBigEndian(png, 16, 4, 16385); // IHDR width; stb_image does not check chunk CRCs
    EXPECT_FALSE(decode(png, image));
    putBigEndian(png, 16, 4, 1u << 30);
    EXPECT_FALSE(decode(png, image));

    Bytes jpeg = encodeJpeg(8, 8, 3, pixels);
    const std::size_t frame = findStartOfFrame(jpeg);
    ASSERT_LT(frame + 9, jpeg.size());
    putBigEndian(jpeg, frame + 5, 2, 16385); // frame height
    EXPECT_FALSE(decode(jpeg, image));
}

// A chunk that claims more than the file holds is refused before the decoder reserves memory
// for it; the end chunk's own length is never used, as the decoder never uses it.
TEST(ImageDecoder, RefusesPngChunksLongerThanTheFile) {
    const Bytes pixels = patternPixels(8, 8, 3);
    const Bytes png = encodePng(8, 8, 3, pixels);
    DecodedImage image;
    Bytes damaged = png;
    putBigEndian(damaged, 33, 4, 1u << 30); // the first chunk after the image header
    EXPECT_FALSE(decode(damaged, image));
    damaged = png;
    putBigEndian(damaged, png.size() - 12, 4, 0x7FFFFFFF); // the end chunk
    ASSERT_TRUE(decode(damaged, image));
    EXPECT_EQ(pixelsOf(image), flippedRows(pixels, 8, 8, 3));
}

// An empty IDAT chunk is legal, and stb_image copies its nothing into a buffer it has not made
// yet (a null pointer); the decoder gets the file without such chunks and reads the same pixels.
TEST(ImageDecoder, ReadsPngsWithEmptyDataChunksBeforeTheData) {
    const Bytes pixels = patternPixels(8, 8, 3);
    Bytes png = encodePng(8, 8, 3, pixels);
    const Bytes emptyIdat{0, 0, 0, 0, 'I', 'D', 'A', 'T', 0x35, 0xAF, 0x06, 0x1E};
    png.insert(png.begin() + 33, emptyIdat.begin(), emptyIdat.end()); // right after the header
    png.insert(png.begin() + 33, emptyIdat.begin(), emptyIdat.end());
    DecodedImage image;
    ASSERT_TRUE(decode(png, image));
    EXPECT_EQ(pixelsOf(image), flippedRows(pixels, 8, 8, 3));

    // Also where the file ends inside such a chunk's checksum: nothing to read, and no harm.
    Bytes cut(png.begin(), png.begin() + 33 + 9);
    EXPECT_FALSE(decode(cut, image));
}

// Debian's stb_image writes past its tables when a Huffman table declares more than 256 codes;
// such files are refused before it sees them, wherever the table sits.
TEST(ImageDecoder, RefusesHuffmanTablesWithMoreThan256Codes) {
    const Bytes pixels = patternPixels(16, 16, 3);
    Bytes rest;
    std::vector<Segment> segments = jpegHeaderSegments(encodeJpeg(16, 16, 3, pixels), rest);
    auto frame = std::find_if(segments.begin(), segments.end(),
                              [](const Segment& s) { return s.marker == 0xC0; });
    auto table = std::find_if(segments.begin(), segments.end(),
                              [](const Segment& s) { return s.marker == 0xC4; });
    ASSERT_NE(frame, segments.end());
    ASSERT_NE(table, segments.end());
    ASSERT_GT(table - frame, 0) << "the encoder writes its tables after the frame header";
    std::vector<Segment> tablesFirst = segments;
    std::rotate(tablesFirst.begin() + (frame - segments.begin()),
                tablesFirst.begin() + (table - segments.begin()),
                tablesFirst.begin() + (table - segments.begin()) + 1);
    ASSERT_EQ(tablesFirst[static_cast<std::size_t>(frame - segments.begin())].marker, 0xC4);

    for (std::vector<Segment>* layout : {&segments, &tablesFirst}) {
        DecodedImage image;
        EXPECT_TRUE(decode(joinJpeg(*layout, rest), image));
        for (Segment& segment : *layout) {
            if (segment.marker != 0xC4)
                continue;
            const Bytes original = segment.bytes;
            segment.bytes[5 + 15] = 255; // 16-bit codes of the first table: now over 256
            EXPECT_FALSE(decode(joinJpeg(*layout, rest), image));

            // The same table after the scan, where the decoder reads it before the end of image.
            Bytes afterScan = rest;
            ASSERT_GE(afterScan.size(), 2u);
            afterScan.insert(afterScan.end() - 2, segment.bytes.begin(), segment.bytes.end());
            EXPECT_FALSE(decode(joinJpeg(segments, afterScan), image));
            segment.bytes = original;
        }
    }
}

// A scan that names a Huffman table no DHT segment defined would make the decoder take its own
// uninitialised memory for that table, and read far outside it.
TEST(ImageDecoder, RefusesScansThatUseHuffmanTablesNeverDefined) {
    const Bytes jpeg = encodeJpeg(16, 16, 3, patternPixels(16, 16, 3));
    ASSERT_TRUE(decoderCanTake(jpeg.data(), jpeg.size()));
    Bytes rest;
    const std::vector<Segment> segments = jpegHeaderSegments(jpeg, rest);
    // The scan header: 0xFF 0xDA, length, component count, then (component, DC << 4 | AC).
    ASSERT_EQ(rest[1], 0xDA);
    const std::size_t count = rest[4];
    ASSERT_EQ(count, 3u);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = 6 + 2 * i;
        SCOPED_TRACE("component " + std::to_string(i));
        Bytes scan = rest;
        scan[at] = 0x00; // tables the encoder defined: still fine
        Bytes changed = joinJpeg(segments, scan);
        EXPECT_TRUE(decoderCanTake(changed.data(), changed.size()));
        for (const unsigned char tables : {0x20, 0x02, 0x33}) {
            scan[at] = tables;
            changed = joinJpeg(segments, scan);
            EXPECT_FALSE(decoderCanTake(changed.data(), changed.size())) << int(tables);
        }
    }
}

// A comment or application segment may hold any bytes: 0xFF 0xC4 followed by what would be a
// table of 4080 codes is no table there, and the decoder reads past it.
TEST(ImageDecoder, ReadsJpegsWhoseCommentOrApplicationDataHoldsTheTableMarker) {
    const Bytes pixels = patternPixels(16, 16, 3);
    const Bytes plain = encodeJpeg(16, 16, 3, pixels);
    DecodedImage reference;
    ASSERT_TRUE(decode(plain, reference));
    Bytes rest;
    const std::vector<Segment> segments = jpegHeaderSegments(plain, rest);
    const auto frame = std::find_if(segments.begin(), segments.end(),
                                    [](const Segment& s) { return s.marker == 0xC0; });
    ASSERT_NE(frame, segments.end());

    Bytes table = {0xFF, 0xC4, 0x00, 0x13, 0x00};
    table.insert(table.end(), 16, 0xFF);
    for (const unsigned char marker : {0xFE, 0xE1}) {
        SCOPED_TRACE(marker == 0xFE ? "comment" : "APP1");
        Segment extra{marker, {0xFF, marker, 0, static_cast<unsigned char>(2 + table.size())}};
        extra.bytes.insert(extra.bytes.end(), table.begin(), table.end());
        // After the frame header, and before it, where the decoder reads it in the same way.
        for (const auto at : {frame - segments.begin() + 1, frame - segments.begin()}) {
            std::vector<Segment> layout = segments;
            layout.insert(layout.begin() + at, extra);
            DecodedImage image;
            ASSERT_TRUE(decode(joinJpeg(layout, rest), image));
            EXPECT_EQ(pixelsOf(image), pixelsOf(reference));
        }
    }
}

// Every prefix and a spread of single-bit flips of PNGs and JPEGs (baseline and progressive): each
// decode either fails or yields an image whose every byte can be read (the sanitizers watch the
// reads).
TEST(ImageDecoder, SurvivesTruncatedAndBitFlippedFiles) {
    const auto started = std::chrono::steady_clock::now();
    struct Sample {
        const char* name;
        Bytes bytes;
        bool isPng;
    };
    const Sample samples[] = {
        {"rgba png", encodePng(24, 16, 4, patternPixels(24, 16, 4)), true},
        {"grey png", encodePng(13, 9, 1, patternPixels(13, 9, 1)), true},
        {"rgb jpeg", encodeJpeg(16, 8, 3, patternPixels(16, 8, 3)), false},
        {"progressive jpeg", readFixture("progressive.jpg"), false},
    };
    unsigned checksum = 0;
    auto probe = [&checksum](const Bytes& bytes) {
        DecodedImage image;
        if (!decode(bytes, image))
            return false;
        EXPECT_GT(image.width, 0);
        EXPECT_GT(image.height, 0);
        EXPECT_TRUE(image.components == 3 || image.components == 4);
        const std::size_t size = static_cast<std::size_t>(image.width) *
                                 static_cast<std::size_t>(image.height) *
                                 static_cast<std::size_t>(image.components);
        for (std::size_t i = 0; i < size; ++i)
            checksum += image.pixels[i];
        return true;
    };
    for (const Sample& sample : samples) {
        SCOPED_TRACE(sample.name);
        ASSERT_TRUE(probe(sample.bytes));
        // A PNG decodes only once everything but the end chunk's checksum is there.
        const std::size_t complete = sample.isPng ? sample.bytes.size() - 4 : 0;
        for (std::size_t length = 0; length < sample.bytes.size(); ++length) {
            const bool decoded = probe(Bytes(
                sample.bytes.begin(), sample.bytes.begin() + static_cast<std::ptrdiff_t>(length)));
            EXPECT_TRUE(!decoded || length >= complete) << length << " of " << sample.bytes.size();
        }
        // Every bit of the first 64 bytes (signature, image header, first tables), then one
        // bit of every later byte, picked by a fixed sequence.
        std::uint32_t state = 12345;
        for (std::size_t at = 0; at < sample.bytes.size(); ++at) {
            state = state * 1664525u + 1013904223u;
            for (unsigned bit = 0; bit < 8; ++bit) {
                if (at >= 64 && bit != (state >> 24) % 8)
                    continue;
                Bytes damaged = sample.bytes;
                damaged[at] ^= static_cast<unsigned char>(1u << bit);
                probe(damaged);
            }
        }
    }
    const auto seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    RecordProperty("checksum", static_cast<int>(checksum & 0x7FFFFFFF));
    std::printf("damaged-image decodes took %.2f s\n", seconds);
}
