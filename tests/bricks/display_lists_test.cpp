// The start-up display lists: what each list holds, where, and the culling
// state it was compiled under.
#include <SDL_opengl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <vector>

#include "brick_probe.h"
#include "bricks/brick.h"
#include "bricks/display_lists.h"
#include "support/gl_test_context.h"
#include "synth/synth.h"

namespace {

// The global GL state that start-up sets between the floor list and the
// spiral lists.
void set_startup_state() {
    glEnable(GL_LIGHTING);
    glShadeModel(GL_SMOOTH);
    glCullFace(GL_BACK);
    glEnable(GL_CULL_FACE);
    glEnable(GL_LIGHT0);
    glEnable(GL_DEPTH_TEST);
}

bool culling_after_replay(GLuint list, bool culling_before) {
    culling_before ? glEnable(GL_CULL_FACE) : glDisable(GL_CULL_FACE);
    glCallList(list);
    return glIsEnabled(GL_CULL_FACE) == GL_TRUE;
}

// The C library's unseeded rand() sequence, replayed from its start on a
// private generator state (rand() is random() seeded with 1), so a test can
// know the values without drawing them from the shared one.
class UnseededRandSequence {
public:
    UnseededRandSequence() { initstate_r(1, state_, sizeof state_, &data_); }
    int next() {
        int32_t value;
        random_r(&data_, &value);
        return value;
    }

private:
    char state_[128] = {};  // the size rand() uses
    random_data data_{};
};

// The ten scattered floor cells, by index, as the ten pairs of draws after
// the noise table's 44 100 give them.
std::map<int, int> scattered_floor_cells() {
    UnseededRandSequence sequence;
    for (int i = 0; i < 44100; ++i) sequence.next();
    std::map<int, int> cells;
    for (int i = 0; i < 10; ++i) {
        const int a = sequence.next();
        const int b = sequence.next();
        cells[b % 1600] = a % 2 + 1;
    }
    return cells;
}

// The floor's cells as a map from index to value, checked against the
// ring and the scattered cells.
void expect_floor(const std::map<int, int>& cells) {
    const std::map<int, int> scattered = scattered_floor_cells();
    for (const auto& [index, value] : scattered) {
        ASSERT_TRUE(cells.count(index)) << "scattered cell " << index;
        EXPECT_EQ(cells.at(index), value) << "scattered cell " << index;
    }
    std::map<int, int> ring;
    for (const auto& [index, value] : cells)
        if (!scattered.count(index)) ring[index] = value;
    // None of this sequence's scattered cells falls on the ring's box.
    ASSERT_EQ(ring.size(), 26u);
    int min_row = 99, max_row = -1, min_column = 99, max_column = -1;
    for (const auto& [index, value] : ring) {
        const int row = index / 40, column = index % 40;
        min_row = std::min(min_row, row), max_row = std::max(max_row, row);
        min_column = std::min(min_column, column), max_column = std::max(max_column, column);
        EXPECT_EQ(value, 2 + index % 3) << "ring cell " << index;
    }
    EXPECT_EQ(min_row, 16);
    EXPECT_EQ(max_row, 24);
    EXPECT_EQ(min_column, 17);  // dx = -3
    EXPECT_EQ(max_column, 22);  // dx = +2
    EXPECT_FALSE(ring.count(820)) << "the centre stays open";
}

// Cells of a 40x40 one-layer grid from the bricks drawn for it.
std::map<int, int> floor_cells_of(const std::vector<FoundBrick>& bricks) {
    std::map<int, int> cells;
    for (const FoundBrick& b : bricks) {
        const int span = static_cast<int>(std::lround(b.width / 2));  // 1 or 2 cells
        const double first_x = b.centre.x - (span - 1);
        const int column = static_cast<int>(std::lround((first_x + 39) / 2));
        const int row = static_cast<int>(std::lround((0.6 * 39 - b.centre.y) / 1.176));
        for (int k = 0; k < span; ++k) cells[row * 40 + column + k] = b.colour;
    }
    return cells;
}

// Every triangle of `expected` is among `drawn`, and the first one emitted
// is the same: the first brick of a list, placed as `expected` places it.
void expect_first_brick(const std::vector<Triangle>& drawn, const std::vector<Triangle>& expected) {
    ASSERT_FALSE(expected.empty());
    ASSERT_GE(drawn.size(), expected.size());
    for (int k = 0; k < 3; ++k) EXPECT_TRUE(near(drawn[0].p[k], expected[0].p[k], 2e-3)) << k;
    for (const Triangle& e : expected) {
        const bool found = std::any_of(drawn.begin(), drawn.end(), [&](const Triangle& d) {
            return near(d.p[0], e.p[0], 2e-3) && near(d.p[1], e.p[1], 2e-3) && near(d.p[2], e.p[2], 2e-3);
        });
        EXPECT_TRUE(found) << "triangle at " << e.p[0].x << ", " << e.p[0].y << ", " << e.p[0].z;
    }
}

// Centres of bricks whose top face (with studs) is a w x d rectangle:
// half a brick height below the face.
std::vector<Vec3> centres_by_top_face(const std::vector<Triangle>& triangles, double w, double d) {
    std::vector<Vec3> centres;
    for (const FoundFace& f : find_faces(triangles, w, d)) centres.push_back(f.centre - 0.6 * f.normal);
    return centres;
}

}  // namespace

