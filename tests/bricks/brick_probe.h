// What a draw call emits on the real driver, captured in GL feedback mode
// and mapped back into the frame the call starts in, then searched for the
// parts of bricks by their exact sizes.
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "support/gl_test_context.h"

struct Vec3 { double x = 0, y = 0, z = 0; };
bool near(Vec3 a, Vec3 b, double tolerance = 2e-3);

struct Probe {
    // colour: palette index by the hue of the first corner, 6 for black, -1 for none.
    struct Polygon { std::vector<Vec3> corners; int colour; };
    // centre: from its front wall and the depth of 2 that every brick probed here has.
    struct Brick { Vec3 centre; double width; int colour; };
    // top: centre of the cap; corners: the first rim corner of each cap facet.
    struct Stud { Vec3 top; std::vector<Vec3> corners; };
    std::vector<Polygon> polygons;  // in the order GL emitted them
    std::vector<Brick> bricks;
    std::vector<Stud> studs;
    std::vector<Vec3> tubes;  // axis at mid-height; on whole x and z wherever these tests put tubes
    int width_at(Vec3 centre) const;  // of the brick centred there, 0 for none
};

// Runs `draw` under an orthographic view of [-64, 64] in every direction,
// seen from above, in front and to the left, so that no face is edge-on and
// front walls, stud caps and (unculled) tubes all show. Light 0 shines from
// the viewer with no ambient or specular part, so a face keeps its diffuse
// hue.
Probe probe(const std::function<void()>& draw);

// Whether face culling is on after `draw` runs with it switched on or off.
bool culling_after(bool before, const std::function<void()>& draw);

// A test with a GL context of its own (one per process).
class GlTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_GL_CONTEXT(gl); }
    GlTestContext gl;
};
