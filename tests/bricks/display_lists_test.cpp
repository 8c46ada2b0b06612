// The start-up display lists: what each list holds and where.
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

// The culling switch as start-up sets it before the spirals.
void culling_on() {
    glCullFace(GL_BACK);
    glEnable(GL_CULL_FACE);
}

// The C library's unseeded rand() sequence (random() seeded with 1) on a
// private state, so a test knows the values without drawing shared ones.
class UnseededRandSequence {
public:
    UnseededRandSequence() { initstate_r(1, state_, sizeof state_, &data_); }
    int next() {
        int32_t value;
        random_r(&data_, &value);
        return value;
    }

private:
    char state_[128] = {};  // the state size rand() uses
    random_data data_{};
};

// Every triangle of `expected` is among `drawn`, and both start with the
// same one: the list's first brick is placed as `expected` places it.
void expect_first_brick(const std::vector<Triangle>& drawn, const std::vector<Triangle>& expected) {
    ASSERT_FALSE(expected.empty());
    ASSERT_GE(drawn.size(), expected.size());
    auto same = [](const Triangle& a, const Triangle& b) {
        return near(a.p[0], b.p[0], 2e-3) && near(a.p[1], b.p[1], 2e-3) && near(a.p[2], b.p[2], 2e-3);
    };
    EXPECT_TRUE(same(drawn[0], expected[0]));
    for (const Triangle& e : expected)
        EXPECT_TRUE(std::any_of(drawn.begin(), drawn.end(), [&](const Triangle& d) { return same(d, e); }))
            << "triangle at " << e.p[0].x << ", " << e.p[0].y << ", " << e.p[0].z;
}

}  // namespace

TEST(ShapeLists, FramesHaveOneFortyAndEightyFourBricksOfAlternatingColours) {
    GlTestContext gl;
    ASSERT_GL_CONTEXT(gl);
    build_shape_lists();
    const size_t expected[3] = {1, 40, 84};
    for (int box = 0; box < 3; ++box) {
        const auto triangles = capture_triangles([&] { glCallList(shape_lists[box]); });
        const auto bricks = find_bricks(triangles);
        EXPECT_EQ(bricks.size(), expected[box]) << "box " << box;
        for (const FoundBrick& b : bricks) {
            EXPECT_NEAR(b.width, 2, 1e-4) << "nothing joins";
            EXPECT_TRUE(b.colour == 2 || b.colour == 3);
        }
        for (const FoundStud& s : find_studs(triangles)) EXPECT_EQ(s.facets, 8);
    }
    const auto single = find_bricks(capture_triangles([] { glCallList(shape_lists[0]); }));
    ASSERT_EQ(single.size(), 1u);
    EXPECT_TRUE(near(single[0].centre, {0, 0, 0}));
    EXPECT_EQ(single[0].colour, 2);
}

