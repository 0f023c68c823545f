#include "output/wav.h"

#include "dsp/noise.h"
#include "sequencer/renderer.h"

#include <algorithm>
#include <cmath>
#include <fstream>

namespace music {

namespace {

void put16(std::vector<std::uint8_t>& bytes, std::uint32_t value) {
    bytes.push_back(static_cast<std::uint8_t>(value & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

void put32(std::vector<std::uint8_t>& bytes, std::uint32_t value) {
    put16(bytes, value & 0xFFFF);
    put16(bytes, value >> 16);
}

void putTag(std::vector<std::uint8_t>& bytes, const char (&tag)[5]) {
    for (int i = 0; i < 4; ++i)
        bytes.push_back(static_cast<std::uint8_t>(tag[i]));
}

} // namespace

std::int16_t toPcm16(float value, float dither) {
    const double scaled = std::floor(static_cast<double>(value) * 32767.0 + dither + 0.5);
    return static_cast<std::int16_t>(std::clamp(scaled, -32768.0, 32767.0));
}

std::vector<std::uint8_t> encodeWav16(const StereoBuffer& buffer, int sampleRate,
                                      std::uint32_t ditherSeed) {
    constexpr std::uint32_t kChannels = 2;
    constexpr std::uint32_t kBytesPerSample = 2;
    const std::size_t frames = std::min(buffer.left.size(), buffer.right.size());
    const auto dataBytes = static_cast<std::uint32_t>(frames * kChannels * kBytesPerSample);
    const auto rate = static_cast<std::uint32_t>(sampleRate);

    std::vector<std::uint8_t> bytes;
    bytes.reserve(44 + dataBytes);
    putTag(bytes, "RIFF");
    put32(bytes, 36 + dataBytes);
    putTag(bytes, "WAVE");
    putTag(bytes, "fmt ");
    put32(bytes, 16); // PCM format chunk size
    put16(bytes, 1);  // PCM
    put16(bytes, kChannels);
    put32(bytes, rate);
    put32(bytes, rate * kChannels * kBytesPerSample);
    put16(bytes, kChannels * kBytesPerSample);
    put16(bytes, 8 * kBytesPerSample);
    putTag(bytes, "data");
    put32(bytes, dataBytes);

    dsp::Noise noise(ditherSeed);
    const auto dither = [&noise] { return noise.unit() - noise.unit(); };
    for (std::size_t i = 0; i < frames; ++i) {
        put16(bytes, static_cast<std::uint16_t>(toPcm16(buffer.left[i], dither())));
        put16(bytes, static_cast<std::uint16_t>(toPcm16(buffer.right[i], dither())));
    }
    return bytes;
}

bool writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file)
        return false;
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

} // namespace music
