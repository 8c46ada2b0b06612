#include "bricks/brick.h"

#include <GL/gl.h>

#include <cmath>
#include <numbers>

namespace {

using namespace brick;

// One point of a ring of n facets: angle pi/4 + k * 2pi/n, evaluated in
// double precision and rounded to float when handed to GL. The first facet
// corner sits at 45 degrees, so a four-facet stud is a square prism with its
// corners on the diagonals. k = n closes the ring.
struct RingPoint {
    float sin, cos;
};

RingPoint ring_point(int k, int n) {
    const double step = 2.0 * std::numbers::pi / n;
    const double theta = std::numbers::pi / 4.0 + k * step;
    return {static_cast<float>(std::sin(theta)), static_cast<float>(std::cos(theta))};
}

// The points k = 0..n of one ring, worked out once for all the studs (or
// tubes) of a brick; rings of more than max_table_facets facets are worked
// out point by point.
struct Ring {
    static constexpr int max_table_facets = 64;
    int n;
    RingPoint table[max_table_facets + 1];

    explicit Ring(int facets) : n(facets) {
        for (int k = 0; k <= n && n <= max_table_facets; ++k) table[k] = ring_point(k, n);
    }
    RingPoint operator[](int k) const { return n <= max_table_facets ? table[k] : ring_point(k, n); }
};

// A vertex with its normal, in the brick's local frame.
struct Corner {
    float x, y, z;
    float nx, ny, nz;
};

// Sends triangles between begin() and glEnd(), each vertex with its own
// normal; a normal goes out only when it differs from the previous vertex's
// in the same pair (as a GL attribute it stays current). Vertices go out
// exactly as given: a part's place in its brick is a matrix change, since
// vertices moved on the CPU land a rounding step away from where the
// matrix puts them and flip pixels on the edges.
struct Triangles {
    float nx = NAN, ny = NAN, nz = NAN;  // the normal last sent; NaN: none yet

    void begin() {
        glBegin(GL_TRIANGLES);
        nx = ny = nz = NAN;
    }
    void corner(const Corner& c) {
        if (c.nx != nx || c.ny != ny || c.nz != nz) {
            glNormal3f(c.nx, c.ny, c.nz);
            nx = c.nx;
            ny = c.ny;
            nz = c.nz;
        }
        glVertex3f(c.x, c.y, c.z);
    }
    void triangle(const Corner& a, const Corner& b, const Corner& c) {
        corner(a);
        corner(b);
        corner(c);
    }
    // A GL_QUADS quad a, b, c, d, cut along b-d. The cut decides how the
    // lit corner colours blend across the face; this is the cut most of the
    // show's bricks (those in display lists) were always drawn with.
    void quad(const Corner& a, const Corner& b, const Corner& c, const Corner& d) {
        triangle(a, b, d);
        triangle(b, c, d);
    }
    // One quad of a GL_QUAD_STRIP: strip vertices s0, s1, s2, s3 (the quad
    // s0, s1, s3, s2), cut along s0-s3.
    void strip_quad(const Corner& s0, const Corner& s1, const Corner& s2, const Corner& s3) {
        triangle(s0, s1, s3);
        triangle(s2, s0, s3);
    }
};

// The faceted wall of a stud or tube: a ring of n facets around the part's
// y axis, from y = top down to y = bottom, normals pointing outwards at the
// facet corners (a quad strip, top then bottom at each corner).
void draw_ring_wall(Triangles& out, const Ring& ring, float radius, float top, float bottom) {
    RingPoint p = ring[0];
    Corner upper{radius * p.sin, top, radius * p.cos, p.sin, 0.0f, p.cos};
    Corner lower{radius * p.sin, bottom, radius * p.cos, p.sin, 0.0f, p.cos};
    for (int k = 1; k <= ring.n; ++k) {
        p = ring[k];
        const Corner next_upper{radius * p.sin, top, radius * p.cos, p.sin, 0.0f, p.cos};
        const Corner next_lower{radius * p.sin, bottom, radius * p.cos, p.sin, 0.0f, p.cos};
        out.strip_quad(upper, lower, next_upper, next_lower);
        upper = next_upper;
        lower = next_lower;
    }
}

// One stud standing on the body top at the part's origin: a faceted side
// (normals pointing at the facet corners, so it shades like a cylinder) and
// a flat cap, a fan of n triangles around its centre. (The fan this stands
// for sent every rim point twice in a row; the degenerate triangles in
// between drew nothing and are left out.)
void draw_stud(Triangles& out, const Ring& ring) {
    draw_ring_wall(out, ring, stud_radius, stud_top, body_height);

    const Corner centre{0.0f, stud_top, 0.0f, 0.0f, 1.0f, 0.0f};
    for (int k = 0; k < ring.n; ++k) {
        const RingPoint a = ring[k];
        const RingPoint b = ring[k + 1];
        out.triangle(centre, {stud_radius * a.sin, stud_top, stud_radius * a.cos, 0.0f, 1.0f, 0.0f},
                     {stud_radius * b.sin, stud_top, stud_radius * b.cos, 0.0f, 1.0f, 0.0f});
    }
}

// A face of the body or hollow: four corners in GL_QUADS order, one normal.
void face(Triangles& out, float nx, float ny, float nz, const float (&v)[4][3]) {
    Corner c[4];
    for (int i = 0; i < 4; ++i) c[i] = {v[i][0], v[i][1], v[i][2], nx, ny, nz};
    out.quad(c[0], c[1], c[2], c[3]);
}

// The body's four walls and, when it has studs, its top. Local frame: x in
// [0, w], y in [0, 1.2], z in [-d, 0]. It never has a flat bottom.
void draw_body(Triangles& out, float w, float d, bool top) {
    const float h = body_height;
    face(out, 0, 0, 1, {{0, 0, 0}, {w, 0, 0}, {w, h, 0}, {0, h, 0}});       // front
    face(out, -1, 0, 0, {{0, 0, 0}, {0, h, 0}, {0, h, -d}, {0, 0, -d}});    // left
    face(out, 1, 0, 0, {{w, 0, 0}, {w, 0, -d}, {w, h, -d}, {w, h, 0}});     // right
    face(out, 0, 0, -1, {{0, 0, -d}, {0, h, -d}, {w, h, -d}, {w, 0, -d}});  // back
    if (top) face(out, 0, 1, 0, {{0, h, 0}, {w, h, 0}, {w, h, -d}, {0, h, -d}});
}

// The open underside: the rim ring at y = 0 between the outer edge and the
// inner edge one wall thickness inside it (a quad strip), then the hollow's
// ceiling and inner walls, all facing into the hollow.
void draw_rim_and_hollow(Triangles& out, float w, float d) {
    const float t = wall;
    const float x1 = w - t;   // inner right edge
    const float z1 = -d + t;  // inner far edge
    const float c = hollow_ceiling;

    // Outer and inner corner by turns, around and back to the start.
    const float rim[10][2] = {{0, 0}, {t, -t}, {w, 0}, {x1, -t}, {w, -d}, {x1, z1}, {0, -d}, {t, z1}, {0, 0}, {t, -t}};
    for (int k = 0; k + 3 < 10; k += 2) {
        Corner s[4];
        for (int i = 0; i < 4; ++i) s[i] = {rim[k + i][0], 0.0f, rim[k + i][1], 0.0f, -1.0f, 0.0f};
        out.strip_quad(s[0], s[1], s[2], s[3]);
    }

    // Ceiling: the downward normal of the rim.
    face(out, 0, -1, 0, {{t, c, z1}, {x1, c, z1}, {x1, c, -t}, {t, c, -t}});
    face(out, 0, 0, 1, {{t, 0, z1}, {x1, 0, z1}, {x1, c, z1}, {t, c, z1}});      // far inner wall
    face(out, 0, 0, -1, {{x1, 0, -t}, {t, 0, -t}, {t, c, -t}, {x1, c, -t}});     // near inner wall
    face(out, 1, 0, 0, {{t, 0, -t}, {t, 0, z1}, {t, c, z1}, {t, c, -t}});        // left inner wall
    face(out, -1, 0, 0, {{x1, 0, z1}, {x1, 0, -t}, {x1, c, -t}, {x1, c, z1}});   // right inner wall
}

// One open tube from the rim plane's wall height up to the ceiling, at the
// part's origin. No caps; culling is off so its inside shows too.
void draw_tube(Triangles& out, const Ring& ring) { draw_ring_wall(out, ring, tube_radius, hollow_ceiling, wall); }

}  // namespace

