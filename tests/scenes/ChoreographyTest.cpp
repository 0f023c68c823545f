#include "scenes/Choreography.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// Upper-left 3x3 block of a (column-major) matrix, row r, column c.
float block(const Matrix4& m, int r, int c) {
    return m[c * 4 + r];
}

} // namespace

TEST(TextImageIndex, ANewPageEveryFourSecondsAndEachOnce) {
    EXPECT_EQ(textImageIndex(0.0), 0);
    EXPECT_EQ(textImageIndex(3.99), 0);
    EXPECT_EQ(textImageIndex(4.0), 1);
    EXPECT_EQ(textImageIndex(29.99), 7);
    EXPECT_EQ(textImageIndex(32.0), 0) << "wraps after eight pages";
}

TEST(CubeInstances, AtTimeZeroTheCubesArePureTranslations) {
    CubeInstance instances[2];
    cubeInstances(0.0f, instances);
    const float x[2] = {1.0f, -1.0f};
    for (int i = 0; i < 2; ++i) {
        Matrix4 expected = Matrix4().translate(x[i], 0, -5);
        Matrix4 expectedNormal = Matrix4().translate(-x[i], 0, 5).transpose();
        for (int e = 0; e < 16; ++e) {
            EXPECT_FLOAT_EQ(instances[i].model[e], expected[e]) << "cube " << i << " element " << e;
            EXPECT_FLOAT_EQ(instances[i].normalMatrix[e], expectedNormal[e]);
        }
    }
}

TEST(CubeInstances, NormalMatricesTurnNormalsLikeTheModel) {
    for (float t : {0.37f, 2.0f, 31.5f}) {
        CubeInstance instances[2];
        cubeInstances(t, instances);
        for (int i = 0; i < 2; ++i)
            for (int r = 0; r < 3; ++r)
                for (int c = 0; c < 3; ++c)
                    EXPECT_NEAR(block(instances[i].normalMatrix, r, c),
                                block(instances[i].model, r, c), 1e-5f)
                        << "t " << t << " cube " << i;
        // Cube 0's normal matrix is the full inverse-transpose: its transpose times the model
        // is the identity.
        Matrix4 inverse = instances[0].normalMatrix;
        inverse.transpose();
        const Matrix4 product = Matrix4::multiply(instances[0].model, inverse);
        for (int e = 0; e < 16; ++e)
            EXPECT_NEAR(product[e], e % 5 == 0 ? 1.0f : 0.0f, 1e-4f) << "t " << t;
    }
}

namespace {

struct Clip {
    float x, y, z, w;
};

// m applied to the point (x, y, z, 1).
Clip transform(const Matrix4& m, float x, float y, float z) {
    return {m[0] * x + m[4] * y + m[8] * z + m[12], m[1] * x + m[5] * y + m[9] * z + m[13],
            m[2] * x + m[6] * y + m[10] * z + m[14], m[3] * x + m[7] * y + m[11] * z + m[15]};
}

void expectClip(const Clip& got, const Clip& expected) {
    EXPECT_NEAR(got.x, expected.x, 1e-4f);
    EXPECT_NEAR(got.y, expected.y, 1e-4f);
    EXPECT_NEAR(got.z, expected.z, 1e-4f);
    EXPECT_NEAR(got.w, expected.w, 1e-4f);
}

} // namespace

// The projection first (field of view 1.5708, 16:9, near 0.1, far 30), then the clip coordinates
// tilted by -0.5654808 rad about x: y' = c y - s z, z' = s y + c z. The values were computed
// from those constants apart from Matrix4, so a swapped product, a missing tilt or one of the
// other sign all land elsewhere: without the tilt y would be 0, tilted first it would be
// negative, and with the other sign too.
TEST(TunnelCamera, PutsKnownPointsAtKnownClipCoordinates) {
    const Matrix4 viewProjection = tunnelViewProjection(16.0f / 9.0f);
    expectClip(transform(viewProjection, 0, 0, -5), {0.0f, 2.589507f, 4.080463f, 5.0f});
    expectClip(transform(viewProjection, 0, 1, -5), {0.0f, 3.433835f, 3.544643f, 5.0f});
    expectClip(transform(viewProjection, 2, -1, -10), {1.124996f, 4.442209f, 8.866177f, 10.0f});

    // The cubes' centres, 1 right and left of the axis 5 ahead, lie inside the view.
    CubeInstance instances[2];
    cubeInstances(5.0f, instances);
    const float x[2] = {0.562498f, -0.562498f};
    for (int i = 0; i < 2; ++i) {
        const Clip centre =
            transform(Matrix4::multiply(instances[i].model, viewProjection), 0, 0, 0);
        expectClip(centre, {x[i], 2.589507f, 4.080463f, 5.0f});
        EXPECT_LT(std::fabs(centre.x), centre.w);
        EXPECT_LT(std::fabs(centre.y), centre.w);
        EXPECT_LT(std::fabs(centre.z), centre.w);
    }
}

