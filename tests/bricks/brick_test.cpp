// draw_brick and draw_brick_grid: what they emit on the real driver, and the
// culling switch they leave behind.
#include <SDL_opengl.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

#include "brick_probe.h"
#include "bricks/brick.h"
#include "bricks/brick_grid.h"
#include "support/feedback.h"

namespace {

using Brick = GlTest;
using BrickGrid = GlTest;

Probe grid(std::vector<int8_t> cells, int columns, int rows, int layers) {
    return probe([&] { draw_brick_grid(4, cells, columns, rows, layers); });
}

}  // namespace

TEST_F(Brick, FourFacetStudsStandOnTheStudGridWithCornersOnTheDiagonals) {
    const Probe p = probe([] { draw_brick(2, 2, 4, 0, 1, 1, 1); });
    ASSERT_EQ(p.studs.size(), 4u);
    for (const Probe::Stud& s : p.studs) {
        EXPECT_TRUE(near({std::abs(s.top.x), s.top.y, std::abs(s.top.z)}, {0.5, 0.85, 0.5}));
        ASSERT_EQ(s.corners.size(), 4u);
        for (Vec3 c : s.corners)  // the first at 45 degrees: 0.3 sin 45 off the axis in x and z
            EXPECT_TRUE(near({std::abs(c.x - s.top.x), c.y, std::abs(c.z - s.top.z)}, {0.3 * M_SQRT1_2, 0.85, 0.3 * M_SQRT1_2}));
    }
}

TEST_F(Brick, TubesStandOnlyAtInteriorGridPoints) {
    const auto two = probe([] { draw_brick(2, 2, 4, 6, 1, 1, 1); }).tubes;
    const auto four = probe([] { draw_brick(4, 2, 4, 6, 1, 1, 1); }).tubes;
    ASSERT_EQ(two.size(), 1u);
    EXPECT_TRUE(near(two[0], {0, 0, 0}));
    ASSERT_EQ(four.size(), 3u);
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(near(four[i], {i - 1.0, 0, 0})) << i;
}

// (How lists record it shows in the start-up lists' test.)
TEST_F(Brick, CullingEndsOnWithoutUndersideAndAsFoundWithOne) {
    EXPECT_TRUE(culling_after(false, [] { draw_brick(2, 2, 4, 0, 1, 1, 1); }));
    EXPECT_FALSE(culling_after(false, [] { draw_brick(2, 2, 4, 4, 1, 1, 1); }));
    EXPECT_TRUE(culling_after(true, [] { draw_brick(2, 2, 4, 4, 1, 1, 1); }));
}

TEST_F(Brick, InvalidSizesAndSegmentCountsDrawNothingAndLeaveCullingAlone) {
    glDisable(GL_CULL_FACE);
    // Width, depth, segments, underside segments.
    for (const auto& b : {std::array{0, 2, 4, 4}, {2, -1, 4, 0}, {2, 2, -1, 4}, {2, 2, 4, -6}})
        EXPECT_TRUE(capture_polygons([&] { draw_brick(b[0], b[1], b[2], b[3], 1, 0, 0); }).empty())
            << b[0] << " " << b[1] << " " << b[2] << " " << b[3];
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
}

TEST_F(BrickGrid, CellsBecomeBricksJoinedGreedilyAmongEqualNeighbours) {
    const Probe one = grid({3}, 1, 1, 1), row = grid({1, 1, 1}, 3, 1, 1);
    ASSERT_EQ(one.bricks.size(), 1u);
    EXPECT_EQ(one.width_at({0, 0, 0}), 2);
    EXPECT_EQ(one.bricks[0].colour, 3);
    EXPECT_EQ(one.studs.size(), 4u);
    EXPECT_EQ(one.tubes.size(), 1u);
    ASSERT_EQ(row.bricks.size(), 2u);
    EXPECT_EQ(row.width_at({-1, 0, 0}), 4);
    EXPECT_EQ(row.width_at({2, 0, 0}), 2);
    EXPECT_EQ(row.bricks[0].colour, 1);
    EXPECT_EQ(grid({2, 3}, 2, 1, 1).bricks.size(), 2u);
}

