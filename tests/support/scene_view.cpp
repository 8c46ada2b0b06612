#include "support/scene_view.h"

#include <SDL_opengl.h>

#include "bricks/display_lists.h"
#include "bricks/gl_setup.h"
#include "core/projection.h"

void begin_scene_frame(const GlTestContext& context, float grey, float light_x, float light_y, float light_z) {
    glViewport(0, 0, context.width(), context.height());
    glClearColor(grey, grey, grey, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    load_show_projection();

    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 1);
    set_global_gl_state();
    gl_setup::set_light0(0.3f, light_x, light_y, light_z);
}

RgbImage grab_frame(const GlTestContext& context) {
    RgbImage image;
    image.width = context.width();
    image.height = context.height();
    image.rgb = context.read_rgb();
    return image;
}
