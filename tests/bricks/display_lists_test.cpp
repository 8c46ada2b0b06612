// The start-up display lists: what each holds, and the order of start-up
// as the lists record it.
#include <SDL_opengl.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <map>
#include <span>

#include "brick_probe.h"
#include "bricks/brick.h"
#include "bricks/display_lists.h"
#include "core/demo.h"
#include "synth/synth.h"

namespace {

using DisplayLists = GlTest;

// Values skip + 1 .. skip + count of the C library's unseeded rand()
// sequence, drawn from a private state so that the shared one is untouched.
std::vector<int32_t> unseeded_rand(int skip, int count) {
    char state[128] = {};  // the state size rand() uses
    random_data data{};
    initstate_r(1, state, sizeof state, &data);
    std::vector<int32_t> values(skip + count);
    for (int32_t& v : values) random_r(&data, &v);
    return {values.begin() + skip, values.end()};
}

// The list's first polygons are those of `first` drawn on its own.
void expect_first_brick(GLuint list, const std::function<void()>& first) {
    const Probe drawn = probe([&] { glCallList(list); }), expected = probe(first);
    ASSERT_FALSE(expected.polygons.empty());
    ASSERT_GE(drawn.polygons.size(), expected.polygons.size());
    for (size_t i = 0; i < expected.polygons.size(); ++i) {
        const Probe::Polygon &d = drawn.polygons[i], &e = expected.polygons[i];
        ASSERT_TRUE(d.colour == e.colour && d.corners.size() == e.corners.size()) << "polygon " << i;
        for (size_t k = 0; k < e.corners.size(); ++k) ASSERT_TRUE(near(d.corners[k], e.corners[k])) << "polygon " << i;
    }
}

}  // namespace

// Box L has 3L+1 columns and layers and 5L+1 rows; its edge cells alternate
// red and white with (column + row + layer), so no two join.
TEST_F(DisplayLists, ShapeFramesHaveOneFortyAndEightyFourAlternatingBricks) {
    build_shape_lists();
    const size_t expected[3] = {1, 40, 84};
    for (int box = 0; box < 3; ++box) {
        const Probe p = probe([&] { glCallList(brick_state.shape_lists[box]); });
        EXPECT_EQ(p.bricks.size(), expected[box]) << "box " << box;
        for (const Probe::Brick& b : p.bricks) {
            const long c = std::lround((b.centre.x + 3 * box) / 2), r = std::lround((3 * box - b.centre.y) / 1.176),
                       l = std::lround((3 * box - b.centre.z) / 2);
            EXPECT_EQ(b.colour, 2 + (c + r + l) % 2) << c << " " << r << " " << l;
            EXPECT_NEAR(b.width, 2, 1e-3);
        }
    }
}

// Box L takes (3L+1)^2 (5L+1) cells, so box 5 is the largest of the 8000;
// a larger or a negative box leaves the grid empty, and nothing beyond it is
// written.
TEST(ShapeGrid, BoxesTooLargeForTheGridLeaveItEmpty) {
    std::vector<int8_t> cells(shape_grid_cells + 64, 9);
    const std::span<int8_t, shape_grid_cells> grid(cells.data(), shape_grid_cells);
    const auto filled = [&] { return std::count_if(grid.begin(), grid.end(), [](int8_t c) { return c != 0; }); };
    EXPECT_TRUE(fill_shape_grid(5, grid));
    EXPECT_EQ(filled(), 4 * (16 + 26 + 16) - 2 * 8);  // twelve edges, each corner shared by three
    for (int box : {6, 7, 1000, -1}) {
        std::fill(grid.begin(), grid.end(), int8_t{9});
        EXPECT_FALSE(fill_shape_grid(box, grid)) << box;
        EXPECT_EQ(filled(), 0) << box;
    }
    EXPECT_EQ(std::count(cells.begin() + shape_grid_cells, cells.end(), 9), 64);
}

