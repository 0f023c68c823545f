#pragma once

#include "color.h"

#include <vector>

namespace imagegen {

struct LinearImage {
    int width = 0;
    int height = 0;
    std::vector<Rgb> pixels;
};

// Tunnel wall: hexagonal plating with glowing seams. Periodic in u and v.
Rgb tunnelWallAt(float u, float v);
// Second tunnel layer: nebula haze crossed by light streaks running along v.
// Periodic in u and v.
Rgb tunnelEnergyAt(float u, float v);
// Backdrop of the text pages: receding rings in a dark vignette. Not periodic;
// (u, v) span the page and `aspect` is its width over height.
Rgb textBackdropAt(float u, float v, float aspect);

// Samples at pixel centres, so column `width` would repeat column 0 exactly.
LinearImage renderTunnelWall(int size);
LinearImage renderTunnelEnergy(int size);
LinearImage renderTextBackdrop(int width, int height);

} // namespace imagegen
