// The floor tunnel: six copies of the ringed floor list flying past.
#include <cmath>
#include <numbers>

#include "bricks/display_lists.h"
#include "bricks/gl_setup.h"
#include "effects/effects.h"

namespace {
constexpr int ring_count = 6;
constexpr float ring_spacing = 10.0f;  // units between neighbouring rings along z
constexpr double ring_speed = 25.0;    // units per second towards the viewer
}  // namespace

void draw_floor_tunnel(int direction, float t) {
    glPushMatrix();
    gl_setup::set_switches();
    // C fmod: the remainder keeps the sign of 25 t, so for negative t the
    // phase lies in (-10, 0] and the rings move away.
    const float phase = static_cast<float>(std::fmod(ring_speed * t, ring_spacing));
    // The light sits 3 units behind the caller's origin.
    gl_setup::set_light0(0.0f, 0.0f, 0.0f, -3.0f);
    gl_setup::set_light0_attenuation(0.002f, 0.0f);

    glRotatef(static_cast<float>(20.0 * std::sin(0.5 * t)), 0.0f, 1.0f, 0.0f);
    glTranslatef(0.0f, 0.0f, direction == 1 ? -60.0f : -50.0f);
    glRotatef(static_cast<float>(80.0 * std::sin(t / 20.0)), 0.0f, 0.0f, 1.0f);
    const float two_t = 2.0f * t;  // formed in single precision
    for (int i = 0; i < ring_count; ++i) {
        glPushMatrix();
        glTranslatef(0.0f, 0.0f, ring_spacing * static_cast<float>(i) + phase);
        glRotatef(static_cast<float>(40.0 * std::sin(2.0 * std::numbers::pi * t / 10.0 + phase / 20.0 + 0.5 * i)),
                  0.0f, 0.0f, 1.0f);
        glRotatef(static_cast<float>(20.0 * std::sin(two_t)), 0.0f, 1.0f, 0.0f);
        glTranslatef(static_cast<float>(std::sin(phase / 10.0 + t / 20.0 + i)), 0.0f, 0.0f);
        glCallList(brick_state.floor_list);
        glPopMatrix();
    }
    glPopMatrix();
    // Later users of light 0 expect no quadratic falloff.
    glLightf(GL_LIGHT0, GL_QUADRATIC_ATTENUATION, 0.0f);
}
