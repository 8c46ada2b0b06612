// Geometry probes for brick tests: what a draw call emits, captured through
// GL feedback mode on the real driver and mapped back into the coordinates
// of the frame the call starts in, then searched for bricks, studs, tubes
// and faces.
#pragma once
#include <functional>
#include <vector>

struct Vec3 {
    double x = 0, y = 0, z = 0;
};
Vec3 operator+(Vec3 a, Vec3 b);
Vec3 operator-(Vec3 a, Vec3 b);
Vec3 operator*(double s, Vec3 a);
double dot(Vec3 a, Vec3 b);
Vec3 cross(Vec3 a, Vec3 b);
double length(Vec3 a);
bool near(Vec3 a, Vec3 b, double tolerance = 1e-3);

struct Triangle {
    Vec3 p[3];      // in the caller's frame, in the order GL emitted them
    Vec3 colour;    // lit colour of the first vertex (see capture_triangles)
    Vec3 normal() const;  // unit; the side from which the winding is counter-clockwise
    double area() const;
};

// Every non-degenerate triangle that `draw` emits, from both sides: the
// call runs twice, once culling back faces and once front faces, and
// triangles drawn with culling off (seen twice) are kept once. Sets up its
// own orthographic view, turned so that no face is seen edge-on, over
// [-extent, extent] in every direction, and lighting that makes each
// colour proportional to the material's diffuse colour (one white
// directional light from the viewer, no ambient, no specular).
std::vector<Triangle> capture_triangles(const std::function<void()>& draw, double extent = 64);

// Axis-aligned bricks found by their body's front wall (a face 1.2 high
// facing +z) paired with the back wall behind it.
struct FoundBrick {
    Vec3 centre;
    double width = 0, depth = 0;
    int colour = -1;  // palette index by hue, 6 for black, -1 for none
};
std::vector<FoundBrick> find_bricks(const std::vector<Triangle>& triangles);

// Stud caps: fans of triangles whose two sides from the stud centre are
// one stud radius long. Each stud once, with its facet count.
struct FoundStud {
    Vec3 centre;  // centre of the cap
    int facets = 0;
};
std::vector<FoundStud> find_studs(const std::vector<Triangle>& triangles);

// Underside tubes: the axis point half-way up each tube (side triangles
// with a 0.96 edge along the tube).
std::vector<Vec3> find_tubes(const std::vector<Triangle>& triangles);

// Palette index whose hue matches a lit colour (6 for black), -1 if none.
int palette_index_of(Vec3 colour);
