// For the GL drawing tests: a fixed orthographic view, projection of model
// points to window coordinates the way feedback mode reports them, capture
// of every polygon whichever way it faces, and order-free comparison of
// point sets.
#pragma once
#include <array>
#include <functional>
#include <vector>

#include "support/feedback.h"

using Point3 = std::array<double, 3>;
using WindowPoint = std::array<double, 2>;

// An orthographic view of the box x -20..20, y -15..15, turned by an odd
// angle so that no face of the figures is seen exactly edge-on. Loads the
// identity modelview.
void load_test_view();

// Window coordinates (feedback mode's: x right, y up, in pixels) of a point
// under the current projection, the identity modelview and the viewport.
WindowPoint to_window(const Point3& p);

// Every polygon `draw` emits, front- or back-facing: captured once with
// counter-clockwise and once with clockwise front faces, because the code
// under test may turn culling on itself.
std::vector<FeedbackPolygon> capture_both_facings(const std::function<void()>& draw);

// All vertices of the captured polygons.
std::vector<WindowPoint> captured_points(const std::vector<FeedbackPolygon>& polygons);

// Points of `a` with no point of `b` within `tolerance` pixels.
std::vector<WindowPoint> unmatched(const std::vector<WindowPoint>& a, const std::vector<WindowPoint>& b,
                                   double tolerance);
