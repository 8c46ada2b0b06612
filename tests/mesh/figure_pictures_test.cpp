// Renders the two figures as the demo lights them, writes the pictures for
// people to look at (build/test-output/*.png), and checks that the parts
// show in their colours where the model puts them.
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

RgbImage grab(const GlTestContext& ctx) {
    RgbImage image;
    image.width = ctx.width();
    image.height = ctx.height();
    image.rgb = ctx.read_rgb();
    return image;
}

RgbImage render_toy(const GlTestContext& ctx, const FigureView& view) {
    begin_figure_view(view);
    draw_mesh(toy_figure);
    return grab(ctx);
}

RgbImage render_blocky(const GlTestContext& ctx, const FigureView& view) {
    begin_figure_view(view);
    set_walkers_scene_light();
    draw_mesh(blocky_figure);
    return grab(ctx);
}
}  // namespace

TEST(FigurePictures, Render) {
    GlTestContext ctx(width, height);
    ASSERT_GL_CONTEXT(ctx);
    decode_figures();
    save_picture(render_toy(ctx, {0, 14, 1.5}), "toy_figure_front");
    save_picture(render_toy(ctx, {90, 14, 1.5}), "toy_figure_side");
    save_picture(render_toy(ctx, {-35, 14, 1.5, 12}), "toy_figure_three_quarter");
    save_picture(render_toy(ctx, {-30, 6, 2.5, 15}), "toy_figure_close_up");
    save_picture(render_blocky(ctx, {0, 14, 1.8}), "blocky_figure_front");
    save_picture(render_blocky(ctx, {90, 14, 1.8}), "blocky_figure_side");
    save_picture(render_blocky(ctx, {-35, 14, 1.8, 12}), "blocky_figure_three_quarter");
    for (int i = 0; i < 4; ++i) {
        const float t = static_cast<float>(i * std::numbers::pi / 20);
        pose_walker(toy_figure, t);
        save_picture(render_toy(ctx, {90, 14, 1.5}), "toy_stride_side_" + std::to_string(i));
        save_picture(render_toy(ctx, {-35, 14, 1.5, 12}), "toy_stride_three_quarter_" + std::to_string(i));
    }
    begin_figure_view({0, 24, 1.0, 10});
    draw_walkers(3, 0.3f);
    save_picture(grab(ctx), "toy_walkers_row");
}
