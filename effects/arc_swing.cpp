// The arc swing: the brick ball tumbling close in front of the camera.
#include "bricks/display_lists.h"
#include "bricks/gl_setup.h"
#include "effects/effects.h"

void draw_arc_swing(float t) {
    glPushMatrix();
    gl_setup::set_switches(2);  // light 3 is left as it is
    // A light at the caller's origin, not attenuated.
    gl_setup::set_light0(0.2f, 0.0f, 0.0f, 0.0f);
    gl_setup::set_light0_attenuation(0.0f, 0.0f);

    glTranslatef(0.0f, 0.0f, -7.8f);
    glRotatef(10.0f * t, 0.0f, 1.0f, 0.0f);
    glRotatef(80.0f * t, 1.0f, 0.0f, 0.0f);  // eight times the turn about y
    // The ball's centre lies 50/6 below the list's origin; 8 up brings it to
    // 1/3 below the rotation centre, so it tumbles nearly in place.
    glTranslatef(0.0f, 8.0f, 0.0f);
    glCallList(brick_state.arc_lists[0]);
    glPopMatrix();
}
