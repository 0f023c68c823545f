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

// The checks made before stb_image sees a byte: false for a JPEG with a Huffman table of more
// than 256 codes (which that version writes past its tables for), for a PNG chunk that claims
// more bytes than the file holds (it would reserve that much first), and for more bytes than
// the decoder takes.
bool decoderCanTake(const unsigned char* bytes, std::size_t length);

// Decodes PNG or JPEG bytes (the format is recognised from the content), turns the rows upside
// down for GL and widens grey to RGB. False when the decoder rejects the bytes; `image` is then
// left as it was.
bool decodeImage(const unsigned char* bytes, std::size_t length, DecodedImage& image);
