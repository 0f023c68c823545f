#include "yuv420.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <vector>

// Two 2x2 blocks whose chroma differs from that of any one of their pixels, so that a block
// sampled rather than averaged, rows left in GL's order or U and V swapped all show; five times
// across, so that both the runs of sixteen pixels and the pixels after them are converted.
TEST(Yuv420, GlRowsBecomeBt709LimitedRangePlanesTopDown) {
    using Pixels = std::initializer_list<std::vector<std::uint8_t>>;
    const std::vector<std::uint8_t> red = {255, 0, 0, 255}, white = {255, 255, 255, 255},
                                    green = {0, 255, 0, 255}, blue = {0, 0, 255, 0},
                                    black = {0, 0, 0, 255};
    const int repeats = 5, width = 4 * repeats;
    std::vector<std::uint8_t> rgba, expected;
    const auto append = [&](std::vector<std::uint8_t>& to, Pixels pattern) {
        for (int i = 0; i < repeats; ++i)
            for (const auto& part : pattern)
                to.insert(to.end(), part.begin(), part.end());
    };
    // GL's bottom row first: the picture's lower row.
    append(rgba, {black, black, blue, green});
    append(rgba, {red, white, green, blue});
    append(expected, {{63, 235, 173, 32}}); // Y, top row
    append(expected, {{16, 16, 32, 173}});
    append(expected, {{122, 141}}); // U
    append(expected, {{156, 72}});  // V

    std::vector<std::uint8_t> yuv(yuv420Bytes(width, 2));
    rgbaToYuv420(rgba.data(), width, 2, yuv.data());
    EXPECT_EQ(yuv, expected);
}