// The scattered cells continue the rand() sequence right after the
// synthesizer's noise table: init_synth() must run first, with nothing
// reseeding or drawing in between.
TEST(FloorList, HoldsTheRingAndTenCellsDrawnRightAfterTheNoiseTable) {
    GlTestContext gl;
    ASSERT_GL_CONTEXT(gl);
    init_synth();  // first: the noise table draws its 44 100 values
    build_floor_list();

    UnseededRandSequence sequence;
    for (int i = 0; i < 44100; ++i) sequence.next();
    std::map<int, int> scattered;
    for (int i = 0; i < 10; ++i) {
        const int a = sequence.next();
        const int b = sequence.next();
        scattered[b % 1600] = a % 2 + 1;
    }
    EXPECT_EQ(std::rand(), sequence.next()) << "the floor takes exactly twenty values";

    // Bricks back to cells: column (x + 39) / 2, row (23.4 - y) / 1.176.
    const auto bricks = find_bricks(capture_triangles([] { glCallList(floor_list); }));
    std::map<int, int> ring;
    for (const FoundBrick& b : bricks) {
        EXPECT_NEAR(b.width, 2, 1e-4);
        const int column = static_cast<int>(std::lround((b.centre.x + 39) / 2));
        const int row = static_cast<int>(std::lround((0.6 * 39 - b.centre.y) / 1.176));
        const int index = row * 40 + column;
        if (scattered.count(index)) EXPECT_EQ(b.colour, scattered[index]) << "scattered cell " << index;
        else ring[index] = b.colour;
    }
    EXPECT_EQ(bricks.size(), 36u);
    ASSERT_EQ(ring.size(), 26u);  // none of the scattered cells falls on the ring
    int rows[2] = {99, -1}, columns[2] = {99, -1};
    for (const auto& [index, colour] : ring) {
        EXPECT_EQ(colour, 2 + index % 3) << "ring cell " << index;
        rows[0] = std::min(rows[0], index / 40), rows[1] = std::max(rows[1], index / 40);
        columns[0] = std::min(columns[0], index % 40), columns[1] = std::max(columns[1], index % 40);
    }
    EXPECT_EQ(rows[0], 16);
    EXPECT_EQ(rows[1], 24);
    EXPECT_EQ(columns[0], 17);  // dx = -3
    EXPECT_EQ(columns[1], 22);  // dx = +2
    EXPECT_FALSE(ring.count(820)) << "the centre, at x = 1, y = -0.12, stays open";
    EXPECT_TRUE(ring.count(20 * 40 + 17) && ring.count(24 * 40 + 20));
}

TEST(SpiralLists, FirstBrickSitsNearTheAxisTurnedByAbout120Degrees) {
    GlTestContext gl;
    ASSERT_GL_CONTEXT(gl);
    culling_on();
    build_spiral_lists();
    // r = 4 sqrt(0.5), a = r / 1.3: 1.886 from the axis at (r sin a, r cos a)
    // / 1.5, turned by r 57.3 / 1.3 - 5 degrees.
    auto first = [](float r, float g, float b) {
        return capture_triangles([&] {
            glTranslatef(1.551014f, 0, -1.072339f);
            glRotatef(119.668365f, 0, 1, 0);
            draw_brick(3, 2, 8, 0, r, g, b);
        });
    };
    const auto white = first(1, 1, 1), red = first(1.0f, 0.1f, 0.0f);
    expect_first_brick(capture_triangles([] { glCallList(spiral_lists[0]); }), white);
    expect_first_brick(capture_triangles([] { glCallList(spiral_lists[1]); }), red);
    EXPECT_EQ(palette_index_of(white[0].colour), 3);
}

TEST(ArcList, FirstBrickIsARedThreeByTwoHighOnTheSphere) {
    GlTestContext gl;
    ASSERT_GL_CONTEXT(gl);
    culling_on();
    build_arc_list();
    // k = 1: a = 4 on a ring of radius sqrt(99) / 6 at height -1/6; turned
    // by 4 * 57.3 degrees about y and 181.8 about x.
    const auto expected = capture_triangles([] {
        glTranslatef(-1.255015f, -1.0f / 6, -1.083945f);
        glRotatef(229.2f, 0, 1, 0);
        glRotatef(181.8f, 1, 0, 0);
        draw_brick(3, 2, 6, 0, 1.0f, 0.1f, 0.0f);
    });
    expect_first_brick(capture_triangles([] { glCallList(arc_lists[0]); }), expected);
}

TEST(BrickLists, SingleBricksAndThePlate) {
    GlTestContext gl;
    ASSERT_GL_CONTEXT(gl);
    culling_on();
    build_brick_lists();
    const int colours[4] = {3, 3, 6, 6};     // white, white, black, black
    const size_t tubes[4] = {1, 0, 1, 0};    // with and without underside
    for (int i = 0; i < 4; ++i) {
        const auto triangles = capture_triangles([&] { glCallList(brick_lists[i]); });
        const auto bricks = find_bricks(triangles);
        ASSERT_EQ(bricks.size(), 1u) << i;
        EXPECT_EQ(bricks[0].colour, colours[i]) << i;
        const auto studs = find_studs(triangles);
        EXPECT_EQ(studs.size(), 4u) << i;
        EXPECT_EQ(studs[0].facets, 5) << i;
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
}
