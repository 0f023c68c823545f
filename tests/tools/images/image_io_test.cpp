#include "image.h"

#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using imagegen::Rgb;
using imagegen::RgbImage;

namespace {

// A smooth, asymmetric test card: odd sizes catch stride and row-order mistakes.
RgbImage testCard(int width, int height) {
    std::vector<Rgb> linear(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            linear[static_cast<std::size_t>(y * width + x)] = {
                static_cast<float>(x) / width * 0.5f, static_cast<float>(y) / height * 0.5f,
                0.1f + 0.4f * static_cast<float>(x + y) / (width + height)};
        }
    }
    return imagegen::encodeImage(linear, width, height);
}

std::string tempPath(const char* name) {
    return (std::filesystem::temp_directory_path() / (std::string("images_tests_") + name))
        .string();
}

std::vector<unsigned char> readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Decoded {
    int width = 0;
    int height = 0;
    int components = 0;
    std::vector<unsigned char> pixels;
};

// Decodes the way the show's texture loader does: keep the file's own components.
Decoded decode(const std::string& path) {
    Decoded d;
    unsigned char* data = stbi_load(path.c_str(), &d.width, &d.height, &d.components, 0);
    if (data) {
        d.pixels.assign(data, data + d.width * d.height * d.components);
        stbi_image_free(data);
    }
    return d;
}

} // namespace

TEST(ImageIo, JpegDecodesAsThreeComponentsCloseToTheSource) {
    const RgbImage card = testCard(67, 45);
    const std::string path = tempPath("card.jpg");
    ASSERT_TRUE(imagegen::writeJpeg(path, card, 93));
    const Decoded d = decode(path);
    std::remove(path.c_str());
    ASSERT_EQ(d.components, 3);
    ASSERT_EQ(d.width, card.width);
    ASSERT_EQ(d.height, card.height);
    double error = 0.0;
    for (std::size_t i = 0; i < d.pixels.size(); ++i) {
        error += std::abs(static_cast<int>(d.pixels[i]) - static_cast<int>(card.pixels[i]));
    }
    EXPECT_LT(error / static_cast<double>(d.pixels.size()), 2.0);
}

TEST(ImageIo, PngRoundTripsExactlyAndIsReproducible) {
    const RgbImage card = testCard(31, 17);
    const std::string first = tempPath("card1.png");
    const std::string second = tempPath("card2.png");
    ASSERT_TRUE(imagegen::writePng(first, card));
    ASSERT_TRUE(imagegen::writePng(second, testCard(31, 17)));
    const Decoded d = decode(first);
    const std::vector<unsigned char> bytes1 = readAll(first);
    const std::vector<unsigned char> bytes2 = readAll(second);
    std::remove(first.c_str());
    std::remove(second.c_str());
    ASSERT_EQ(d.components, 3);
    EXPECT_EQ(d.pixels, card.pixels);
    EXPECT_FALSE(bytes1.empty());
    EXPECT_EQ(bytes1, bytes2);
}

TEST(ImageIo, WritingToAMissingDirectoryFails) {
    EXPECT_FALSE(imagegen::writeJpeg("/nonexistent-dir/x.jpg", testCard(4, 4), 90));
    EXPECT_FALSE(imagegen::writePng("/nonexistent-dir/x.png", testCard(4, 4)));
}
