#include "scenes/Choreography.h"

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
