// bricks_gallery: renders the brick builder's output the way the show
// lights it, for people to look at. Not a test; writes PNGs.
//
//   bricks_gallery <output folder>
#include <SDL_opengl.h>

#include <cstdio>
#include <functional>
#include <string>

#include "bricks/brick.h"
#include "bricks/block_text.h"
#include "bricks/display_lists.h"
#include "support/scene_view.h"
#include "synth/synth.h"

namespace {

struct View {
    const char* name;
    float grey;  // background
    std::function<void()> draw;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: bricks_gallery <output folder>\n");
        return 2;
    }
    const std::string folder = argv[1];
    GlTestContext context(640, 480);
    if (!context.ok()) {
        std::fprintf(stderr, "bricks_gallery: no GL context: %s\n", context.error());
        return 1;
    }
    // Start-up order, the synthesizer's rand() draws first.
    init_synth();
    build_shape_lists();
    build_floor_list();
    glEnable(GL_LIGHTING);
    glShadeModel(GL_SMOOTH);
    glCullFace(GL_BACK);
    glEnable(GL_CULL_FACE);
    glEnable(GL_LIGHT0);
    glEnable(GL_DEPTH_TEST);
    build_spiral_lists();
    build_arc_list();
    build_glyph_index();
    build_brick_lists();

    const View views[] = {
        {"brick_2x2_above", 0.25f, [] {
             glTranslatef(0, 0, -5); glRotatef(30, 1, 0, 0); glRotatef(-30, 0, 1, 0);
             draw_brick(2, 2, 8, 8, 1.0f, 0.1f, 0.0f); }},
        {"brick_2x2_below", 0.25f, [] {
             glTranslatef(0, 0, -5); glRotatef(-55, 1, 0, 0); glRotatef(-30, 0, 1, 0);
             draw_brick(2, 2, 8, 8, 1.0f, 0.1f, 0.0f); }},
        {"brick_4x2_below", 0.25f, [] {
             glTranslatef(0, 0, -6); glRotatef(-60, 1, 0, 0); glRotatef(-20, 0, 1, 0);
             draw_brick(4, 2, 8, 8, 1.0f, 1.0f, 0.0f); }},
        {"bricks_mixed", 0.25f, [] {
             glTranslatef(0, -1, -9); glRotatef(25, 1, 0, 0); glRotatef(-20, 0, 1, 0);
             glPushMatrix(); glTranslatef(-3, 0, 0); draw_brick(1, 2, 6, 6, 0.05f, 0.05f, 0.9f); glPopMatrix();
             glPushMatrix(); glTranslatef(0, 0, 0); draw_brick(3, 2, 4, 4, 1.0f, 1.0f, 1.0f); glPopMatrix();
             glPushMatrix(); glTranslatef(3.5f, 0, 0); draw_brick(2, 2, 0, 6, 0.3f, 0.7f, 0.2f); glPopMatrix();
             glPushMatrix(); glTranslatef(0, 1.2f, 0); draw_brick(2, 2, 8, 8, 1.0f, 0.1f, 0.0f); glPopMatrix(); }},
        {"word_toyz", 0.0f, [] { glTranslatef(0, 0, -30); draw_block_text("toyz", 4, 0, 1); }},
        {"word_walking", 0.0f, [] { glTranslatef(0, 0, -40); draw_block_text("walking", 5, 0, 1); }},
        {"word_smiling", 0.0f, [] { glTranslatef(0, 0, -40); draw_block_text("smiling", 5, 0, 1); }},
        {"word_tumbo_with_plate", 0.0f, [] {
             glTranslatef(0, -2, -24); glRotatef(24, 1, 0, 0);
             draw_block_text("tumbo", 2, 0, 1); glTranslatef(0, 0, -6); draw_block_text("otumbol", 3, 1, 18); }},
        {"word_orvanet_plate", 0.0f, [] {
             glTranslatef(0, -2, -32); glRotatef(20, 1, 0, 0);
             draw_block_text(" orvanet ", 2, 0, 1); glTranslatef(0, 0, -6); draw_block_text(" orvanet ", 3, 1, 18); }},
        {"word_alphabet", 0.0f, [] { glTranslatef(0, 0, -75); glRotatef(10, 1, 0, 0); glTranslatef(0, 7, 0);
             draw_block_text("abcdefghijklm", 1, 0, 1); glTranslatef(0, -14, 0);
             draw_block_text("nopqrstuvwxyz", 2, 0, 1); glTranslatef(0, -14, 0);
             draw_block_text("0123456789", 4, 0, 1); }},
        {"word_from_below", 0.0f, [] { glTranslatef(0, 6, -34); glRotatef(-40, 1, 0, 0); glRotatef(20, 0, 1, 0);
             draw_block_text("mools", 2, 0, 1); }},
        {"shape_trio", 0.0f, [] {
             glTranslatef(0, 0, -14); glRotatef(20, 1, 0, 0); glRotatef(25, 0, 1, 0);
             glCallList(shape_lists[0]); glCallList(shape_lists[1]); glCallList(shape_lists[2]); }},
        {"shape_box_1", 0.0f, [] { glTranslatef(0, 0, -20); glRotatef(20, 1, 0, 0); glRotatef(25, 0, 1, 0);
             glCallList(shape_lists[1]); }},
        {"floor_list", 0.0f, [] { glTranslatef(0, 0, -30); glCallList(floor_list); }},
        {"floor_list_tilted", 0.0f, [] { glTranslatef(-1, 0, -20); glRotatef(-35, 0, 1, 0); glCallList(floor_list); }},
        {"spirals", 0.0f, [] {
             glTranslatef(0, 0, -13); glRotatef(90, 1, 0, 0); glRotatef(-30, 0, 1, 0);
             glCallList(spiral_lists[0]); glRotatef(20, 0, 1, 0.1f); glRotatef(-10, 0, 0, 1); glTranslatef(0, -4, 0);
             glCallList(spiral_lists[1]); }},
        {"spirals_side", 0.0f, [] {
             glTranslatef(0, 0, -40); glRotatef(35, 1, 0, 0);
             glCallList(spiral_lists[0]); glTranslatef(0, -4, 0); glCallList(spiral_lists[1]); }},
        {"arc_ball", 0.0f, [] { glTranslatef(0, 0, -25); glRotatef(20, 1, 0, 0); glTranslatef(0, 50.0f / 6, 0);
             glCallList(arc_lists[0]); }},
        {"arc_ball_below", 0.0f, [] { glTranslatef(0, 0, -25); glRotatef(-60, 1, 0, 0); glTranslatef(0, 50.0f / 6, 0);
             glCallList(arc_lists[0]); }},
        {"plate_42", 0.0f, [] { glTranslatef(0, 0, -28); glRotatef(60, 1, 0, 0); glRotatef(20, 0, 1, 0);
             glCallList(brick_lists[4]); }},
        {"brick_lists_0_to_3", 0.3f, [] { glTranslatef(0, 0, -8); glRotatef(-35, 1, 0, 0);
             for (int i = 0; i < 4; ++i) { glPushMatrix(); glTranslatef(-4.5f + 3 * i, 0, 0); glCallList(brick_lists[i]); glPopMatrix(); } }},
    };
    for (const View& view : views) {
        begin_scene_frame(context, view.grey);
        glPushMatrix();
        view.draw();
        glPopMatrix();
        const std::string path = folder + "/" + view.name + ".png";
        if (!write_png(path, grab_frame(context))) {
            std::fprintf(stderr, "bricks_gallery: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
