// draw_brick_grid: which bricks a grid becomes, where, in which colour,
// and which studs and undersides they keep.
#include <SDL_opengl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "brick_probe.h"
#include "bricks/brick_grid.h"
#include "support/gl_test_context.h"

namespace {

struct Drawn {
    std::vector<FoundBrick> bricks;
    std::vector<FoundStud> studs;
    std::vector<Vec3> tubes;

    const FoundBrick* at(Vec3 centre) const {
        auto it = std::find_if(bricks.begin(), bricks.end(), [&](const FoundBrick& b) { return near(b.centre, centre); });
        return it == bricks.end() ? nullptr : &*it;
    }
    // Studs on and tubes under the brick of `width` centred at `centre`.
    int studs_on(Vec3 centre, double width) const {
        return static_cast<int>(std::count_if(studs.begin(), studs.end(), [&](const FoundStud& s) {
            return std::abs(s.centre.x - centre.x) < width / 2 && std::abs(s.centre.y - centre.y - 0.85) < 1e-3;
        }));
    }
    int tubes_under(Vec3 centre, double width) const {
        return static_cast<int>(std::count_if(tubes.begin(), tubes.end(), [&](const Vec3& t) {
            return std::abs(t.x - centre.x) < width / 2 && std::abs(t.y - centre.y) < 1e-2;
        }));
    }
};

Drawn draw_grid(const std::vector<int8_t>& cells, int columns, int rows, int layers) {
    const auto triangles = capture_triangles([&] { draw_brick_grid(4, cells.data(), columns, rows, layers); });
    return {find_bricks(triangles), find_studs(triangles), find_tubes(triangles)};
}

Vec3 cell_centre(int c, int r, int l, int columns, int rows, int layers) {
    return {1.0 - columns + 2.0 * c, 0.6 * (rows - 1) - 1.176 * r, layers - 1.0 - 2.0 * l};
}

}  // namespace

TEST(BrickGrid, SingleCellIsOneWhiteBrickWithStudsAndUndersideAtTheOrigin) {
    GlTestContext gl;
    ASSERT_GL_CONTEXT(gl);
    const Drawn d = draw_grid({3}, 1, 1, 1);
    ASSERT_EQ(d.bricks.size(), 1u);
    EXPECT_TRUE(near(d.bricks[0].centre, {0, 0, 0}));
    EXPECT_NEAR(d.bricks[0].width, 2, 1e-4);
    EXPECT_NEAR(d.bricks[0].depth, 2, 1e-4);
    EXPECT_EQ(d.bricks[0].colour, 3);
    EXPECT_EQ(d.studs.size(), 4u);
    EXPECT_EQ(d.tubes.size(), 1u);
}

TEST(BrickGrid, EqualNeighboursJoinGreedilyAndUnequalOnesNever) {
    GlTestContext gl;
    ASSERT_GL_CONTEXT(gl);
    const Drawn three = draw_grid({1, 1, 1}, 3, 1, 1);
    ASSERT_EQ(three.bricks.size(), 2u);
    ASSERT_NE(three.at({-1, 0, 0}), nullptr);
    ASSERT_NE(three.at({2, 0, 0}), nullptr);
    EXPECT_NEAR(three.at({-1, 0, 0})->width, 4, 1e-4);
    EXPECT_NEAR(three.at({2, 0, 0})->width, 2, 1e-4);
    EXPECT_EQ(three.at({-1, 0, 0})->colour, 1);

    const Drawn unequal = draw_grid({2, 3}, 2, 1, 1);
    ASSERT_EQ(unequal.bricks.size(), 2u);
    EXPECT_NEAR(unequal.bricks[0].width, 2, 1e-4);
}

TEST(BrickGrid, CellsSitAtTheirGridCentresInPaletteColours) {
    GlTestContext gl;
    ASSERT_GL_CONTEXT(gl);
    // 3 columns, 2 rows, 2 layers; no two row neighbours are equal.
    const std::vector<int8_t> cells = {1, 2, 1, 4, 5, 4, 3, 7, 3, 5, 2, 5};
    const Drawn d = draw_grid(cells, 3, 2, 2);
    ASSERT_EQ(d.bricks.size(), cells.size());
    for (int l = 0; l < 2; ++l)
        for (int r = 0; r < 2; ++r)
            for (int c = 0; c < 3; ++c) {
                const FoundBrick* b = d.at(cell_centre(c, r, l, 3, 2, 2));
                ASSERT_NE(b, nullptr) << c << " " << r << " " << l;
                const int value = cells[(l * 2 + r) * 3 + c];
                EXPECT_EQ(b->colour, value == 7 ? 6 : value) << c << " " << r << " " << l;  // 6 and 7 are black
            }
}

