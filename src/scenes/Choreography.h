#pragma once

#include "render/Matrix4.h"

#include <cstdint>

// The timed parts of the scenes, free of GL so they can be checked anywhere.

// Which of the eight text pages shows at a show time: a new page every four seconds.
std::int32_t textImageIndex(double time);

// Per cube: the model matrix and a matrix whose upper 3x3 block turns the normals with it.
struct CubeInstance {
    Matrix4 model;
    Matrix4 normalMatrix;
};

void cubeInstances(float time, CubeInstance (&instances)[2]);

// The camera: perspective, then a tilt applied to clip coordinates.
Matrix4 tunnelViewProjection(float aspect);

// A rectangle of render pixels with its origin at the lower left, as glScissor takes it.
struct PixelBox {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// Where the cubes' glow can land in a width x height render: the bounds of the cubes' projected
// corners grown by `reach` pixels on every side. False when no such box helps: a corner at or
// behind the camera plane, or a box that touches the render's edge (the blur textures wrap, so
// glow near one edge can also appear at the opposite one).
bool glowBounds(const Matrix4& viewProjection, const CubeInstance (&instances)[2], int width,
                int height, int reach, PixelBox& box);
