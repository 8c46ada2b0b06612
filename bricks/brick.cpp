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

// One stud standing on the body top at the current origin: a faceted side
// (normals pointing at the facet corners, so it shades like a cylinder) and
// a flat cap.
// The faceted wall of a stud or tube: one quad strip of n facets around the
// local y axis, from y = top down to y = bottom, normals pointing outwards at
// the facet corners.
void draw_ring_wall(int n, float radius, float top, float bottom) {
    glBegin(GL_QUAD_STRIP);
    for (int k = 0; k <= n; ++k) {
        const RingPoint p = ring_point(k, n);
        glNormal3f(p.sin, 0.0f, p.cos);
        glVertex3f(radius * p.sin, top, radius * p.cos);
        glVertex3f(radius * p.sin, bottom, radius * p.cos);
    }
    glEnd();
}

void draw_stud(int n) {
    draw_ring_wall(n, stud_radius, stud_top, body_height);

    glNormal3f(0.0f, 1.0f, 0.0f);
    glBegin(GL_TRIANGLE_FAN);
    glVertex3f(0.0f, stud_top, 0.0f);
    // Each rim point goes out twice in a row; the degenerate triangles in
    // between draw nothing.
    for (int k = 0; k < n; ++k) {
        const RingPoint a = ring_point(k, n);
        const RingPoint b = ring_point(k + 1, n);
        glVertex3f(stud_radius * a.sin, stud_top, stud_radius * a.cos);
        glVertex3f(stud_radius * b.sin, stud_top, stud_radius * b.cos);
    }
    glEnd();
}

// The body's four walls and, when it has studs, its top. Local frame: x in
// [0, w], y in [0, 1.2], z in [-d, 0]. It never has a flat bottom.
void draw_body(float w, float d, bool top) {
    const float h = body_height;
    glBegin(GL_QUADS);
    glNormal3f(0.0f, 0.0f, 1.0f);  // front
    glVertex3f(0, 0, 0); glVertex3f(w, 0, 0); glVertex3f(w, h, 0); glVertex3f(0, h, 0);
    glNormal3f(-1.0f, 0.0f, 0.0f);  // left
    glVertex3f(0, 0, 0); glVertex3f(0, h, 0); glVertex3f(0, h, -d); glVertex3f(0, 0, -d);
    glNormal3f(1.0f, 0.0f, 0.0f);  // right
    glVertex3f(w, 0, 0); glVertex3f(w, 0, -d); glVertex3f(w, h, -d); glVertex3f(w, h, 0);
    glNormal3f(0.0f, 0.0f, -1.0f);  // back
    glVertex3f(0, 0, -d); glVertex3f(0, h, -d); glVertex3f(w, h, -d); glVertex3f(w, 0, -d);
    if (top) {
        glNormal3f(0.0f, 1.0f, 0.0f);
        glVertex3f(0, h, 0); glVertex3f(w, h, 0); glVertex3f(w, h, -d); glVertex3f(0, h, -d);
    }
    glEnd();
}

// The open underside: the rim ring at y = 0 between the outer edge and the
// inner edge one wall thickness inside it, then the hollow's ceiling and
// inner walls, all facing into the hollow.
void draw_rim_and_hollow(float w, float d) {
    const float t = wall;
    const float x1 = w - t;   // inner right edge
    const float z1 = -d + t;  // inner far edge
    const float c = hollow_ceiling;

    glNormal3f(0.0f, -1.0f, 0.0f);
    glBegin(GL_QUAD_STRIP);
    glVertex3f(0, 0, 0); glVertex3f(t, 0, -t);
    glVertex3f(w, 0, 0); glVertex3f(x1, 0, -t);
    glVertex3f(w, 0, -d); glVertex3f(x1, 0, z1);
    glVertex3f(0, 0, -d); glVertex3f(t, 0, z1);
    glVertex3f(0, 0, 0); glVertex3f(t, 0, -t);
    glEnd();

    glBegin(GL_QUADS);
    // Ceiling: the downward normal is still current from the rim.
    glVertex3f(t, c, z1); glVertex3f(x1, c, z1); glVertex3f(x1, c, -t); glVertex3f(t, c, -t);
    glNormal3f(0.0f, 0.0f, 1.0f);  // far inner wall
    glVertex3f(t, 0, z1); glVertex3f(x1, 0, z1); glVertex3f(x1, c, z1); glVertex3f(t, c, z1);
    glNormal3f(0.0f, 0.0f, -1.0f);  // near inner wall
    glVertex3f(x1, 0, -t); glVertex3f(t, 0, -t); glVertex3f(t, c, -t); glVertex3f(x1, c, -t);
    glNormal3f(1.0f, 0.0f, 0.0f);  // left inner wall
    glVertex3f(t, 0, -t); glVertex3f(t, 0, z1); glVertex3f(t, c, z1); glVertex3f(t, c, -t);
    glNormal3f(-1.0f, 0.0f, 0.0f);  // right inner wall
    glVertex3f(x1, 0, z1); glVertex3f(x1, 0, -t); glVertex3f(x1, c, -t); glVertex3f(x1, c, z1);
    glEnd();
}

// One open tube from the rim plane's wall height up to the ceiling, at the
// current origin. No caps; culling is off so its inside shows too.
void draw_tube(int n) { draw_ring_wall(n, tube_radius, hollow_ceiling, wall); }

}  // namespace

void draw_brick(int width, int depth, int stud_segments, int underside_segments, float r, float g, float b) {
    if (width < 1 || depth < 1 || stud_segments < 0 || underside_segments < 0) return;

    const bool was_culling = glIsEnabled(GL_CULL_FACE) == GL_TRUE;

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

    if (stud_segments != 0) {
        for (int i = 0; i < depth; ++i) {
            glPushMatrix();
            glTranslatef(0.5f, 0.0f, -0.5f - static_cast<float>(i));  // first stud centre of row i
            for (int j = 0; j < width; ++j) {
                draw_stud(stud_segments);
                glTranslatef(1.0f, 0.0f, 0.0f);
            }
            glPopMatrix();
        }
    }

    draw_body(w, d, stud_segments != 0);

    if (underside_segments != 0) {
        draw_rim_and_hollow(w, d);
        glDisable(GL_CULL_FACE);
        // Tubes stand only at interior grid points, where four studs meet.
        if (width != 1) {
            for (int z = -1; z >= -(depth - 1); --z) {
                for (int x = 1; x <= width - 1; ++x) {
                    glPushMatrix();
                    glTranslatef(static_cast<float>(x), 0.0f, static_cast<float>(z));
                    draw_tube(underside_segments);
                    glPopMatrix();
                }
            }
        }
    }

    if (was_culling) glEnable(GL_CULL_FACE);
    glPopMatrix();
}
