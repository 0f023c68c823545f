#include "hex_grid.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using imagegen::HexCell;
using imagegen::HexGrid;
using imagegen::kHexInradius;

TEST(HexGrid, CellsTileTheSquareWithEqualAreas) {
    const HexGrid grid(7, 4);
    const int samples = 560;
    std::vector<int> counts(static_cast<std::size_t>(grid.cellCount()), 0);
    for (int y = 0; y < samples; ++y) {
        for (int x = 0; x < samples; ++x) {
            const HexCell cell = grid.at((x + 0.5f) / samples, (y + 0.5f) / samples);
            ASSERT_GE(cell.id, 0);
            ASSERT_LT(cell.id, grid.cellCount());
            ASSERT_EQ(cell.id, cell.row * grid.columns() + cell.column);
            ++counts[static_cast<std::size_t>(cell.id)];
        }
    }
    const double expected = static_cast<double>(samples) * samples / grid.cellCount();
    for (int count : counts) {
        EXPECT_NEAR(count, expected, expected * 0.03);
    }
}

TEST(HexGrid, RepeatsWithPeriodOne) {
    const HexGrid grid(14, 8);
    for (int i = 0; i < 500; ++i) {
        const float u = std::fmod(i * 0.6180339f, 1.0f);
        const float v = std::fmod(i * 0.4142135f, 1.0f);
        const HexCell a = grid.at(u, v);
        const HexCell b = grid.at(u + 1.0f, v - 1.0f);
        const HexCell c = grid.at(u - 2.0f, v + 3.0f);
        EXPECT_EQ(a.id, b.id);
        EXPECT_EQ(a.id, c.id);
        EXPECT_NEAR(a.edgeDistance, b.edgeDistance, 1e-3f);
        EXPECT_NEAR(a.edgeDistance, c.edgeDistance, 1e-3f);
    }
}

TEST(HexGrid, EdgeDistanceIsZeroWhereCellsMeetAndPeaksInside) {
    const HexGrid grid(14, 8);
    const int samples = 800;
    const float step = 1.0f / samples;
    // One sample step in lattice units, along u; the largest jump in edge distance
    // that a correct neighbour can show.
    const float latticeStep = step * 14.0f * 1.7320508f;
    float deepest = 0.0f;
    for (int y = 0; y < samples; ++y) {
        for (int x = 0; x < samples; ++x) {
            const float u = x * step;
            const float v = y * step;
            const HexCell cell = grid.at(u, v);
            ASSERT_GE(cell.edgeDistance, -1e-4f);
            ASSERT_LE(cell.edgeDistance, kHexInradius + 1e-4f);
            deepest = std::fmax(deepest, cell.edgeDistance);
            const HexCell next = grid.at(u + step, v);
            if (next.id != cell.id) {
                EXPECT_LE(cell.edgeDistance + next.edgeDistance, latticeStep * 1.01f)
                    << "at u=" << u << " v=" << v;
            }
        }
    }
    EXPECT_GT(deepest, kHexInradius * 0.95f);
}

TEST(HexGrid, NormalPointsToTheNearestEdge) {
    // The wall's bevel shading depends on the normal: stepping along it must bring
    // the point closer to the border by the step length.
    const HexGrid grid(14, 8);
    const float periodX = 14.0f * 1.7320508f;
    const float periodY = 8.0f * 3.0f;
    const float step = 0.02f;
    for (int i = 0; i < 500; ++i) {
        const float u = std::fmod(i * 0.7548776f, 1.0f);
        const float v = std::fmod(i * 0.5698403f, 1.0f);
        const HexCell cell = grid.at(u, v);
        if (cell.edgeDistance < 2.0f * step || cell.edgeDistance > 0.7f) {
            continue; // too close to the border or to a corner of the distance field
        }
        const HexCell moved =
            grid.at(u + cell.normalX * step / periodX, v + cell.normalY * step / periodY);
        EXPECT_EQ(moved.id, cell.id);
        EXPECT_NEAR(cell.edgeDistance - moved.edgeDistance, step, 2e-3f);
        EXPECT_NEAR(std::hypot(cell.normalX, cell.normalY), 1.0f, 1e-4f);
    }
}
