// Captures what GL draws, through feedback mode: every polygon that survives
// clipping and culling, with window-space positions and colours. Use it to
// count and place the geometry a call emits. (Culling applies: to see both
// sides, capture once with glCullFace(GL_BACK) and once with GL_FRONT, or
// disable culling where the code under test does not set it itself.)
#pragma once
#include <functional>
#include <vector>

struct FeedbackVertex {
    float x, y, z;     // window coordinates (z in 0..1)
    float r, g, b, a;  // colour after lighting
};

struct FeedbackPolygon {
    std::vector<FeedbackVertex> vertices;
};

// Runs `draw` in GL_FEEDBACK mode (GL_3D_COLOR) and returns the polygons.
// Points, lines and pass-through markers are skipped.
std::vector<FeedbackPolygon> capture_polygons(const std::function<void()>& draw);
