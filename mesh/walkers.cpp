// Walk cycle and the rows of walking figures.
#include "mesh/walkers.h"

#include <GL/gl.h>

#include <cmath>
#include <numbers>

#include "mesh/figures.h"
#include "mesh/mesh_draw.h"

namespace {
constexpr double stride_rate = 5.0;   // rad/s: one step cycle every 2 pi / 5 s
constexpr double arm_swing = 60.0;    // degrees each way
constexpr double arm_carry = 10.0;    // degrees, both arms carried the same way
constexpr double head_turn = 15.0;    // degrees each way about the vertical
constexpr double leg_swing = 40.0;    // degrees each way
constexpr double bob_rate = 10.0;     // rad/s: the bob runs twice as fast as the stride
constexpr double bob_height = 0.1;    // units up and down
constexpr double bob_base = -0.5;     // units: the row walks a little low
constexpr double sway_degrees = 2.0;  // each way, about the view axis
constexpr float copy_spacing = 7.0f;  // units between neighbours in the row

void set_angle(Mesh& figure, const char* name, double degrees) {
    if (MeshObject* o = find_mesh_object(figure, name)) o->angle = static_cast<float>(degrees);
}
}  // namespace

void pose_walker(Mesh& figure, float t) {
    const double step = stride_rate * t;
    set_angle(figure, "rarm", arm_swing * std::sin(-step) + arm_carry);
    set_angle(figure, "larm", arm_swing * std::sin(-step) - arm_carry);
    set_angle(figure, "head", head_turn * std::sin(step));
    set_angle(figure, "lfoot", leg_swing * std::sin(step));
    set_angle(figure, "rfoot", leg_swing * std::sin(step));
}

void draw_walkers(int walker_count, float t) {
    glPushMatrix();
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glEnable(GL_LIGHTING);
    glTranslatef(0.0f, static_cast<float>(std::sin(bob_rate * t) * bob_height + bob_base), 0.0f);
    pose_walker(toy_figure, t);
    const int copies = walker_count == 2 ? 2 : 3;
    glTranslatef(copy_spacing / 2 - copy_spacing / 2 * static_cast<float>(walker_count), 0.0f, 0.0f);
    const float sway = static_cast<float>(sway_degrees * std::sin(-stride_rate * t - std::numbers::pi / 2));
    for (int i = 0; i < copies; ++i) {
        glPushMatrix();
        glTranslatef(copy_spacing * static_cast<float>(i), 0.0f, 0.0f);
        glRotatef(sway, 0.0f, 0.0f, 1.0f);
        draw_mesh(toy_figure);
        glPopMatrix();
    }
    glPopMatrix();
}
