// Arbitrary bytes as an image file: the checks in front of stb_image must keep it inside its
// tables and buffers (the sanitizers watch the guards and the decoder alike), and an image that
// decodes must be whole.
#include "resources/ImageDecoder.h"

#include <cstdint>
#include <cstdlib>
#include <stb_image.h>

namespace {

void require(bool condition) {
    if (!condition)
        std::abort();
}

// Decoding a large image from a few bytes only costs time (the decoder fills it with what the
// missing data means); the checks do not depend on the size.
constexpr long long largestPixelCount = 1 << 20;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!decoderCanTake(data, size))
        return 0;
    int width = 0, height = 0, components = 0;
    if (stbi_info_from_memory(data, static_cast<int>(size), &width, &height, &components) &&
        static_cast<long long>(width) * height > largestPixelCount)
        return 0;

    DecodedImage image;
    if (!decodeImage(data, size, image))
        return 0;
    require(image.width > 0 && image.height > 0);
    require(image.components == 3 || image.components == 4);
    require(image.pixels != nullptr);
    // Every byte is read: a buffer shorter than the image shows up here.
    const std::size_t bytes = static_cast<std::size_t>(image.width) *
                              static_cast<std::size_t>(image.height) *
                              static_cast<std::size_t>(image.components);
    unsigned sum = 0;
    for (std::size_t i = 0; i < bytes; ++i)
        sum += image.pixels[i];
    volatile unsigned sink = sum;
    (void)sink;
    return 0;
}
