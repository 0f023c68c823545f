#include "hex_grid.h"

#include "periodic_noise.h"

#include <cmath>

namespace imagegen {

namespace {

constexpr float kSqrt3 = 1.7320508f;

} // namespace

HexGrid::HexGrid(int columns, int doubleRows) : columns_(columns), doubleRows_(doubleRows) {}

HexCell HexGrid::at(float u, float v) const {
    // Lattice space: centres of even rows at (sqrt3 * i, 3 * j), odd rows shifted by
    // half a column and half a double row. Their union is the triangular lattice
    // whose Voronoi cells are the hexagons, so the nearer of the two candidates wins.
    const float periodX = static_cast<float>(columns_) * kSqrt3;
    const float periodY = static_cast<float>(doubleRows_) * 3.0f;
    const float x = (u - std::floor(u)) * periodX;
    const float y = (v - std::floor(v)) * periodY;

    const float ia = std::round(x / kSqrt3);
    const float ja = std::round(y / 3.0f);
    const float ax = x - ia * kSqrt3;
    const float ay = y - ja * 3.0f;

    const float ib = std::round(x / kSqrt3 - 0.5f);
    const float jb = std::round(y / 3.0f - 0.5f);
    const float bx = x - (ib + 0.5f) * kSqrt3;
    const float by = y - (jb + 0.5f) * 3.0f;

    HexCell cell;
    if (ax * ax + ay * ay <= bx * bx + by * by) {
        cell.column = wrapIndex(static_cast<int>(ia), columns_);
        cell.row = 2 * wrapIndex(static_cast<int>(ja), doubleRows_);
        cell.offsetX = ax;
        cell.offsetY = ay;
    } else {
        cell.column = wrapIndex(static_cast<int>(ib), columns_);
        cell.row = 2 * wrapIndex(static_cast<int>(jb), doubleRows_) + 1;
        cell.offsetX = bx;
        cell.offsetY = by;
    }
    cell.id = cell.row * columns_ + cell.column;

    // Edge normals of a pointy-top hexagon lie at 0, 60 and 120 degrees.
    const float px = cell.offsetX;
    const float py = cell.offsetY;
    const float d0 = px;
    const float d1 = 0.5f * px + 0.8660254f * py;
    const float d2 = -0.5f * px + 0.8660254f * py;
    float extent = std::fabs(d0);
    cell.normalX = d0 >= 0.0f ? 1.0f : -1.0f;
    cell.normalY = 0.0f;
    if (std::fabs(d1) > extent) {
        extent = std::fabs(d1);
        cell.normalX = d1 >= 0.0f ? 0.5f : -0.5f;
        cell.normalY = d1 >= 0.0f ? 0.8660254f : -0.8660254f;
    }
    if (std::fabs(d2) > extent) {
        extent = std::fabs(d2);
        cell.normalX = d2 >= 0.0f ? -0.5f : 0.5f;
        cell.normalY = d2 >= 0.0f ? 0.8660254f : -0.8660254f;
    }
    cell.edgeDistance = kHexInradius - extent;
    return cell;
}

} // namespace imagegen