TEST(ShapeLists, GridsAreBoxEdgesOfAlternatingRedAndWhite) {
    static int8_t grid[shape_grid_cells];
    const int expected_cells[3] = {1, 40, 84};
    for (int box = 0; box < 3; ++box) {
        fill_shape_grid(box, grid);
        const int side = 3 * box + 1, height = 5 * box + 1;
        int cells = 0;
        for (int i = 0; i < shape_grid_cells; ++i) {
            if (grid[i] == 0) continue;
            ASSERT_LT(i, side * side * height) << "outside the box";
            EXPECT_TRUE(grid[i] == 2 || grid[i] == 3) << i;
            // Neighbours along a row differ, so nothing joins.
            if (i % side + 1 < side) {
                EXPECT_NE(grid[i + 1], grid[i]) << i;
            }
            ++cells;
        }
        EXPECT_EQ(cells, expected_cells[box]) << "box " << box;
    }
    fill_shape_grid(0, grid);
    EXPECT_EQ(grid[0], 2) << "the single cell is red";
}

TEST(ShapeLists, FramesHaveOneFortyAndEightyFourBricks) {
    GlTestContext gl;
    ASSERT_GL_CONTEXT(gl);
    build_shape_lists();
    const size_t expected[3] = {1, 40, 84};
    for (int box = 0; box < 3; ++box) {
        const auto triangles = capture_triangles([&] { glCallList(shape_lists[box]); });
        const auto bricks = find_bricks(triangles);
        EXPECT_EQ(bricks.size(), expected[box]) << "box " << box;
        int red = 0, white = 0;
        for (const FoundBrick& b : bricks) {
            EXPECT_NEAR(b.width, 2, 1e-4);
            red += b.colour == 2;
            white += b.colour == 3;
        }
        EXPECT_EQ(red + white, static_cast<int>(expected[box]));
        for (const FoundStud& s : find_studs(triangles)) EXPECT_EQ(s.facets, 8);
    }
    const auto single = find_bricks(capture_triangles([] { glCallList(shape_lists[0]); }));
    ASSERT_EQ(single.size(), 1u);
    EXPECT_TRUE(near(single[0].centre, {0, 0, 0}));
    EXPECT_EQ(single[0].colour, 2);
}

TEST(ShapeLists, CompiledBeforeCullingIsOnTheyNeverTurnItBackOn) {
    GlTestContext gl;
    ASSERT_GL_CONTEXT(gl);
    ASSERT_FALSE(glIsEnabled(GL_CULL_FACE));  // as at start-up
    build_shape_lists();
    // The last brick of each box is on its bottom row: it has an underside,
    // turns culling off for its tubes and leaves it off.
    for (int box = 0; box < 3; ++box) EXPECT_FALSE(culling_after_replay(shape_lists[box], true)) << box;
}