TEST_F(BrickGrid, CoveredStudsAndUndersidesAreLeftOut) {
    // A red pair (centred at y = 0.6) on a yellow pair (y = -0.576): studs on
    // top only, tubes under the bottom only.
    const Probe pairs = grid({2, 2, 1, 1}, 2, 2, 1);
    ASSERT_EQ(pairs.studs.size(), 8u);
    EXPECT_NEAR(pairs.studs[0].top.y, 0.6 + 0.85, 1e-3);
    ASSERT_EQ(pairs.tubes.size(), 3u);
    EXPECT_NEAR(pairs.tubes[0].y, -0.576, 1e-3);
    // One open cell above is enough for the lower pair to keep all 8 studs;
    // the single on top of it has no underside.
    const Probe half = grid({2, 0, 1, 1}, 2, 2, 1);
    EXPECT_EQ(half.studs.size(), 4u + 8u);
    EXPECT_EQ(half.tubes.size(), 3u);
}

// Cell (c, r, l) is centred at x = 1 - columns + 2c, y = 0.6 (rows - 1) -
// 1.176 r, z = layers - 1 - 2l: the centre cells of these blocks at y = 0.024.
TEST_F(BrickGrid, WalledInCellsAreSkippedBeforeTheyCouldJoin) {
    std::vector<int8_t> mixed;
    for (int row = 0; row < 9; ++row) mixed.insert(mixed.end(), {1, 2, 1});
    const Probe m = grid(mixed, 3, 3, 3);
    EXPECT_EQ(m.bricks.size(), 26u);
    EXPECT_EQ(m.width_at({0, 0.024, 0}), 0);
    // Equal cells: the centre is the right half of the pair its row starts with.
    const Probe equal = grid(std::vector<int8_t>(27, 5), 3, 3, 3);
    EXPECT_EQ(equal.bricks.size(), 18u);
    EXPECT_EQ(equal.width_at({-1, 0.024, 0}), 4);
    // Four across: the walled-in third cell of the middle row is skipped
    // before it could join the fourth, which stays single.
    const Probe four = grid(std::vector<int8_t>(36, 2), 4, 3, 3);
    EXPECT_EQ(four.bricks.size(), 18u);
    EXPECT_EQ(four.width_at({3, 0.024, 0}), 2);
}

TEST_F(BrickGrid, ValuesOutsideThePaletteAreEmptyCells) {
    for (int8_t bad : {8, -1, 127, -128}) {
        const Probe p = grid({3, bad}, 1, 2, 1);  // a white cell on top of the bad one
        EXPECT_EQ(p.bricks.size(), 1u) << int{bad};
        EXPECT_EQ(p.tubes.size(), 1u) << int{bad};  // not covered by it
    }
}

// The grid's length travels with it: a shape that needs more cells than it
// has draws nothing rather than reading on. A C array passes as it is, as
// the closing wall passes its 9 x 11 cells.
TEST_F(BrickGrid, AShapeLargerThanItsGridDrawsNothing) {
    static int8_t wall_cells[99];
    std::fill(std::begin(wall_cells), std::end(wall_cells), int8_t{2});
    EXPECT_EQ(probe([] { draw_brick_grid(4, wall_cells, 9, 11, 1); }).bricks.size(), 55u);  // 4 pairs and a single a row
    EXPECT_EQ(probe([] { draw_brick_grid(4, wall_cells, 9, 12, 1); }).bricks.size(), 0u);
    EXPECT_EQ(grid({1, 1, 1}, 2, 2, 1).bricks.size(), 0u);
    EXPECT_EQ(grid({1, 1, 1, 1}, 1, 2, 3).bricks.size(), 0u);
    EXPECT_EQ(grid({1}, 65536, 65536, 2).bricks.size(), 0u);  // 2^33 cells: no overflow into "fits"
}
