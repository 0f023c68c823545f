#include "scenes/Choreography.h"

#include <algorithm>
#include <cmath>

std::int32_t textImageIndex(double time) {
    return static_cast<std::int32_t>(time * 0.25) % 8;
}

void cubeInstances(float t, CubeInstance (&instances)[2]) {
    instances[0].model = Matrix4().rotateX(2.5f * t).rotateY(4.0f * t).translate(1, 0, -5);
    instances[0].normalMatrix =
        Matrix4().translate(-1, 0, 5).rotateY(-4.0f * t).rotateX(-2.5f * t).transpose();
    instances[1].model = Matrix4().rotateX(2.0f * t).rotateZ(-3.5f * t).translate(-1, 0, -5);
    instances[1].normalMatrix =
        Matrix4().rotateZ(3.5f * t).rotateX(-2.0f * t).translate(1, 0, 5).transpose();
}

Matrix4 tunnelViewProjection(float aspect) {
    // 0x3FC90FF9, a hair over pi / 2, and a tilt of 0xBF10C35A radians.
    const float fieldOfView = 1.5708f;
    const float tilt = -0.5654808f;
    const Matrix4 projection = Matrix4().perspective(fieldOfView, aspect, 0.1f, 30.0f);
    const Matrix4 view = Matrix4().rotateX(tilt);
    return Matrix4::multiply(projection, view);
}

namespace {

// m * v for a column vector v, with m stored column by column.
void transformPoint(const Matrix4& m, const float (&v)[4], float (&out)[4]) {
    for (int row = 0; row < 4; ++row)
        out[row] = m[row] * v[0] + m[4 + row] * v[1] + m[8 + row] * v[2] + m[12 + row] * v[3];
}

} // namespace

bool glowBounds(const Matrix4& viewProjection, const CubeInstance (&instances)[2], int width,
                int height, int reach, PixelBox& box) {
    // With every corner in front of the camera, the projection of a cube lies inside the bounds
    // of its projected corners.
    float left = 1e30f, right = -1e30f, bottom = 1e30f, top = -1e30f;
    for (const CubeInstance& instance : instances)
        for (int corner = 0; corner < 8; ++corner) {
            const float local[4] = {corner & 1 ? 0.5f : -0.5f, corner & 2 ? 0.5f : -0.5f,
                                    corner & 4 ? 0.5f : -0.5f, 1.0f};
            float world[4], clip[4];
            transformPoint(instance.model, local, world);
            transformPoint(viewProjection, world, clip);
            if (!(clip[3] > 1e-6f))
                return false;
            const float x = (clip[0] / clip[3] + 1.0f) * 0.5f * static_cast<float>(width);
            const float y = (clip[1] / clip[3] + 1.0f) * 0.5f * static_cast<float>(height);
            left = std::min(left, x);
            right = std::max(right, x);
            bottom = std::min(bottom, y);
            top = std::max(top, y);
        }
    const float x0 = std::floor(left) - static_cast<float>(reach);
    const float y0 = std::floor(bottom) - static_cast<float>(reach);
    const float x1 = std::ceil(right) + static_cast<float>(reach);
    const float y1 = std::ceil(top) + static_cast<float>(reach);
    if (!(x0 > 0.0f && y0 > 0.0f && x1 < static_cast<float>(width) &&
          y1 < static_cast<float>(height)))
        return false;
    box.x = static_cast<int>(x0);
    box.y = static_cast<int>(y0);
    box.width = static_cast<int>(x1 - x0);
    box.height = static_cast<int>(y1 - y0);
    return true;
}
