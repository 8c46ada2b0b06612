// The start-up lists as the real start-up sequence builds them: the order
// of its steps shows in the culling state each list recorded and in the
// rand() values the floor took.
#include <SDL_opengl.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "bricks/display_lists.h"
#include "core/demo.h"
#include "support/gl_test_context.h"
#include "synth/synth.h"

namespace {

bool culling_after_replay(GLuint list, bool culling_before) {
    culling_before ? glEnable(GL_CULL_FACE) : glDisable(GL_CULL_FACE);
    glCallList(list);
    return glIsEnabled(GL_CULL_FACE) == GL_TRUE;
}

}  // namespace

TEST(StartupLists, CullingIsSwitchedOnAfterTheFloorAndBeforeTheSpirals) {
    GlTestContext gl;
    ASSERT_GL_CONTEXT(gl);
    init_synth();
    build_gl_content();
    // Recorded with culling off: the last brick has an underside, turns
    // culling off for its tubes and never back on.
    for (GLuint list : shape_lists) EXPECT_FALSE(culling_after_replay(list, true));
    EXPECT_FALSE(culling_after_replay(floor_list, true));
    // Recorded with culling on: bricks with an underside turn it back on,
    // and those without always do.
    for (GLuint list : brick_lists) EXPECT_TRUE(culling_after_replay(list, false));
    for (GLuint list : spiral_lists) EXPECT_TRUE(culling_after_replay(list, false));
    EXPECT_TRUE(culling_after_replay(arc_lists[0], false));
    EXPECT_EQ(glyph_count, 37) << "the glyph index is built too";
}

// Nothing between the noise table and the floor draws from rand(): after
// start-up the floor has taken values 44 101 to 44 120 and the shared
// sequence goes on with value 44 121.
TEST(StartupLists, FloorTakesTheTwentyDrawsAfterTheNoiseTable) {
    GlTestContext gl;
    ASSERT_GL_CONTEXT(gl);
    char state[128] = {};
    random_data data{};
    initstate_r(1, state, sizeof state, &data);  // a private copy of the unseeded sequence
    int32_t expected = 0;
    for (int i = 0; i < 44100 + 20 + 1; ++i) random_r(&data, &expected);

    init_synth();
    build_gl_content();
    EXPECT_EQ(std::rand(), expected);
}
