#include "output/wav.h"
#include "sequencer/renderer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

namespace music {
namespace {

std::uint32_t read32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 |
           static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}
std::uint16_t read16(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}
std::string tag(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return std::string(bytes.begin() + static_cast<long>(at),
                       bytes.begin() + static_cast<long>(at) + 4);
}

TEST(Wav, HeaderDescribes16BitStereoPcm) {
    const StereoBuffer buffer{std::vector<float>(1000, 0.0f), std::vector<float>(1000, 0.0f)};
    const auto bytes = encodeWav16(buffer, 44100, 1);
    ASSERT_EQ(bytes.size(), 44u + 1000u * 4u);
    EXPECT_EQ(tag(bytes, 0), "RIFF");
    EXPECT_EQ(read32(bytes, 4), bytes.size() - 8);
    EXPECT_EQ(tag(bytes, 8), "WAVE");
    EXPECT_EQ(tag(bytes, 12), "fmt ");
    EXPECT_EQ(read32(bytes, 16), 16u);
    EXPECT_EQ(read16(bytes, 20), 1u);          // PCM
    EXPECT_EQ(read16(bytes, 22), 2u);          // channels
    EXPECT_EQ(read32(bytes, 24), 44100u);      // frames per second
    EXPECT_EQ(read32(bytes, 28), 44100u * 4u); // bytes per second
    EXPECT_EQ(read16(bytes, 32), 4u);          // bytes per frame
    EXPECT_EQ(read16(bytes, 34), 16u);         // bits per sample
    EXPECT_EQ(tag(bytes, 36), "data");
    EXPECT_EQ(read32(bytes, 40), 1000u * 4u);
}

TEST(Wav, SamplesAreInterleavedLittleEndianLeftFirst) {
    const StereoBuffer buffer{{0.5f, -1.0f}, {-0.5f, 1.0f}};
    const auto bytes = encodeWav16(buffer, 44100, 1);
    // Dither moves a sample by at most one step.
    const auto sample = [&](std::size_t index) {
        return static_cast<std::int16_t>(read16(bytes, 44 + 2 * index));
    };
    EXPECT_NEAR(sample(0), 16384, 1);
    EXPECT_NEAR(sample(1), -16384, 1);
    EXPECT_NEAR(sample(2), -32767, 1);
    EXPECT_NEAR(sample(3), 32767, 1);
}

TEST(Wav, ConversionSaturatesInsteadOfWrapping) {
    EXPECT_EQ(toPcm16(1.5f, 0.0f), 32767);
    EXPECT_EQ(toPcm16(1.0f, 0.9f), 32767);
    EXPECT_EQ(toPcm16(-1.5f, 0.0f), -32768);
    EXPECT_EQ(toPcm16(0.0f, 0.0f), 0);
    EXPECT_EQ(toPcm16(0.0f, 0.6f), 1);
    EXPECT_EQ(toPcm16(0.0f, -0.6f), -1);
}

TEST(Wav, DitherIsRepeatableAndSmall) {
    const StereoBuffer buffer{std::vector<float>(5000, 0.25f), std::vector<float>(5000, 0.0f)};
    const auto first = encodeWav16(buffer, 44100, 99);
    EXPECT_EQ(first, encodeWav16(buffer, 44100, 99));
    int distinct = 0;
    for (std::size_t i = 0; i < 5000; ++i) {
        const auto left = static_cast<std::int16_t>(read16(first, 44 + 4 * i));
        const auto right = static_cast<std::int16_t>(read16(first, 46 + 4 * i));
        ASSERT_NEAR(left, 8192, 1);
        ASSERT_NEAR(right, 0, 1);
        distinct += left != 8192;
    }
    EXPECT_GT(distinct, 0); // the dither is really there
}

TEST(Wav, WritesTheImageToDisk) {
    const std::string path = ::testing::TempDir() + "music_wav_test.wav";
    const std::vector<std::uint8_t> bytes = {1, 2, 3, 250};
    ASSERT_TRUE(writeFile(path, bytes));
    std::ifstream file(path, std::ios::binary);
    const std::vector<std::uint8_t> back((std::istreambuf_iterator<char>(file)), {});
    EXPECT_EQ(back, bytes);
    std::remove(path.c_str());
    EXPECT_FALSE(writeFile("/nonexistent-directory/x.wav", bytes));
}

} // namespace
} // namespace music
