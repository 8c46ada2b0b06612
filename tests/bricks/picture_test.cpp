// Pictures: bricks and a word rendered the way the show renders them,
// compared with golden images in tests/bricks/golden/ (compare_with_golden).
#include <SDL_opengl.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "bricks/block_text.h"
#include "bricks/brick.h"
#include "support/scene_view.h"

namespace {

// Draws at `distance` in front of the eye, tilted about x and then turned
// about y by the given degrees.
void expect_matches_golden(const std::string& name, int width, int height, float distance, float tilt, float turn,
                           const std::function<void()>& draw) {
    GlTestContext gl(width, height);
    ASSERT_GL_CONTEXT(gl);
    build_glyph_index();
    begin_scene_frame(gl, 0.25f);
    glTranslatef(0, 0, -distance);
    glRotatef(tilt, 1, 0, 0);
    glRotatef(turn, 0, 1, 0);
    draw();
    EXPECT_EQ(compare_with_golden(grab_frame(gl), "bricks/golden/" + name + ".png", 1.0, 0.005), "");
}

}  // namespace

TEST(Pictures, RedBrickWithStudsSeenFromAbove) {
    expect_matches_golden("brick_2x2", 200, 150, 4.2f, 30, -30, [] { draw_brick(2, 2, 8, 8, 1.0f, 0.1f, 0.0f); });
}

TEST(Pictures, BrickUndersideWithItsTubes) {
    expect_matches_golden("brick_4x2_below", 200, 150, 3.6f, -60, -20, [] { draw_brick(4, 2, 6, 6, 1.0f, 1.0f, 0.0f); });
}

TEST(Pictures, WordInBlueLettering) {
    expect_matches_golden("word_toyz", 240, 180, 26, 15, 0, [] { draw_block_text("toyz", 4, 0, 1); });
}