TEST(BrickGrid, CoveredStudsAndUndersidesAreLeftOut) {
    GlTestContext gl;
    ASSERT_GL_CONTEXT(gl);
    // Two full rows of different colours: a yellow pair on a red pair.
    const Drawn full = draw_grid({1, 1, 2, 2}, 2, 2, 1);
    const Vec3 top{0, 0.6, 0}, bottom{0, 0.6 - 1.176, 0};
    ASSERT_NE(full.at(top), nullptr);
    ASSERT_NE(full.at(bottom), nullptr);
    EXPECT_EQ(full.studs_on(top, 4), 8);
    EXPECT_EQ(full.tubes_under(top, 4), 0);
    EXPECT_EQ(full.studs_on(bottom, 4), 0);
    EXPECT_EQ(full.tubes_under(bottom, 4), 3);
    // One open cell above is enough for a pair to keep all its studs.
    const Drawn half = draw_grid({1, 0, 2, 2}, 2, 2, 1);
    EXPECT_EQ(half.studs_on(bottom, 4), 8);
    EXPECT_EQ(half.tubes_under({-1, 0.6, 0}, 2), 0);
    // Layers never cover each other.
    const Drawn layers = draw_grid({2, 3}, 1, 1, 2);
    EXPECT_EQ(layers.studs.size(), 8u);
    EXPECT_EQ(layers.tubes.size(), 2u);
}

TEST(BrickGrid, WalledInCentreOfAMixedBlockIsNotDrawn) {
    GlTestContext gl;
    ASSERT_GL_CONTEXT(gl);
    std::vector<int8_t> cells;
    for (int row = 0; row < 9; ++row) cells.insert(cells.end(), {1, 2, 1});
    const Drawn d = draw_grid(cells, 3, 3, 3);
    EXPECT_EQ(d.bricks.size(), 26u);
    EXPECT_EQ(d.at(cell_centre(1, 1, 1, 3, 3, 3)), nullptr);
}

// The hidden-cell test applies to the cell the walk is on, so the walled-in
// centre of an equal block is drawn as the right half of a pair.
TEST(BrickGrid, WalledInCentreOfAnEqualBlockIsDrawnInsideAPair) {
    GlTestContext gl;
    ASSERT_GL_CONTEXT(gl);
    const Drawn d = draw_grid(std::vector<int8_t>(27, 5), 3, 3, 3);
    EXPECT_EQ(d.bricks.size(), 18u);  // every row: a pair and a single
    const Vec3 centre = cell_centre(1, 1, 1, 3, 3, 3);
    const FoundBrick* pair = d.at({centre.x - 1, centre.y, centre.z});
    ASSERT_NE(pair, nullptr);
    EXPECT_NEAR(pair->width, 4, 1e-4);
}

// Four equal cells across: the walled-in third cell of the middle row is
// skipped before it could join the fourth, which stays a single.
TEST(BrickGrid, WalledInCellIsSkippedBeforeItCouldJoinItsRightNeighbour) {
    GlTestContext gl;
    ASSERT_GL_CONTEXT(gl);
    const Drawn d = draw_grid(std::vector<int8_t>(36, 2), 4, 3, 3);
    EXPECT_EQ(d.bricks.size(), 18u);  // two pairs in each of 8 rows, a pair and a single in the middle one
    const FoundBrick* single = d.at(cell_centre(3, 1, 1, 4, 3, 3));
    ASSERT_NE(single, nullptr);
    EXPECT_NEAR(single->width, 2, 1e-4);
}

TEST(BrickGrid, ValuesOutsideThePaletteCountAsEmpty) {
    GlTestContext gl;
    ASSERT_GL_CONTEXT(gl);
    for (int8_t bad : {int8_t{8}, int8_t{-1}, int8_t{127}, int8_t{-128}}) {
        EXPECT_TRUE(draw_grid({bad}, 1, 1, 1).bricks.empty()) << int{bad};
        // A brick above a bad cell keeps its underside.
        const Drawn above = draw_grid({3, bad}, 1, 2, 1);
        ASSERT_EQ(above.bricks.size(), 1u) << int{bad};
        EXPECT_EQ(above.tubes.size(), 1u) << int{bad};
        // Bad neighbours do not join.
        const Drawn beside = draw_grid({bad, bad, 2}, 3, 1, 1);
        ASSERT_EQ(beside.bricks.size(), 1u) << int{bad};
        EXPECT_NEAR(beside.bricks[0].width, 2, 1e-4);
    }
    const int8_t cell = 1;
    EXPECT_TRUE(capture_triangles([&] { draw_brick_grid(4, &cell, 0, 1, 1); }).empty());
    EXPECT_TRUE(capture_triangles([&] { draw_brick_grid(4, &cell, 1, 1, -1); }).empty());
}
