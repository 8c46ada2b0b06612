// The GL switches and light 0, set the same way by start-up (the global
// state between the start-up lists), by every scene effect before it draws
// and by the scenes that light their own pieces. Render thread, with the GL
// context current; state only, nothing is kept here.
#pragma once
#include <GL/gl.h>

namespace gl_setup {

// The switches: lighting, smooth shading, back faces culled, culling on,
// light 0 on, lights 1 to `last_light_off` off (0: none; the arc swing
// leaves light 3 alone, start-up touches none), depth test.
inline void set_switches(int last_light_off = 3) {
    glEnable(GL_LIGHTING);
    glShadeModel(GL_SMOOTH);
    glCullFace(GL_BACK);
    glEnable(GL_CULL_FACE);
    glEnable(GL_LIGHT0);
    for (int i = 1; i <= last_light_off; ++i) glDisable(GL_LIGHT0 + i);
    glEnable(GL_DEPTH_TEST);
}

// Light 0's colours and position (a point light, w = 1), taken in the
// current modelview frame. Diffuse and specular are white wherever the show
// sets light 0.
inline void set_light0(float ambient_grey, float x, float y, float z) {
    const GLfloat white[] = {1, 1, 1, 1};
    const GLfloat ambient[] = {ambient_grey, ambient_grey, ambient_grey, 1};
    const GLfloat position[] = {x, y, z, 1};
    glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    glLightfv(GL_LIGHT0, GL_SPECULAR, white);
    glLightfv(GL_LIGHT0, GL_POSITION, position);
}

// Light 0's distance attenuation (the constant term stays at its default 1).
inline void set_light0_attenuation(float quadratic, float linear) {
    glLightf(GL_LIGHT0, GL_QUADRATIC_ATTENUATION, quadratic);
    glLightf(GL_LIGHT0, GL_LINEAR_ATTENUATION, linear);
}

}  // namespace gl_setup