void draw_brick_in(BrickRun& run, int width, int depth, int stud_segments, int underside_segments, float r, float g,
                   float b) {
    if (width < 1 || depth < 1 || stud_segments < 0 || underside_segments < 0) return;

    const bool was_culling = run.culling >= 0 ? run.culling != 0 : glIsEnabled(GL_CULL_FACE) == GL_TRUE;
    // On return: on without an underside, else as found.
    if (run.culling >= 0) run.culling = underside_segments == 0 || was_culling ? 1 : 0;

    const GLfloat diffuse[] = {r, g, b, 1.0f};
    const GLfloat specular[] = {1.0f, 1.0f, 1.0f, 1.0f};
    const GLfloat ambient[] = {0.1f, 0.1f, 0.1f, 1.0f};
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 100.0f);

    const float w = static_cast<float>(width);
    const float d = static_cast<float>(depth);
    glPushMatrix();
    // Into the local frame: body from (0, 0, 0) to (w, 1.2, -d).
    glTranslatef(-w / 2.0f, -body_height / 2.0f, d / 2.0f);
    glEnable(GL_CULL_FACE);

    Triangles out;
    if (stud_segments != 0) {
        const Ring ring(stud_segments);
        for (int i = 0; i < depth; ++i) {
            glPushMatrix();
            glTranslatef(0.5f, 0.0f, -0.5f - static_cast<float>(i));  // first stud centre of row i
            for (int j = 0; j < width; ++j) {
                out.begin();
                draw_stud(out, ring);
                glEnd();
                glTranslatef(1.0f, 0.0f, 0.0f);
            }
            glPopMatrix();
        }
    }
    out.begin();
    draw_body(out, w, d, stud_segments != 0);
    if (underside_segments != 0) draw_rim_and_hollow(out, w, d);
    glEnd();

    if (underside_segments != 0) {
        glDisable(GL_CULL_FACE);
        // Tubes stand only at interior grid points, where four studs meet.
        if (width > 1 && depth > 1) {
            const Ring ring(underside_segments);
            for (int z = -1; z >= -(depth - 1); --z) {
                for (int x = 1; x <= width - 1; ++x) {
                    glPushMatrix();
                    glTranslatef(static_cast<float>(x), 0.0f, static_cast<float>(z));
                    out.begin();
                    draw_tube(out, ring);
                    glEnd();
                    glPopMatrix();
                }
            }
        }
    }

    if (was_culling) glEnable(GL_CULL_FACE);
    glPopMatrix();
}

void draw_brick(int width, int depth, int stud_segments, int underside_segments, float r, float g, float b) {
    BrickRun run;
    draw_brick_in(run, width, depth, stud_segments, underside_segments, r, g, b);
}
