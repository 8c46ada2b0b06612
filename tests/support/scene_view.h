// Frames rendered the way the show renders them, for picture tests and
// benchmarks: the fixed projection, light 0 in eye space, two-sided lighting,
// depth test and back-face culling.
#pragma once
#include <string>

#include "support/gl_test_context.h"
#include "support/png_image.h"

// Clears to `grey` (0..1) and sets up projection, modelview identity, light
// 0 at eye-space `light_position` (a point) and the global switches.
void begin_scene_frame(const GlTestContext& context, float grey = 0.0f, float light_x = 2.0f,
                       float light_y = 6.0f, float light_z = 10.0f);

// The back buffer as an image.
RgbImage grab_frame(const GlTestContext& context);