namespace {

// Where a point of cube `cube` lands in a width x height render, as the rasterizer puts it.
void project(const Matrix4& viewProjection, const CubeInstance& cube, float x, float y, float z,
             int width, int height, float& px, float& py) {
    const Matrix4 m = Matrix4::multiply(Matrix4().translate(x, y, z),
                                        Matrix4::multiply(cube.model, viewProjection));
    px = (m[12] / m[15] + 1.0f) * 0.5f * static_cast<float>(width);
    py = (m[13] / m[15] + 1.0f) * 0.5f * static_cast<float>(height);
}

} // namespace

TEST(GlowBounds, HoldEveryPointOfBothCubesWithTheReachToSpare) {
    const Matrix4 viewProjection = tunnelViewProjection(16.0f / 9.0f);
    const int reach = 48;
    for (float t : {0.0f, 3.0f, 7.3f, 31.0f, 47.9f}) {
        CubeInstance instances[2];
        cubeInstances(t, instances);
        PixelBox box;
        ASSERT_TRUE(glowBounds(viewProjection, instances, 1280, 720, reach, box)) << "t " << t;
        // Glow around two small cubes, not the whole frame: otherwise the box saves nothing.
        EXPECT_LT(box.width * box.height, 1280 * 720 / 3) << "t " << t;
        // Points all over the surfaces and inside, not only the corners the box is made from.
        for (int i = 0; i < 2; ++i)
            for (float x = -0.5f; x <= 0.5f; x += 0.125f)
                for (float y = -0.5f; y <= 0.5f; y += 0.125f)
                    for (float z = -0.5f; z <= 0.5f; z += 0.125f) {
                        float px, py;
                        project(viewProjection, instances[i], x, y, z, 1280, 720, px, py);
                        EXPECT_GE(px, static_cast<float>(box.x + reach)) << "t " << t;
                        EXPECT_LE(px, static_cast<float>(box.x + box.width - reach));
                        EXPECT_GE(py, static_cast<float>(box.y + reach)) << "t " << t;
                        EXPECT_LE(py, static_cast<float>(box.y + box.height - reach));
                    }
    }
}

TEST(GlowBounds, NoBoxWhenTheGlowReachesAnEdgeOrACubeIsBehindTheCamera) {
    const Matrix4 viewProjection = tunnelViewProjection(16.0f / 9.0f);
    CubeInstance instances[2];
    cubeInstances(3.0f, instances);
    PixelBox box;
    ASSERT_TRUE(glowBounds(viewProjection, instances, 1280, 720, 48, box));
    // The same cubes moved towards each edge in turn: the blur wraps at the edges, so a box that
    // touches one could cut glow carried across to the other side.
    const float shifts[4][2] = {{-1.2f, 0.0f}, {1.2f, 0.0f}, {0.0f, -1.6f}, {0.0f, 1.6f}};
    for (const auto& shift : shifts) {
        const Matrix4 moved =
            Matrix4::multiply(viewProjection, Matrix4().translate(shift[0], shift[1], 0));
        EXPECT_FALSE(glowBounds(moved, instances, 1280, 720, 48, box))
            << "shifted by " << shift[0] << ", " << shift[1];
    }
    // Behind the camera the corners would project mirrored into the middle of the frame.
    instances[1].model = Matrix4().translate(1, 0, 5);
    EXPECT_FALSE(glowBounds(viewProjection, instances, 1280, 720, 48, box));
}
