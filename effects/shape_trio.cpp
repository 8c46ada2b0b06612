// The shape trio: three nested brick frames rocking inside each other.
#include <cmath>

#include "bricks/display_lists.h"
#include "bricks/gl_setup.h"
#include "effects/effects.h"

void draw_shape_trio(float t) {
    glPushMatrix();
    gl_setup::set_switches();
    // Set before this effect's transforms: the light sits 2 units in front
    // of the caller's origin, softly attenuated with distance.
    gl_setup::set_light0(0.0f, 0.0f, 0.0f, 2.0f);
    gl_setup::set_light0_attenuation(0.001f, 0.0f);

    glTranslatef(0.0f, 0.0f, -14.0f);
    glRotatef(30.0f * t, 1.0f, 0.0f, 0.0f);  // the group tumbles, 30 degrees per second
    for (int i = 0; i < 3; ++i) {
        glPushMatrix();
        // One radian of phase between neighbours, so they swing in turn.
        glRotatef(static_cast<float>(40.0 * std::sin(3.0 * t - i)), 0.0f, 0.0f, 1.0f);
        glRotatef(static_cast<float>(15.0 * std::sin(1.1 * t - i)), 0.0f, 1.0f, 0.0f);
        glCallList(brick_state.shape_lists[i]);
        glPopMatrix();
    }
    glPopMatrix();
}
