#include "image.h"

#include <stb_image_write.h>

namespace imagegen {

RgbImage encodeImage(const std::vector<Rgb>& linear, int width, int height) {
    RgbImage image;
    image.width = width;
    image.height = height;
    image.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::size_t index =
                static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                static_cast<std::size_t>(x);
            const Rgb& c = linear[index];
            const float channels[3] = {toneMap(c.r), toneMap(c.g), toneMap(c.b)};
            for (int k = 0; k < 3; ++k) {
                image.pixels[index * 3 + static_cast<std::size_t>(k)] = encodeSrgb(channels[k]);
            }
        }
    }
    return image;
}

bool writeJpeg(const std::string& path, const RgbImage& image, int quality) {
    // Above 90 stb keeps full-resolution chroma, which the thin coloured seams need.
    return stbi_write_jpg(path.c_str(), image.width, image.height, 3, image.pixels.data(),
                          quality) != 0;
}

bool writePng(const std::string& path, const RgbImage& image) {
    return stbi_write_png(path.c_str(), image.width, image.height, 3, image.pixels.data(),
                          image.width * 3) != 0;
}

} // namespace imagegen
