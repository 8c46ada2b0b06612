// The show's fixed projection, loaded at the start of every frame and by
// whatever renders frames the way the show does (picture tests, benchmarks).
// Main thread, with a GL context current.
#pragma once
#include <SDL_opengl.h>

// Loads the perspective frustum as the projection matrix, then selects the
// modelview matrix and resets it to identity. The frustum is 4:3 like the
// viewport (core/viewport.h): 2 x 1.5 units wide and high at the near plane
// at distance 1; the far plane is at 10000.
inline void load_show_projection() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-1, 1, -0.75, 0.75, 1, 10000);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}
