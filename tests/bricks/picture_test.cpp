// Pictures: a brick and a word rendered the way the show renders them,
// compared with golden images in tests/bricks/golden/ within a small
// tolerance (software rasterisers differ in the last bits). A mismatch or a
// missing golden image writes the rendered frame to the test output folder.
#include <SDL_opengl.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "bricks/block_text.h"
#include "bricks/brick.h"
#include "support/scene_view.h"

namespace {

void expect_matches_golden(int width, int height, const std::string& name, const std::function<void()>& draw) {
    GlTestContext gl(width, height);
    ASSERT_GL_CONTEXT(gl);
    build_glyph_index();
    begin_scene_frame(gl, 0.25f);
    draw();
    const RgbImage actual = grab_frame(gl);

    RgbImage golden;
    const std::string golden_path = std::string(TUMBO_TEST_SOURCE_DIR) + "/bricks/golden/" + name + ".png";
    const std::string actual_path = std::string(TUMBO_TEST_OUTPUT_DIR) + "/" + name + ".png";
    const bool have_golden = read_png(golden_path, golden);
    const ImageDifference d = compare_images(actual, golden);
    const bool same = have_golden && d.same_size && d.mean_channel_difference < 1.0 &&
                      d.fraction_of_pixels_differing < 0.005;
    if (!same) write_png(actual_path, actual);
    ASSERT_TRUE(have_golden) << "no golden image " << golden_path << "; rendered " << actual_path;
    EXPECT_TRUE(same) << "differs from " << golden_path << " (mean " << d.mean_channel_difference << ", "
                      << 100 * d.fraction_of_pixels_differing << "% of pixels); rendered " << actual_path;
}

}  // namespace

TEST(Pictures, RedBrickWithStudsSeenFromAbove) {
    expect_matches_golden(200, 150, "brick_2x2", [] {
        glTranslatef(0, 0, -4.2f);
        glRotatef(30, 1, 0, 0);
        glRotatef(-30, 0, 1, 0);
        draw_brick(2, 2, 8, 8, 1.0f, 0.1f, 0.0f);
    });
}

TEST(Pictures, BrickUndersideWithItsTubes) {
    expect_matches_golden(200, 150, "brick_4x2_below", [] {
        glTranslatef(0, 0, -3.6f);
        glRotatef(-60, 1, 0, 0);
        glRotatef(-20, 0, 1, 0);
        draw_brick(4, 2, 6, 6, 1.0f, 1.0f, 0.0f);
    });
}

TEST(Pictures, WordInBlueLettering) {
    expect_matches_golden(240, 180, "word_toyz", [] {
        glTranslatef(0, 0, -26);
        glRotatef(15, 1, 0, 0);
        draw_block_text("toyz", 4, 0, 1);
    });
}

TEST(Pictures, WordCutIntoACheckerboardSlab) {
    expect_matches_golden(240, 180, "word_kq_inverted", [] {
        glTranslatef(0, -1, -30);
        glRotatef(20, 1, 0, 0);
        draw_block_text("  kq  ", 3, 1, 18);
    });
}
