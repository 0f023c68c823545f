// The frames of a video as the encoder takes them: yuv420p, converted here rather than by the
// encoder, which would spend several times the CPU on it and guess the colour matrix.
#pragma once

#include <cstddef>
#include <cstdint>

// Bytes of a yuv420p picture: the Y plane, then the quarter-size U and V planes.
inline std::size_t yuv420Bytes(int width, int height) {
    return std::size_t(width) * height * 3 / 2;
}

// Converts an RGBA picture whose rows run bottom-up, as OpenGL reads them, into yuv420p with rows
// top-down: BT.709, limited range, each chroma sample the mean of its 2x2 block. Width and height
// are even; alpha is ignored.
void rgbaToYuv420(const std::uint8_t* rgba, int width, int height, std::uint8_t* yuv);
