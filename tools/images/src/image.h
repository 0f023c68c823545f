#pragma once

#include "color.h"

#include <cstdint>
#include <string>
#include <vector>

namespace imagegen {

// 8-bit RGB, rows top to bottom, tightly packed.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;

    std::uint8_t channel(int x, int y, int c) const {
        return pixels[(static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                       static_cast<std::size_t>(x)) *
                          3 +
                      static_cast<std::size_t>(c)];
    }
};

// Tone maps and sRGB-encodes a linear image. No dithering: it would double the
// size of the page PNGs, and the gradients are dark enough not to band visibly.
RgbImage encodeImage(const std::vector<Rgb>& linear, int width, int height);

bool writeJpeg(const std::string& path, const RgbImage& image, int quality);
bool writePng(const std::string& path, const RgbImage& image);

} // namespace imagegen
