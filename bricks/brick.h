// Brick builder: one toy brick drawn with fixed-function OpenGL in immediate
// mode. A box-shaped body with cylindrical studs on top and, on request, the
// open underside (rim, hollow and tubes). Every brick of the show comes from
// here, either directly in the frame loop or while a display list is being
// compiled; both behave the same.
//
// Every face reaches GL as independent triangles (GL_TRIANGLES), split the
// way the driver splits the quads, quad strips and fans they stand for, so
// that each stud, each tube and the rest of a brick are one run of
// primitives each, which the driver draws in one go instead of several
// short ones. Studs and tubes are still placed by matrix changes, as
// before: vertices moved on the CPU would land a rounding step away and
// flip pixels on the edges.
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

// How a four-sided face is cut into two triangles. Mesa's software driver
// cuts a GL_QUADS quad (v0, v1, v2, v3) into (v0, v1, v3) and (v1, v2, v3)
// when it was recorded in a display list, and also when it is drawn
// directly and any vertex of its run of quads lies outside the view volume
// (the run is clipped) or GL is in feedback or selection mode; a directly
// drawn run wholly inside is cut into (v0, v1, v2) and (v0, v2, v3). The
// cut decides how the lit corner colours are blended across the face, and
// the order of the corners how a clipped face is cut again, so every quad
// keeps the cut it always had. Quad strips and fans are cut the same way in
// every case (each strip quad s0, s1, s3, s2 into (s0, s1, s3) and
// (s2, s0, s3); fans from their first vertex).
enum class QuadCut {
    where_drawn,  // as GL_QUADS would be where the call happens: the list cut while a list is compiled,
                  // else each run tested against the view volume of the current matrices
    unclipped,    // as a directly drawn run wholly inside the view volume
    listed,       // as recorded in a list
};

// What a brick drawn among others of the same drawing (a grid of bricks)
// is told instead of asking GL.
struct BrickRun {
    // The face-culling switch the brick will find when its commands run: 0
    // off, 1 on; it is then not read from GL, and is kept up to date here
    // for the next brick. -1: read with glIsEnabled at call time, as
    // draw_brick does (while a list is compiled, that is the state outside
    // the list).
    int culling = -1;
    QuadCut cut = QuadCut::where_drawn;
};

// Whether a display list is being compiled (GL_LIST_INDEX is not 0).
bool compiling_display_list();

// Whether every corner of the box [x0, x1] x [y0, y1] x [z0, z1], in the
// current modelview frame, lies inside the view volume of the current
// matrices: then no run of quads drawn inside it is clipped.
bool box_inside_view(double x0, double x1, double y0, double y1, double z0, double z1);

// draw_brick, told the culling switch and the quad cut by `run` (see
// there); draw_brick is draw_brick_in with a default BrickRun.
void draw_brick_in(BrickRun& run, int width, int depth, int stud_segments, int underside_segments, float r, float g,
                   float b);
