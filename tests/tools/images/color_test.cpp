#include "color.h"

#include <gtest/gtest.h>

using imagegen::decodeSrgb;
using imagegen::encodeSrgb;
using imagegen::toneMap;

TEST(Srgb, EncodesReferencePoints) {
    EXPECT_EQ(encodeSrgb(0.0f), 0);
    EXPECT_EQ(encodeSrgb(1.0f), 255);
    // Linear mid grey is 0.7354 encoded.
    EXPECT_EQ(encodeSrgb(0.5f), 188);
    // Out-of-range light clamps instead of wrapping around the byte.
    EXPECT_EQ(encodeSrgb(-0.5f), 0);
    EXPECT_EQ(encodeSrgb(3.0f), 255);
}

TEST(Srgb, DecodeAndEncodeRoundTripEveryCode) {
    for (int code = 0; code < 256; ++code) {
        EXPECT_EQ(encodeSrgb(decodeSrgb(static_cast<std::uint8_t>(code))), code);
    }
}

TEST(ToneMap, KeepsDarksAndRollsOffHighlights) {
    EXPECT_FLOAT_EQ(toneMap(0.0f), 0.0f);
    EXPECT_FLOAT_EQ(toneMap(0.3f), 0.3f);
    EXPECT_FLOAT_EQ(toneMap(-1.0f), 0.0f);
    EXPECT_LT(toneMap(50.0f), 1.0f + 1e-6f);
    EXPECT_GT(toneMap(50.0f), 0.99f);
    float previous = toneMap(0.0f);
    for (int i = 1; i <= 400; ++i) {
        const float x = i * 0.01f;
        const float y = toneMap(x);
        EXPECT_GT(y, previous) << "at " << x;
        // No visible step anywhere, in particular at the knee.
        EXPECT_LT(y - previous, 0.0101f) << "at " << x;
        previous = y;
    }
}
