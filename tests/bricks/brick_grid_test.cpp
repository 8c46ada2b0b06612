// draw_brick_grid and the palette: which bricks a grid becomes, where, in
// which colour, and which studs and undersides they keep.
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
};

Drawn draw_grid(const std::vector<int8_t>& cells, int columns, int rows, int layers, int segments = 4) {
    const auto triangles =
        capture_triangles([&] { draw_brick_grid(segments, cells.data(), columns, rows, layers); });
    return {find_bricks(triangles), find_studs(triangles), find_tubes(triangles)};
}

// Centre of cell (c, r, l).
Vec3 cell_centre(int c, int r, int l, int columns, int rows, int layers) {
    return {1.0 - columns + 2.0 * c, 0.6 * (rows - 1) - 1.176 * r, layers - 1.0 - 2.0 * l};
}

const FoundBrick* brick_at(const std::vector<FoundBrick>& bricks, Vec3 centre) {
    auto it = std::find_if(bricks.begin(), bricks.end(), [&](const FoundBrick& b) { return near(b.centre, centre); });
    return it == bricks.end() ? nullptr : &*it;
}

// Studs and tubes that belong to the brick centred at `centre` (within its
// footprint, above or below it).
int studs_on(const Drawn& d, Vec3 centre, double width) {
    return static_cast<int>(std::count_if(d.studs.begin(), d.studs.end(), [&](const FoundStud& s) {
        return std::abs(s.centre.x - centre.x) < width / 2 && std::abs(s.centre.y - (centre.y + 0.85)) < 1e-3;
    }));
}
int tubes_under(const Drawn& d, Vec3 centre, double width) {
    return static_cast<int>(std::count_if(d.tubes.begin(), d.tubes.end(), [&](const Vec3& t) {
        return std::abs(t.x - centre.x) < width / 2 && std::abs(t.y - centre.y) < 1e-2;
    }));
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

TEST(BrickGrid, RunOfThreeEqualCellsIsAPairThenASingle) {
    GlTestContext gl;
    ASSERT_GL_CONTEXT(gl);
    const Drawn d = draw_grid({1, 1, 1}, 3, 1, 1);
    ASSERT_EQ(d.bricks.size(), 2u);
    const FoundBrick* pair = brick_at(d.bricks, {-1, 0, 0});
    const FoundBrick* single = brick_at(d.bricks, {2, 0, 0});
    ASSERT_NE(pair, nullptr);
    ASSERT_NE(single, nullptr);
    EXPECT_NEAR(pair->width, 4, 1e-4);
    EXPECT_NEAR(single->width, 2, 1e-4);
    EXPECT_EQ(pair->colour, 1);
    EXPECT_EQ(single->colour, 1);
    EXPECT_EQ(d.tubes.size(), 4u);  // three under the pair, one under the single
}

TEST(BrickGrid, RunOfFourIsTwoPairsAndUnequalNeighboursNeverJoin) {
    GlTestContext gl;
    ASSERT_GL_CONTEXT(gl);
    const Drawn four = draw_grid({5, 5, 5, 5}, 4, 1, 1);
    ASSERT_EQ(four.bricks.size(), 2u);
    EXPECT_NE(brick_at(four.bricks, {-2, 0, 0}), nullptr);
    EXPECT_NE(brick_at(four.bricks, {2, 0, 0}), nullptr);

    const Drawn unequal = draw_grid({2, 3}, 2, 1, 1);
    ASSERT_EQ(unequal.bricks.size(), 2u);
    const FoundBrick* red = brick_at(unequal.bricks, {-1, 0, 0});
    const FoundBrick* white = brick_at(unequal.bricks, {1, 0, 0});
    ASSERT_NE(red, nullptr);
    ASSERT_NE(white, nullptr);
    EXPECT_EQ(red->colour, 2);
    EXPECT_EQ(white->colour, 3);
    EXPECT_NEAR(red->width, 2, 1e-4);
}

TEST(BrickGrid, CellsSitAtTheirGridCentresInPaletteColours) {
    GlTestContext gl;
    ASSERT_GL_CONTEXT(gl);
    // 3 columns, 2 rows, 2 layers; every row neighbour differs, so nothing
    // joins.
    const std::vector<int8_t> cells = {1, 2, 1, 4, 5, 4, 3, 7, 3, 5, 2, 5};
    const Drawn d = draw_grid(cells, 3, 2, 2);
    ASSERT_EQ(d.bricks.size(), cells.size());
    for (int l = 0; l < 2; ++l)
        for (int r = 0; r < 2; ++r)
            for (int c = 0; c < 3; ++c) {
                const FoundBrick* b = brick_at(d.bricks, cell_centre(c, r, l, 3, 2, 2));
                ASSERT_NE(b, nullptr) << c << " " << r << " " << l;
                const int value = cells[(l * 2 + r) * 3 + c];
                EXPECT_EQ(b->colour, value == 7 ? 6 : value) << c << " " << r << " " << l;  // 7 is black
            }
}

TEST(BrickGrid, BricksBetweenFullRowsLoseCoveredStudsAndUndersides) {
    GlTestContext gl;
    ASSERT_GL_CONTEXT(gl);
    // Two full rows of different colours: a yellow pair over a red pair.
    const Drawn d = draw_grid({1, 1, 2, 2}, 2, 2, 1);
    ASSERT_EQ(d.bricks.size(), 2u);
    const Vec3 top{0, 0.6, 0}, bottom{0, 0.6 - 1.176, 0};
    ASSERT_NE(brick_at(d.bricks, top), nullptr);
    ASSERT_NE(brick_at(d.bricks, bottom), nullptr);
    EXPECT_EQ(studs_on(d, top, 4), 8);
    EXPECT_EQ(tubes_under(d, top, 4), 0);
    EXPECT_EQ(studs_on(d, bottom, 4), 0);
    EXPECT_EQ(tubes_under(d, bottom, 4), 3);
}

TEST(BrickGrid, PairWithOneOpenCellAboveKeepsAllItsStuds) {
    GlTestContext gl;
    ASSERT_GL_CONTEXT(gl);
    const Drawn d = draw_grid({1, 0, 2, 2}, 2, 2, 1);
    const Vec3 pair{0, 0.6 - 1.176, 0};
    ASSERT_NE(brick_at(d.bricks, pair), nullptr);
    EXPECT_EQ(studs_on(d, pair, 4), 8);
    // The single above rests on it: no underside.
    EXPECT_EQ(tubes_under(d, {-1, 0.6, 0}, 2), 0);
}

TEST(BrickGrid, StackedSinglesShowStudsOnlyOnTopAndUndersideOnlyAtTheBottom) {
    GlTestContext gl;
    ASSERT_GL_CONTEXT(gl);
    const Drawn d = draw_grid({4, 4, 4}, 1, 3, 1);
    ASSERT_EQ(d.bricks.size(), 3u);
    const Vec3 top = cell_centre(0, 0, 0, 1, 3, 1), middle = cell_centre(0, 1, 0, 1, 3, 1),
               bottom = cell_centre(0, 2, 0, 1, 3, 1);
    EXPECT_EQ(studs_on(d, top, 2), 4);
    EXPECT_EQ(studs_on(d, middle, 2), 0);
    EXPECT_EQ(studs_on(d, bottom, 2), 0);
    EXPECT_EQ(tubes_under(d, top, 2), 0);
    EXPECT_EQ(tubes_under(d, middle, 2), 0);
    EXPECT_EQ(tubes_under(d, bottom, 2), 1);
    EXPECT_EQ(d.bricks[0].colour, 4);
}

TEST(BrickGrid, FrontAndBackLayersNeverCoverStuds) {
    GlTestContext gl;
    ASSERT_GL_CONTEXT(gl);
    const Drawn d = draw_grid({2, 3}, 1, 1, 2);
    ASSERT_EQ(d.bricks.size(), 2u);
    EXPECT_NE(brick_at(d.bricks, {0, 0, 1}), nullptr);
    EXPECT_NE(brick_at(d.bricks, {0, 0, -1}), nullptr);
    EXPECT_EQ(d.studs.size(), 8u);
    EXPECT_EQ(d.tubes.size(), 2u);
}

TEST(BrickGrid, WalledInCentreOfAMixedBlockIsNotDrawn) {
    GlTestContext gl;
    ASSERT_GL_CONTEXT(gl);
    std::vector<int8_t> cells;
    for (int row = 0; row < 9; ++row) cells.insert(cells.end(), {1, 2, 1});
    const Drawn d = draw_grid(cells, 3, 3, 3);
    EXPECT_EQ(d.bricks.size(), 26u);
    EXPECT_EQ(brick_at(d.bricks, cell_centre(1, 1, 1, 3, 3, 3)), nullptr);
    for (const FoundBrick& b : d.bricks) EXPECT_NEAR(b.width, 2, 1e-4);
}

// The hidden-cell test applies to the cell the walk is on; the walled-in
// centre of an equal block is the right half of the pair from its left.
TEST(BrickGrid, WalledInCentreOfAnEqualBlockIsDrawnInsideAPair) {
    GlTestContext gl;
    ASSERT_GL_CONTEXT(gl);
    const Drawn d = draw_grid(std::vector<int8_t>(27, 5), 3, 3, 3);
    EXPECT_EQ(d.bricks.size(), 18u);  // every row: a pair and a single
    const Vec3 centre = cell_centre(1, 1, 1, 3, 3, 3);
    const FoundBrick* pair = brick_at(d.bricks, {centre.x - 1, centre.y, centre.z});
    ASSERT_NE(pair, nullptr);
    EXPECT_NEAR(pair->width, 4, 1e-4);
}

// Four equal cells across: the walled-in third cell of the middle row is
// skipped before it could join the fourth, which stays a single.
TEST(BrickGrid, WalledInCellIsSkippedBeforeItCouldJoinItsRightNeighbour) {
    GlTestContext gl;
    ASSERT_GL_CONTEXT(gl);
    const Drawn d = draw_grid(std::vector<int8_t>(36, 2), 4, 3, 3);
    const Vec3 third = cell_centre(2, 1, 1, 4, 3, 3);
    const Vec3 fourth = cell_centre(3, 1, 1, 4, 3, 3);
    EXPECT_EQ(brick_at(d.bricks, {third.x + 1, third.y, third.z}), nullptr) << "no pair of the third and fourth";
    const FoundBrick* single = brick_at(d.bricks, fourth);
    ASSERT_NE(single, nullptr);
    EXPECT_NEAR(single->width, 2, 1e-4);
    EXPECT_EQ(d.bricks.size(), 18u);  // two pairs in each of 8 rows, a pair and a single in the middle one
}

TEST(BrickGrid, ValuesOutsideThePaletteAreEmpty) {
    GlTestContext gl;
    ASSERT_GL_CONTEXT(gl);
    for (int8_t bad : {int8_t{8}, int8_t{-1}, int8_t{127}, int8_t{-128}}) {
        const Drawn alone = draw_grid({bad}, 1, 1, 1);
        EXPECT_TRUE(alone.bricks.empty()) << int{bad};
        // A brick above a bad cell rests on nothing: it keeps its underside.
        const Drawn above = draw_grid({3, bad}, 1, 2, 1);
        ASSERT_EQ(above.bricks.size(), 1u) << int{bad};
        EXPECT_EQ(above.tubes.size(), 1u) << int{bad};
        // A bad neighbour does not join.
        const Drawn beside = draw_grid({bad, bad, 2}, 3, 1, 1);
        ASSERT_EQ(beside.bricks.size(), 1u) << int{bad};
        EXPECT_NEAR(beside.bricks[0].width, 2, 1e-4);
    }
}

TEST(BrickGrid, EmptyOrMisshapenGridsDrawNothing) {
    GlTestContext gl;
    ASSERT_GL_CONTEXT(gl);
    EXPECT_TRUE(draw_grid({0, 0, 0, 0}, 2, 2, 1).bricks.empty());
    EXPECT_TRUE(capture_triangles([] { draw_brick_grid(4, nullptr, 1, 1, 1); }).empty());
    const int8_t cell = 1;
    EXPECT_TRUE(capture_triangles([&] { draw_brick_grid(4, &cell, 0, 1, 1); }).empty());
    EXPECT_TRUE(capture_triangles([&] { draw_brick_grid(4, &cell, 1, -1, 1); }).empty());
    EXPECT_TRUE(capture_triangles([&] { draw_brick_grid(4, &cell, 1, 1, 0); }).empty());
}

TEST(BrickGrid, ModelviewMatrixIsUnchanged) {
    GlTestContext gl;
    ASSERT_GL_CONTEXT(gl);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(3, -1, -7);
    GLfloat before[16], after[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, before);
    const std::vector<int8_t> cells = {1, 1, 2, 0, 3, 3};
    draw_brick_grid(6, cells.data(), 3, 2, 1);
    glGetFloatv(GL_MODELVIEW_MATRIX, after);
    for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(after[i], before[i]) << i;
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(Palette, EmbeddedTableHoldsTheEightBrickColours) {
    const float expected[palette_size][3] = {{-1, -1, -1}, {1, 1, 0},         {1, 0.1f, 0}, {1, 1, 1},
                                             {0.05f, 0.05f, 0.9f}, {0.3f, 0.7f, 0.2f}, {0, 0, 0},    {0, 0, 0}};
    for (int i = 0; i < palette_size; ++i) {
        EXPECT_FLOAT_EQ(palette[i].r, expected[i][0]) << i;
        EXPECT_FLOAT_EQ(palette[i].g, expected[i][1]) << i;
        EXPECT_FLOAT_EQ(palette[i].b, expected[i][2]) << i;
    }
}
