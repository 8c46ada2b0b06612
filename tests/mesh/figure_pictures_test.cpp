// Renders the two figures as the demo lights them and writes the pictures
// for people to look at (build/test-output/*.png): front, side, three
// quarters, the toy figure mid-stride and a row of walkers. Checks that each
// part shows in its colour where the model puts it and that the stride
// moves hand and foot.
#include <SDL_opengl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "mesh/figures.h"
#include "mesh/mesh_draw.h"
#include "mesh/walkers.h"
#include "mesh_test_support.h"
#include "support/gl_test_context.h"

namespace {
constexpr int width = 640, height = 480;

class FigurePictures : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_GL_CONTEXT(ctx_);
        decode_figures();
    }
    // Leaves the view loaded, so points can be looked up in the picture.
    RgbImage toy(double turn, const std::string& name, double distance = 14, double look_y = 1.5, double tilt = 0) {
        begin_figure_view(turn, distance, look_y, tilt);
        draw_mesh(toy_figure);
        return save_picture(ctx_, name);
    }
    RgbImage blocky(double turn, const std::string& name, double tilt = 0) {
        begin_figure_view(turn, 14, 1.8, tilt);
        set_walkers_scene_light();
        draw_mesh(blocky_figure);
        return save_picture(ctx_, name);
    }
    GlTestContext ctx_{width, height};
};
}  // namespace

TEST_F(FigurePictures, ToyFigureShowsItsPartsAndWalks) {
    toy(-35, "toy_figure_three_quarter", 14, 1.5, 12);
    toy(-30, "toy_figure_close_up", 6, 2.5, 15);
    toy(90, "toy_figure_side");
    const RgbImage front = toy(0, "toy_figure_front");
    const double x = -0.004, eye = std::sin(0.34);  // the head's axis; eyes 0.34 rad off the front
    EXPECT_TRUE(looks_yellow(colour_at(front, {x, 4.75, 1})));             // forehead
    EXPECT_TRUE(looks_dark(colour_at(front, {x + eye, 4.3, std::cos(0.34)})));  // eyes
    EXPECT_TRUE(looks_dark(colour_at(front, {x, 3.62, 1})));               // smile
    EXPECT_TRUE(looks_red(colour_at(front, {0, 1.2, 0.66})));              // chest
    EXPECT_TRUE(looks_blue(colour_at(front, {0.9, -0.9, 0.7})));           // waist
    EXPECT_TRUE(looks_blue(colour_at(front, {-1.0, -2.5, 0.62})));         // leg
    EXPECT_TRUE(looks_background(colour_at(front, {0, -2.5, 0.62})));      // between the legs

    // Mid-stride, seen from the figure's left: the left hand swings forward, the left foot back.
    const MeshObject* arm = find_mesh_object(toy_figure, "larm");
    const MeshObject* leg = find_mesh_object(toy_figure, "lfoot");
    const Point3 hand = mean_point(object_points(toy_figure, "larm", "larm_yellow"));
    std::vector<Point3> toes;
    for (const Point3& p : object_points(toy_figure, "lfoot"))
        if (p[1] < -3.5 && p[2] > 0.8) toes.push_back(p);
    for (int i = 0; i < 4; ++i) {
        pose_walker(toy_figure, static_cast<float>(i * std::numbers::pi / 20));
        toy(90, "toy_stride_side_" + std::to_string(i));
        toy(-35, "toy_stride_three_quarter_" + std::to_string(i), 14, 1.5, 12);
    }
    const RgbImage stride = toy(-90, "toy_stride_left_side");  // last pose: t = 3 pi / 20
    const Point3 swung_hand = rotate_about(hand, arm->pivot->pivot_point, arm->pivot->axis, arm->angle);
    const Point3 swung_toe = rotate_about(mean_point(toes), leg->pivot->pivot_point, leg->pivot->axis, leg->angle);
    EXPECT_FALSE(looks_background(colour_at(stride, swung_hand)));
    EXPECT_FALSE(looks_background(colour_at(stride, swung_toe)));
    EXPECT_TRUE(looks_background(colour_at(stride, {hand[0], hand[1] - 0.3, hand[2] + 0.2})));  // the hand has left

    begin_figure_view(0, 24, 1.0, 10);
    draw_walkers(3, 0.3f);
    save_picture(ctx_, "toy_walkers_row");
}

TEST_F(FigurePictures, BlockyFigureShowsItsBricks) {
    blocky(-35, "blocky_figure_three_quarter", 12);
    const RgbImage side = blocky(90, "blocky_figure_side");
    EXPECT_FALSE(looks_background(colour_at(side, {0, 1.0, -2.2})));  // backpack
    EXPECT_TRUE(looks_background(colour_at(side, {0, 1.0, 1.5})));    // nothing in front
    const RgbImage front = blocky(0, "blocky_figure_front");
    EXPECT_TRUE(looks_yellow(colour_at(front, {0, 3.0, 1})));       // face
    EXPECT_TRUE(looks_dark(colour_at(front, {0.45, 3.517, 1.036})));  // eye: shiny black
    EXPECT_TRUE(looks_red(colour_at(front, {0, 0.2, 1})));          // body
    EXPECT_TRUE(looks_blue(colour_at(front, {-1, -2.6, 1})));       // leg
    EXPECT_TRUE(looks_white(colour_at(front, {2.5, 0.2, 1})));      // arm
    EXPECT_TRUE(looks_dark(colour_at(front, {-0.7, 5.8, -0.5 + std::sqrt(0.51)})));  // hat, away from its shine
}
