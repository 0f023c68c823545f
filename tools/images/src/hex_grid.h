#pragma once

namespace imagegen {

// Pointy-top hexagon lattice that tiles the unit square exactly: `columns` hexagons
// across u and 2 * `doubleRows` hexagon rows down v. Lengths are in units of the
// hexagon's circumradius; the lattice is squashed along u by columns * sqrt(3) /
// (3 * doubleRows), so choose the counts to keep that close to 1 (e.g. 7:4, 14:8).
struct HexCell {
    int column = 0;       // 0 .. columns - 1
    int row = 0;          // 0 .. 2 * doubleRows - 1
    int id = 0;           // row * columns + column
    float offsetX = 0.0f; // from the cell centre
    float offsetY = 0.0f;
    float edgeDistance = 0.0f; // 0 on the border, kHexInradius at the centre
    float normalX = 0.0f;      // outward normal of the nearest edge
    float normalY = 0.0f;
};

constexpr float kHexInradius = 0.8660254f;

class HexGrid {
  public:
    HexGrid(int columns, int doubleRows);

    int columns() const { return columns_; }
    int rows() const { return 2 * doubleRows_; }
    int cellCount() const { return columns_ * rows(); }

    // Any real (u, v); the lattice repeats with period 1 in both.
    HexCell at(float u, float v) const;

  private:
    int columns_;
    int doubleRows_;
};

} // namespace imagegen
