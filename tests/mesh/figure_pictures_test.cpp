// Renders the two figures as the demo lights them, writes the pictures for
// people to look at (build/test-output/*.png), and checks that each part
// shows in its colour where the model puts it, and that the walk pose moves
// hands and feet where the stride takes them.
#include <SDL_opengl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "figure_view.h"
#include "mesh/figures.h"
#include "mesh/mesh_draw.h"
#include "mesh/walkers.h"
#include "support/gl_test_context.h"

namespace {
constexpr int width = 640, height = 480;

class FigurePictures : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_GL_CONTEXT(ctx_);
        decode_figures();
    }

    RgbImage grab() const {
        RgbImage image;
        image.width = ctx_.width();
        image.height = ctx_.height();
        image.rgb = ctx_.read_rgb();
        return image;
    }

    // Leaves the view's modelview loaded, so points can be projected.
    RgbImage render_toy(const FigureView& view, const char* name) {
        begin_figure_view(view);
        draw_mesh(toy_figure);
        RgbImage image = grab();
        save_picture(image, name);
        return image;
    }

    RgbImage render_blocky(const FigureView& view, const char* name) {
        begin_figure_view(view);
        set_walkers_scene_light();
        draw_mesh(blocky_figure);
        RgbImage image = grab();
        save_picture(image, name);
        return image;
    }

    // The colour drawn where a model point lands.
    std::array<int, 3> at(const RgbImage& image, const std::array<double, 3>& point) {
        int px = 0, py = 0;
        EXPECT_TRUE(project_to_pixel(point, width, height, px, py));
        return pixel_at(image, px, py);
    }

    GlTestContext ctx_{width, height};
};

std::string describe(const std::array<int, 3>& c) {
    return "rgb(" + std::to_string(c[0]) + ", " + std::to_string(c[1]) + ", " + std::to_string(c[2]) + ")";
}

#define EXPECT_COLOUR(test, colour) EXPECT_TRUE(test(colour)) << #test << " but got " << describe(colour)

const FigureView toy_front{0, 14, 1.5};
const FigureView toy_side{90, 14, 1.5};  // the figure faces to the right
const FigureView toy_three_quarter{-35, 14, 1.5, 12};

}  // namespace

TEST_F(FigurePictures, ToyFigureFromTheFrontShowsItsPartsInTheirColours) {
    const RgbImage image = render_toy(toy_front, "toy_figure_front");
    const double head_x = -0.004, face_z = 1.0;
    EXPECT_COLOUR(looks_yellow, at(image, {head_x, 4.75, face_z}));                           // forehead
    EXPECT_COLOUR(looks_black, at(image, {head_x + std::sin(0.34), 4.30, std::cos(0.34)}));  // left eye
    EXPECT_COLOUR(looks_black, at(image, {head_x - std::sin(0.34), 4.30, std::cos(0.34)}));  // right eye
    EXPECT_COLOUR(looks_black, at(image, {head_x, 3.62, face_z}));                            // smile
    EXPECT_COLOUR(looks_yellow, at(image, {head_x, 3.35, face_z}));                           // chin
    EXPECT_COLOUR(looks_red, at(image, {0, 1.2, 0.66}));                                      // chest
    EXPECT_COLOUR(looks_red, at(image, {2.05, 1.2, 0.2}));                                    // left upper arm
    EXPECT_COLOUR(looks_blue, at(image, {0.9, -0.9, 0.7}));                                   // waist
    EXPECT_COLOUR(looks_blue, at(image, {1.0, -2.5, 0.62}));                                  // left leg
    EXPECT_COLOUR(looks_blue, at(image, {-1.0, -2.5, 0.62}));                                 // right leg
    EXPECT_COLOUR(looks_background, at(image, {0, -2.5, 0.62}));                              // gap between the legs
    EXPECT_COLOUR(looks_background, at(image, {0, 7, 0}));                                    // above the head
    EXPECT_COLOUR(looks_background, pixel_at(image, 0, 0));
}

TEST_F(FigurePictures, ToyFigureFromTheSideHasFeetAndHandsForward) {
    const RgbImage image = render_toy(toy_side, "toy_figure_side");
    render_toy(toy_three_quarter, "toy_figure_three_quarter");
    render_toy({-30, 6, 2.5, 15}, "toy_figure_close_up");
    begin_figure_view(toy_side);
    EXPECT_FALSE(looks_background(at(image, {1.0, -3.8, 0.9})));  // toe
    EXPECT_COLOUR(looks_background, at(image, {1.0, -2.5, 1.0}));  // in front of the shin
    EXPECT_FALSE(looks_background(at(image, {0, 1.0, 0})));        // torso
    EXPECT_COLOUR(looks_background, at(image, {0, 1.0, 1.6}));      // well in front of the chest
    EXPECT_COLOUR(looks_background, at(image, {0, 1.0, -1.2}));     // behind the back
}

