#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

// An image ready for glTexImage2D: rows from bottom to top, tightly packed, 8-bit components.
struct DecodedImage {
    std::int32_t width = 0;
    std::int32_t height = 0;
    // 3 (RGB) or 4 (RGBA): grey becomes RGB and grey with alpha RGBA.
    std::int32_t components = 0;
    std::unique_ptr<unsigned char[]> pixels;
};

// Decodes PNG or JPEG bytes (the format is recognised from the content), turns the rows upside
// down for GL and widens grey to RGB. False when the decoder rejects the bytes; `image` is then
// left as it was.
bool decodeImage(const unsigned char* bytes, std::size_t length, DecodedImage& image);