// The ten scattered cells continue the rand() sequence after the
// synthesizer's noise table: init_synth() must run first, and nothing may
// reseed or draw in between.
TEST(FloorList, GridHoldsTheRingAndTenCellsDrawnRightAfterTheNoiseTable) {
    init_synth();  // first: the noise table draws its 44 100 values
    static int8_t grid[floor_grid_side * floor_grid_side];
    fill_floor_grid(grid);
    std::map<int, int> cells;
    for (int i = 0; i < floor_grid_side * floor_grid_side; ++i)
        if (grid[i] != 0) cells[i] = grid[i];
    expect_floor(cells);

    // Exactly twenty draws were taken: the shared sequence goes on with the
    // 44 121st value.
    UnseededRandSequence sequence;
    for (int i = 0; i < 44100 + 20; ++i) sequence.next();
    EXPECT_EQ(std::rand(), sequence.next());
}

TEST(FloorList, ListDrawsTheRingAndTheScatteredCellsAsSingleBricks) {
    GlTestContext gl;
    ASSERT_GL_CONTEXT(gl);
    init_synth();  // first: the noise table draws its 44 100 values
    build_floor_list();
    const auto bricks = find_bricks(capture_triangles([] { glCallList(floor_list); }));
    EXPECT_EQ(bricks.size(), 36u);
    for (const FoundBrick& b : bricks) EXPECT_NEAR(b.width, 2, 1e-4);
    expect_floor(floor_cells_of(bricks));
    // The ring's open centre, cell (20, 20), lies at x = 1, y = -0.12.
    // Cell (20, 20) at the ring's open centre lies at x = 1, y = -0.12; the
    // ring's lowest cell is four rows below it.
    const auto lowest = std::find_if(bricks.begin(), bricks.end(),
                                     [](const FoundBrick& b) { return near(b.centre, {1, -0.12 - 1.176 * 4, 0}); });
    EXPECT_NE(lowest, bricks.end());
}

TEST(SpiralLists, HoldFiftyFiveWhiteAndSeventyFiveRedBricks) {
    GlTestContext gl;
    ASSERT_GL_CONTEXT(gl);
    set_startup_state();
    build_spiral_lists();
    const int expected[2][2] = {{28, 27}, {38, 37}};  // 3x2 (even i) and 2x2 (odd i)
    for (int s = 0; s < 2; ++s) {
        const auto triangles = capture_triangles([&] { glCallList(spiral_lists[s]); });
        EXPECT_EQ(find_faces(triangles, 3, 2).size(), static_cast<size_t>(expected[s][0])) << s;
        EXPECT_EQ(find_faces(triangles, 2, 2).size(), static_cast<size_t>(expected[s][1])) << s;
        const auto studs = find_studs(triangles);
        EXPECT_EQ(studs.size(), static_cast<size_t>(6 * expected[s][0] + 4 * expected[s][1]));
        int lit = 0;
        for (const Triangle& t : triangles) {
            const int colour = palette_index_of(t.colour);
            if (colour == 6) continue;  // turned away from the light
            EXPECT_EQ(colour, s == 0 ? 3 : 2);
            ++lit;
        }
        EXPECT_GT(lit, 100);
    }
}

TEST(SpiralLists, FirstBrickSitsNearTheAxisTurnedBy120Degrees) {
    GlTestContext gl;
    ASSERT_GL_CONTEXT(gl);
    set_startup_state();
    build_spiral_lists();
    // r = 4 sqrt(0.5), a = r / 1.3: 1.886 from the axis at (r sin a, r cos a)
    // / 1.5, turned by r 57.3 / 1.3 - 5 degrees.
    const auto expected = capture_triangles([] {
        glTranslatef(1.551014f, 0, -1.072339f);
        glRotatef(119.668365f, 0, 1, 0);
        draw_brick(3, 2, 8, 0, 1, 1, 1);
    });
    for (int s = 0; s < 2; ++s) expect_first_brick(capture_triangles([&] { glCallList(spiral_lists[s]); }), expected);
}

