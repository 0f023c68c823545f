#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace music {

struct StereoBuffer;

// 16-bit PCM sample from a float in [-1, 1], with `dither` (in LSBs) added
// before rounding; out-of-range input saturates instead of wrapping.
std::int16_t toPcm16(float value, float dither);

// Complete RIFF/WAVE image of a stereo buffer as 16-bit PCM, with seeded
// triangular dither so the quantisation noise is benign and repeatable.
std::vector<std::uint8_t> encodeWav16(const StereoBuffer& buffer, int sampleRate,
                                      std::uint32_t ditherSeed);

bool writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes);

} // namespace music
