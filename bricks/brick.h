// Brick builder: one toy brick drawn with fixed-function OpenGL in immediate
// mode. A box-shaped body with cylindrical studs on top and, on request, the
// open underside (rim, hollow and tubes). Every brick of the show comes from
// here, either directly in the frame loop or while a display list is being
// compiled; both behave the same.
//
// Every face reaches GL as independent triangles (GL_TRIANGLES), so that
// each stud, each tube and the rest of a brick are one run of primitives
// each, which the driver draws in one go instead of several short ones.
// The quads, quad strips and fans they stand for are cut one fixed way,
// whatever the driver, the render mode or a list being compiled (see
// draw_ring_wall and Triangles::quad in brick.cpp): a brick drawn directly
// and the same brick replayed from a list are the same triangles. Studs
// and tubes are placed by matrix changes: vertices moved on the CPU would
// land a rounding step away and flip pixels on the edges.
//
// Thread: the main (render) thread only, with the GL context current.
// Ownership: no state of its own. A call leaves behind the material it set
// (front and back), the last normal, and the face-culling switch described
// at draw_brick.
#pragma once

// Geometry, in stud pitches (one unit between neighbouring stud centres).
namespace brick {
constexpr float body_height = 1.2f;     // the body spans local y 0..1.2
constexpr float stud_radius = 0.3f;
constexpr float stud_top = 1.45f;       // local y; studs stand 0.25 above the body
constexpr float wall = 0.12f;           // wall thickness of the open underside
constexpr float hollow_ceiling = 1.08f; // local y of the hollow's ceiling
constexpr float tube_radius = 0.35f;    // tubes span local y 0.12..1.08
}  // namespace brick

// Draws one brick centred on the current modelview origin: x in
// [-width/2, width/2], y in [-0.6, 0.6] (studs to 0.85), z in
// [-depth/2, depth/2]. Stud centres lie at x = -width/2 + 0.5 + j,
// z = depth/2 - 0.5 - i.
//
//   width, depth        size in stud pitches along x and z (>= 1)
//   stud_segments       facets per stud; 0 = no studs and no top face
//   underside_segments  facets per tube; 0 = no bottom geometry at all
//   r, g, b             diffuse colour
//
// Sets the material for front and back faces: diffuse (r, g, b, 1),
// specular white, ambient 0.1 grey, shininess 100; it stays set.
//
// Face culling: the call enables culling for the body and studs and turns
// it off for the tubes. On return culling is enabled after a brick without
// an underside, and after a brick with one only if it was enabled on entry.
// The entry state is queried at call time, also while a display list is
// being compiled, so a list records the re-enabling only if culling was on
// when it was compiled.
//
// A width or depth below 1 or a negative segment count draws nothing and
// changes no GL state. The modelview matrix is the same on return.
void draw_brick(int width, int depth, int stud_segments, int underside_segments, float r, float g, float b);

// What a brick drawn among others of the same drawing (a grid of bricks)
// is told instead of asking GL.
struct BrickRun {
    // The face-culling switch the brick will find when its commands run: 0
    // off, 1 on; it is then not read from GL, and is kept up to date here
    // for the next brick. -1: read with glIsEnabled at call time, as
    // draw_brick does (while a list is compiled, that is the state outside
    // the list).
    int culling = -1;
};

// draw_brick, told the culling switch by `run` (see there); draw_brick is
// draw_brick_in with a default BrickRun.
void draw_brick_in(BrickRun& run, int width, int depth, int stud_segments, int underside_segments, float r, float g,
                   float b);
