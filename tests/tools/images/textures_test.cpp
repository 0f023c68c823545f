#include "image.h"
#include "textures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

using imagegen::LinearImage;
using imagegen::RgbImage;

namespace {

constexpr int kSize = 256;

RgbImage encode(const LinearImage& image) {
    return imagegen::encodeImage(image.pixels, image.width, image.height);
}

float luma(const RgbImage& image, int x, int y) {
    return 0.2126f * image.channel(x, y, 0) + 0.7152f * image.channel(x, y, 1) +
           0.0722f * image.channel(x, y, 2);
}

// Mean absolute difference between column a and column b (rows when `rows`).
double lineDifference(const RgbImage& image, int a, int b, bool rows) {
    double sum = 0.0;
    const int length = rows ? image.width : image.height;
    for (int i = 0; i < length; ++i) {
        for (int c = 0; c < 3; ++c) {
            const int pa = rows ? image.channel(i, a, c) : image.channel(a, i, c);
            const int pb = rows ? image.channel(i, b, c) : image.channel(b, i, c);
            sum += std::abs(pa - pb);
        }
    }
    return sum / (length * 3);
}

// The step across the wrap must be no larger than an average step between
// neighbours, or the seam shows as a line around and along the tunnel.
void expectNoVisibleSeam(const RgbImage& image) {
    for (bool rows : {false, true}) {
        const int n = rows ? image.height : image.width;
        double interior = 0.0;
        for (int i = 0; i + 1 < n; ++i) {
            interior += lineDifference(image, i, i + 1, rows);
        }
        interior /= n - 1;
        EXPECT_GT(interior, 0.5) << (rows ? "rows" : "columns");
        EXPECT_LT(lineDifference(image, n - 1, 0, rows), interior * 1.6)
            << (rows ? "rows" : "columns");
    }
}

// One pixel step past the last column (row) of the rendered texture must land
// exactly on the first: catches both non-periodic terms and a sampling grid that
// repeats the border line (which stutters once per turn when the texture scrolls).
void expectFirstLineContinuesLast(const LinearImage& image, imagegen::Rgb (*shader)(float, float)) {
    const int n = image.width;
    for (int i = 0; i < n; ++i) {
        const float along = (static_cast<float>(i) + 0.5f) / static_cast<float>(n);
        const float beyond = (static_cast<float>(n) + 0.5f) / static_cast<float>(n);
        const imagegen::Rgb pastRight = shader(beyond, along);
        const imagegen::Rgb& first = image.pixels[static_cast<std::size_t>(i * n)];
        ASSERT_NEAR(pastRight.r, first.r, 2e-3f) << "row " << i;
        ASSERT_NEAR(pastRight.b, first.b, 2e-3f) << "row " << i;
        const imagegen::Rgb pastBottom = shader(along, beyond);
        const imagegen::Rgb& top = image.pixels[static_cast<std::size_t>(i)];
        ASSERT_NEAR(pastBottom.g, top.g, 2e-3f) << "column " << i;
        ASSERT_NEAR(pastBottom.b, top.b, 2e-3f) << "column " << i;
    }
}

// No 1/8-of-the-texture block may be flat, and little may clip to white.
void expectDetailEverywhere(const RgbImage& image) {
    const int block = image.width / 8;
    for (int by = 0; by < 8; ++by) {
        for (int bx = 0; bx < 8; ++bx) {
            double sum = 0.0;
            double squares = 0.0;
            for (int y = by * block; y < (by + 1) * block; ++y) {
                for (int x = bx * block; x < (bx + 1) * block; ++x) {
                    const double l = luma(image, x, y);
                    sum += l;
                    squares += l * l;
                }
            }
            const double count = static_cast<double>(block) * block;
            const double mean = sum / count;
            EXPECT_GT(std::sqrt(squares / count - mean * mean), 4.0)
                << "flat block " << bx << "," << by;
        }
    }
    int clipped = 0;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            clipped += image.channel(x, y, 0) == 255 && image.channel(x, y, 1) == 255 &&
                       image.channel(x, y, 2) == 255;
        }
    }
    EXPECT_LT(clipped, image.width * image.height / 100);
}

// Deep blue darks with neon highlights: blue leads on average and the texture is
// mostly dark, so the shader has room to add layers and glow.
void expectNeonPalette(const RgbImage& image) {
    double channelSum[3] = {0.0, 0.0, 0.0};
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            for (int c = 0; c < 3; ++c) {
                channelSum[c] += image.channel(x, y, c);
            }
        }
    }
    const double count = static_cast<double>(image.width) * image.height;
    EXPECT_GT(channelSum[2], channelSum[0]);
    EXPECT_GT(channelSum[2], channelSum[1]);
    EXPECT_LT(channelSum[2] / count, 170.0);
    EXPECT_GT(channelSum[2] / count, 40.0);
}

} // namespace

TEST(TunnelTextures, ShadersArePeriodicInUAndV) {
    for (int i = 0; i < 300; ++i) {
        const float u = std::fmod(i * 0.6180339f, 1.0f);
        const float v = std::fmod(i * 0.7548776f, 1.0f);
        for (auto shader : {imagegen::tunnelWallAt, imagegen::tunnelEnergyAt}) {
            const imagegen::Rgb a = shader(u, v);
            const imagegen::Rgb b = shader(u + 1.0f, v + 1.0f);
            EXPECT_NEAR(a.r, b.r, 2e-3f);
            EXPECT_NEAR(a.g, b.g, 2e-3f);
            EXPECT_NEAR(a.b, b.b, 2e-3f);
        }
    }
}

TEST(TunnelTextures, WallIsSeamlessDetailedAndOnPalette) {
    const LinearImage linear = imagegen::renderTunnelWall(kSize);
    ASSERT_EQ(linear.width, kSize);
    ASSERT_EQ(linear.height, kSize);
    expectFirstLineContinuesLast(linear, imagegen::tunnelWallAt);
    const RgbImage wall = encode(linear);
    expectNoVisibleSeam(wall);
    expectDetailEverywhere(wall);
    expectNeonPalette(wall);
}

TEST(TunnelTextures, EnergyIsSeamlessDetailedAndOnPalette) {
    const LinearImage linear = imagegen::renderTunnelEnergy(kSize);
    ASSERT_EQ(linear.width, kSize);
    ASSERT_EQ(linear.height, kSize);
    expectFirstLineContinuesLast(linear, imagegen::tunnelEnergyAt);
    const RgbImage energy = encode(linear);
    expectNoVisibleSeam(energy);
    expectDetailEverywhere(energy);
    expectNeonPalette(energy);
}

TEST(TextBackdrop, IsDarkBehindTheTextButNotFlatBlack) {
    const RgbImage page = encode(imagegen::renderTextBackdrop(384, 256));
    std::vector<float> lumas;
    for (int y = 0; y < page.height; ++y) {
        for (int x = 0; x < page.width; ++x) {
            lumas.push_back(luma(page, x, y));
        }
    }
    std::sort(lumas.begin(), lumas.end());
    // The brightest ring must stay far below the text's near-white.
    EXPECT_LT(lumas.back(), 110.0f);
    EXPECT_GT(lumas[lumas.size() / 2], 6.0f);
    // Vignette: the centre is lighter than the corners.
    EXPECT_GT(luma(page, page.width / 2, page.height / 2), luma(page, 2, 2) + 5.0f);
    EXPECT_GT(luma(page, page.width / 2, page.height / 2),
              luma(page, page.width - 3, page.height - 3) + 5.0f);
}
