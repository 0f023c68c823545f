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