// The ten scattered cells continue rand() right after the synthesizer's
// noise table: init_synth() draws its 44,100 values first, then the floor.
TEST_F(DisplayLists, FloorHoldsARingOf26CellsAndTenCellsDrawnAfterTheNoiseTable) {
    init_synth();
    build_floor_list();
    const std::vector<int32_t> draws = unseeded_rand(44100, 20);
    std::map<long, int> scattered, ring;  // cell -> colour
    for (int i = 0; i < 20; i += 2) scattered[draws[i + 1] % 1600] = draws[i] % 2 + 1;
    const Probe p = probe([] { glCallList(brick_state.floor_list); });
    for (const Probe::Brick& b : p.bricks) {
        const long cell = std::lround((23.4 - b.centre.y) / 1.176) * 40 + std::lround((b.centre.x + 39) / 2);
        EXPECT_NEAR(b.width, 2, 1e-3);
        if (scattered.count(cell)) EXPECT_EQ(b.colour, scattered[cell]) << "scattered cell " << cell;
        else ring[cell] = b.colour;
    }
    EXPECT_EQ(p.bricks.size(), 36u);
    ASSERT_EQ(ring.size(), 26u);
    std::array<long, 4> span = {99, 0, 99, 0};  // first and last row, first and last column
    for (const auto& [cell, colour] : ring) {
        EXPECT_EQ(colour, 2 + cell % 3) << cell;
        span = {std::min(span[0], cell / 40), std::max(span[1], cell / 40), std::min(span[2], cell % 40), std::max(span[3], cell % 40)};
    }
    EXPECT_EQ(span, (std::array<long, 4>{16, 24, 17, 22}));  // dy -4..4, dx -3..2
}

// Spirals: r = 4 sqrt(0.5) and a = r / 1.3 put the first brick at (r sin a,
// 0, r cos a) / 1.5, turned by r 57.3 / 1.3 - 5 degrees. Arc, k = 1: a = 4
// on a ring of radius sqrt(99) / 6 at height -1/6, turned by 4 * 57.3
// degrees about y and 181.8 about x.
TEST_F(DisplayLists, FirstSpiralAndArcBricksArePlacedOnTheirCurves) {
    build_spiral_lists();
    build_arc_list();
    const float colours[2][3] = {{1, 1, 1}, {1.0f, 0.1f, 0.0f}};
    for (int s = 0; s < 2; ++s)
        expect_first_brick(brick_state.spiral_lists[s], [&] {
            glTranslatef(1.551014f, 0, -1.072339f);
            glRotatef(119.668365f, 0, 1, 0);
            draw_brick(3, 2, 8, 0, colours[s][0], colours[s][1], colours[s][2]);
        });
    expect_first_brick(brick_state.arc_lists[0], [] {
        glTranslatef(-1.255015f, -1.0f / 6, -1.083945f);
        glRotatef(229.2f, 0, 1, 0);
        glRotatef(181.8f, 1, 0, 0);
        draw_brick(3, 2, 6, 0, 1.0f, 0.1f, 0.0f);
    });
}

// Start-up compiles the shape and floor lists with culling still off (their
// last brick, with an underside, leaves it off) and the brick lists with it
// on; nothing between the noise table and the floor draws from rand().
TEST_F(DisplayLists, StartupSwitchesCullingOnAfterTheFloorAndLeavesRandAfterTheFloorsDraws) {
    const int32_t next = unseeded_rand(44100 + 20, 1)[0];
    init_synth();
    build_gl_content();
    EXPECT_EQ(std::rand(), next);
    for (GLuint list : {brick_state.shape_lists[0], brick_state.shape_lists[1], brick_state.shape_lists[2], brick_state.floor_list})
        EXPECT_FALSE(culling_after(true, [&] { glCallList(list); })) << list;
    for (GLuint list : brick_state.brick_lists) EXPECT_TRUE(culling_after(false, [&] { glCallList(list); })) << list;
}