TEST_F(FigurePictures, ToyFigureMidStrideSwingsHandsAndFeet) {
    // Hands at rest and where the widest stride swings them; checked from
    // the left side, where the left arm and leg are nearest.
    const MeshObject* larm = find_mesh_object(toy_figure, "larm");
    const MeshObject* lfoot = find_mesh_object(toy_figure, "lfoot");
    const auto hand = mean_point(object_points(toy_figure, "larm", "larm_yellow"));
    std::vector<std::array<double, 3>> toes;
    for (const auto& p : object_points(toy_figure, "lfoot"))
        if (p[1] < -3.5 && p[2] > 0.8) toes.push_back(p);
    const auto toe = mean_point(toes);

    for (int i = 0; i < 4; ++i) {
        pose_walker(toy_figure, static_cast<float>(i * std::numbers::pi / 20));
        render_toy(toy_side, ("toy_stride_side_" + std::to_string(i)).c_str());
        render_toy(toy_three_quarter, ("toy_stride_three_quarter_" + std::to_string(i)).c_str());
    }
    pose_walker(toy_figure, static_cast<float>(std::numbers::pi / 10));  // left arm forward, left leg back
    FigureView left_side = toy_side;
    left_side.turn_degrees = -90;
    const RgbImage image = render_toy(left_side, "toy_stride_left_side");
    const auto swung_hand = rotate_about(hand, larm->pivot->pivot_point, larm->pivot->axis, larm->angle);
    const auto swung_toe = rotate_about(toe, lfoot->pivot->pivot_point, lfoot->pivot->axis, lfoot->angle);
    EXPECT_GT(swung_hand[2], hand[2] + 0.8);
    EXPECT_LT(swung_toe[2], toe[2] - 1.0);
    EXPECT_FALSE(looks_background(at(image, swung_hand)));
    EXPECT_FALSE(looks_background(at(image, swung_toe)));
    EXPECT_COLOUR(looks_background, at(image, {hand[0], hand[1] - 0.3, hand[2] + 0.2}));  // the hand has left
}

TEST_F(FigurePictures, RowOfWalkersShowsThreeFigures) {
    const FigureView view{0, 24, 1.0, 10};
    begin_figure_view(view);
    draw_walkers(3, 0.3f);
    const RgbImage image = grab();
    save_picture(image, "toy_walkers_row");
    // Foreheads of the three copies, lowered by the bob sin(3) / 10 - 0.5.
    const double bob = std::sin(3.0) / 10 - 0.5;
    for (double x : {-7.0, 0.0, 7.0}) EXPECT_COLOUR(looks_yellow, at(image, {x, 4.75 + bob, 0.95}));
    EXPECT_COLOUR(looks_background, at(image, {-3.5, 4.75 + bob, 0.95}));  // between two heads
}

TEST_F(FigurePictures, BlockyFigureFromTheFrontShowsItsBricks) {
    const RgbImage image = render_blocky({0, 14, 1.8}, "blocky_figure_front");
    EXPECT_COLOUR(looks_yellow, at(image, {0, 3.0, 1}));      // face
    // The black pieces are shiny (specular 1, shininess 100): dark, not black.
    EXPECT_COLOUR(looks_dark, at(image, {0.45, 3.517, 1.036}));  // eye
    EXPECT_COLOUR(looks_dark, at(image, {0, 2.52, 1.03}));   // mouth
    EXPECT_COLOUR(looks_red, at(image, {0, 0.2, 1}));         // body
    EXPECT_COLOUR(looks_blue, at(image, {-1, -2.6, 1}));      // leg
    EXPECT_COLOUR(looks_white, at(image, {2.5, 0.2, 1}));     // arm
    EXPECT_COLOUR(looks_yellow, at(image, {2.5, -1.0, 0.5})); // hand
    EXPECT_COLOUR(looks_dark, at(image, {-0.7, 5.8, -0.5 + std::sqrt(0.51)}));  // hat, away from its shine
    EXPECT_COLOUR(looks_background, at(image, {0, 7.5, 0}));
}

TEST_F(FigurePictures, BlockyFigureFromTheSideCarriesItsBackpack) {
    const RgbImage image = render_blocky({90, 14, 1.8}, "blocky_figure_side");
    render_blocky({-35, 14, 1.8, 12}, "blocky_figure_three_quarter");
    begin_figure_view({90, 14, 1.8});
    EXPECT_FALSE(looks_background(at(image, {0, 1.0, -2.2})));  // backpack
    EXPECT_COLOUR(looks_background, at(image, {0, -1.5, -2.2}));  // nothing below it
    EXPECT_COLOUR(looks_background, at(image, {0, 1.0, 1.5}));    // nothing in front
}
