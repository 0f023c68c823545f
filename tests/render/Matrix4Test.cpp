#include "render/Matrix4.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

namespace {

using Vec4 = std::array<float, 4>;

// Column-vector product M * v with the storage convention element = column * 4 + row.
Vec4 transform(const Matrix4& m, const Vec4& v) {
    Vec4 out{};
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column)
            out[row] += m[column * 4 + row] * v[column];
    return out;
}

void expectPoint(const Vec4& actual, float x, float y, float z) {
    EXPECT_NEAR(actual[0], x, 1e-5f);
    EXPECT_NEAR(actual[1], y, 1e-5f);
    EXPECT_NEAR(actual[2], z, 1e-5f);
    EXPECT_NEAR(actual[3], 1.0f, 1e-6f);
}

const float halfPi = 1.57079637f;

} // namespace

TEST(Matrix4, TranslationSitsInTheLastColumn) {
    const Matrix4 m = Matrix4().translate(1, 0, -5);
    for (int i = 0; i < 16; ++i) {
        const float expected = i == 12 ? 1.0f : i == 14 ? -5.0f : (i % 5 == 0 ? 1.0f : 0.0f);
        EXPECT_EQ(m[i], expected) << "element " << i;
    }
}

TEST(Matrix4, RotationsTurnCounterClockwiseSeenFromThePositiveAxis) {
    expectPoint(transform(Matrix4().rotateZ(halfPi), {1, 0, 0, 1}), 0, 1, 0);
    expectPoint(transform(Matrix4().rotateX(halfPi), {0, 1, 0, 1}), 0, 0, 1);
    expectPoint(transform(Matrix4().rotateY(halfPi), {0, 0, 1, 1}), 1, 0, 0);
}

TEST(Matrix4, ChainedCallsApplyLeftToRight) {
    // Rotate about the origin, then move.
    expectPoint(transform(Matrix4().rotateZ(halfPi).translate(10, 0, 0), {1, 0, 0, 1}), 10, 1, 0);
    // Move, then rotate the moved point about the origin.
    expectPoint(transform(Matrix4().translate(10, 0, 0).rotateZ(halfPi), {1, 0, 0, 1}), 0, 11, 0);
}

TEST(Matrix4, MultiplyAppliesTheFirstOperandFirst) {
    const Matrix4 move = Matrix4().translate(0, 0, -3);
    const Matrix4 turn = Matrix4().rotateY(halfPi);
    const Matrix4 product = Matrix4::multiply(move, turn);
    const Matrix4 chained = Matrix4().translate(0, 0, -3).rotateY(halfPi);
    for (int i = 0; i < 16; ++i)
        EXPECT_FLOAT_EQ(product[i], chained[i]);
    expectPoint(transform(product, {0, 0, 0, 1}), -3, 0, 0);
}

TEST(Matrix4, PerspectiveMapsNearAndFarToTheDepthRange) {
    const Matrix4 p = Matrix4().perspective(1.5708f, 1.0f, 0.1f, 30.0f);
    EXPECT_EQ(p[11], -1.0f);
    EXPECT_EQ(p[15], 0.0f);
    EXPECT_NEAR(p[0], 0.999996f, 2e-6f);
    EXPECT_NEAR(p[5], 0.999996f, 2e-6f);
    for (float depth : {0.1f, 30.0f}) {
        const Vec4 clip = transform(p, {0, 0, -depth, 1});
        EXPECT_NEAR(clip[2] / clip[3], depth < 1 ? -1.0f : 1.0f, 1e-4f);
    }
    const Matrix4 wide = Matrix4().perspective(1.5708f, 16.0f / 9.0f, 0.1f, 30.0f);
    const float f = 1.0f / static_cast<float>(std::tan(static_cast<double>(0.7854f)));
    EXPECT_FLOAT_EQ(wide[0], f * 9.0f / 16.0f);
}

TEST(Matrix4, TransposeTwiceRestoresTheMatrix) {
    const Matrix4 m = Matrix4().rotateX(0.3f).rotateY(-1.2f).translate(4, 5, 6);
    Matrix4 t = m;
    t.transpose();
    EXPECT_EQ(t[1], m[4]);
    EXPECT_EQ(t[12], m[3]);
    EXPECT_EQ(t[14], m[11]);
    t.transpose();
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(t[i], m[i]);
}