TEST(ArcList, FirstBrickIsARedThreeByTwoHighOnTheSphere) {
    GlTestContext gl;
    ASSERT_GL_CONTEXT(gl);
    set_startup_state();
    build_arc_list();
    // k = 1: a = 4, ring radius sqrt(99) / 6, height -1/6; turned by
    // 4 * 57.3 degrees about y and 181.8 about x.
    const auto expected = capture_triangles([] {
        glTranslatef(-1.255015f, -1.0f / 6, -1.083945f);
        glRotatef(229.2f, 0, 1, 0);
        glRotatef(181.8f, 1, 0, 0);
        draw_brick(3, 2, 6, 0, 1.0f, 0.1f, 0.0f);
    });
    expect_first_brick(capture_triangles([] { glCallList(arc_lists[0]); }), expected);
}

TEST(ArcList, NinetyNineBricksAllLieOnTheSphere) {
    GlTestContext gl;
    ASSERT_GL_CONTEXT(gl);
    set_startup_state();
    build_arc_list();
    const auto triangles = capture_triangles([] { glCallList(arc_lists[0]); });
    const auto red = centres_by_top_face(triangles, 3, 2);     // odd k
    const auto yellow = centres_by_top_face(triangles, 1, 2);  // even k
    EXPECT_EQ(red.size(), 50u);
    EXPECT_EQ(yellow.size(), 49u);
    const Vec3 centre{0, -50.0 / 6, 0};
    for (const auto* set : {&red, &yellow})
        for (const Vec3& c : *set) EXPECT_NEAR(length(c - centre), 50.0 / 6, 1e-3) << c.x << ", " << c.y << ", " << c.z;
    // From the top pole down to the bottom one, one brick per sixth of a unit.
    double top = -1e9, bottom = 1e9;
    for (const auto* set : {&red, &yellow})
        for (const Vec3& c : *set) top = std::max(top, c.y), bottom = std::min(bottom, c.y);
    EXPECT_NEAR(top, -1.0 / 6, 1e-3);
    EXPECT_NEAR(bottom, -99.0 / 6, 1e-3);
}

TEST(BrickLists, SingleBricksAndThePlate) {
    GlTestContext gl;
    ASSERT_GL_CONTEXT(gl);
    set_startup_state();
    build_brick_lists();
    const int colours[4] = {3, 3, 6, 6};
    const size_t tubes[4] = {1, 0, 1, 0};
    for (int i = 0; i < 4; ++i) {
        const auto triangles = capture_triangles([&] { glCallList(brick_lists[i]); });
        const auto bricks = find_bricks(triangles);
        ASSERT_EQ(bricks.size(), 1u) << i;
        EXPECT_NEAR(bricks[0].width, 2, 1e-4);
        EXPECT_EQ(bricks[0].colour, colours[i]) << i;
        const auto studs = find_studs(triangles);
        ASSERT_EQ(studs.size(), 4u) << i;
        for (const FoundStud& s : studs) EXPECT_EQ(s.facets, 5);
        EXPECT_EQ(find_tubes(triangles).size(), tubes[i]) << i;
    }
    const auto plate = capture_triangles([] { glCallList(brick_lists[4]); });
    const auto bricks = find_bricks(plate);
    ASSERT_EQ(bricks.size(), 1u);
    EXPECT_NEAR(bricks[0].width, 42, 1e-3);
    EXPECT_NEAR(bricks[0].depth, 42, 1e-3);
    EXPECT_EQ(bricks[0].colour, 2);
    const auto studs = find_studs(plate);
    EXPECT_EQ(studs.size(), 42u * 42u);
    EXPECT_TRUE(std::all_of(studs.begin(), studs.end(), [](const FoundStud& s) { return s.facets == 4; }));
    EXPECT_TRUE(find_tubes(plate).empty());
}

TEST(BrickLists, CompiledWithCullingOnTheyTurnItBackOn) {
    GlTestContext gl;
    ASSERT_GL_CONTEXT(gl);
    set_startup_state();
    build_brick_lists();
    for (int i = 0; i < 5; ++i) EXPECT_TRUE(culling_after_replay(brick_lists[i], false)) << i;
}
