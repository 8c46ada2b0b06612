#include "brick_probe.h"

#include <SDL_opengl.h>

#include <algorithm>
#include <array>
#include <map>
#include <set>
#include <cmath>

#include "bricks/brick.h"
#include "bricks/brick_grid.h"
#include "support/feedback.h"

Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 operator*(double s, Vec3 a) { return {s * a.x, s * a.y, s * a.z}; }
double dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
double length(Vec3 a) { return std::sqrt(dot(a, a)); }
bool near(Vec3 a, Vec3 b, double tolerance) { return length(a - b) <= tolerance; }

Vec3 Triangle::normal() const {
    const Vec3 n = cross(p[1] - p[0], p[2] - p[0]);
    return (1.0 / length(n)) * n;
}
double Triangle::area() const { return 0.5 * length(cross(p[1] - p[0], p[2] - p[0])); }

namespace {

constexpr int viewport_size = 8192;  // pixels; large, so window coordinates keep precision

// A triangle's corners rounded to 1e-4, to recognise one seen in both
// passes.
std::array<long long, 9> key_of(const Triangle& t) {
    std::array<long long, 9> key{};
    for (int k = 0; k < 3; ++k) {
        key[3 * k] = std::llround(t.p[k].x * 1e4);
        key[3 * k + 1] = std::llround(t.p[k].y * 1e4);
        key[3 * k + 2] = std::llround(t.p[k].z * 1e4);
    }
    return key;
}

}  // namespace

std::vector<Triangle> capture_triangles(const std::function<void()>& draw, double extent) {
    glViewport(0, 0, viewport_size, viewport_size);
    glDepthRange(0, 1);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-extent, extent, -extent, extent, -extent, extent);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    // Light straight from the viewer, set in eye space: each vertex's colour
    // is the material's diffuse colour times the cosine to the viewer.
    const GLfloat none[] = {0, 0, 0, 1};
    const GLfloat white[] = {1, 1, 1, 1};
    const GLfloat towards_viewer[] = {0, 0, 1, 0};
    glEnable(GL_LIGHTING);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, none);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 1);
    for (int i = 1; i < 8; ++i) glDisable(GL_LIGHT0 + i);
    glEnable(GL_LIGHT0);
    glLightfv(GL_LIGHT0, GL_AMBIENT, none);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
    glLightfv(GL_LIGHT0, GL_SPECULAR, none);
    glLightfv(GL_LIGHT0, GL_POSITION, towards_viewer);

    // Turned so that no face of a brick (axis-aligned walls, stud and tube
    // facets) lies edge-on.
    glRotated(23, 1, 0, 0);
    glRotated(37, 0, 1, 0);
    GLdouble m[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, m);

    auto to_caller = [&](const FeedbackVertex& v) {
        const Vec3 eye{extent * (2.0 * v.x / viewport_size - 1.0), extent * (2.0 * v.y / viewport_size - 1.0),
                       -extent * (2.0 * v.z - 1.0)};
        // The view is a pure rotation: its inverse is its transpose.
        return Vec3{m[0] * eye.x + m[1] * eye.y + m[2] * eye.z, m[4] * eye.x + m[5] * eye.y + m[6] * eye.z,
                    m[8] * eye.x + m[9] * eye.y + m[10] * eye.z};
    };

    std::vector<Triangle> triangles;
    std::set<std::array<long long, 9>> seen;
    for (GLenum culled : {GL_BACK, GL_FRONT}) {
        glCullFace(culled);
        glEnable(GL_CULL_FACE);
        glPushMatrix();
        const auto polygons = capture_polygons(draw);
        glPopMatrix();
        for (const FeedbackPolygon& polygon : polygons) {
            for (size_t k = 1; k + 1 < polygon.vertices.size(); ++k) {
                const FeedbackVertex& first = polygon.vertices[0];
                Triangle t{{to_caller(first), to_caller(polygon.vertices[k]), to_caller(polygon.vertices[k + 1])},
                           {first.r, first.g, first.b}};
                if (t.area() < 1e-6) continue;
                if (seen.insert(key_of(t)).second) triangles.push_back(t);
            }
        }
    }
    glCullFace(GL_BACK);
    return triangles;
}

int palette_index_of(Vec3 colour) {
    const double brightest = std::max({colour.x, colour.y, colour.z});
    if (brightest < 0.02) return 6;
    const Vec3 hue = (1.0 / brightest) * colour;
    for (int i = 1; i <= 5; ++i) {
        const Rgb& p = palette[i];
        const double top = std::max({p.r, p.g, p.b});
        if (near(hue, (1.0 / top) * Vec3{p.r, p.g, p.b}, 0.02)) return i;
    }
    return -1;
}

namespace {

// An axis-aligned wall 1.2 high facing `facing` (+1: +z, -1: -z): its
// centre, width and lit colour.
struct Wall {
    Vec3 centre;
    double width;
    Vec3 colour;
};

std::vector<Wall> walls(const std::vector<Triangle>& triangles, double facing) {
    std::vector<Wall> found;
    for (const Triangle& t : triangles) {
        if (!near(t.normal(), {0, 0, facing})) continue;
        double x0 = t.p[0].x, x1 = x0, y0 = t.p[0].y, y1 = y0;
        for (const Vec3& p : t.p) {
            x0 = std::min(x0, p.x), x1 = std::max(x1, p.x);
            y0 = std::min(y0, p.y), y1 = std::max(y1, p.y);
        }
        if (std::abs(y1 - y0 - brick::body_height) > 1e-3) continue;
        // Both triangles of a wall span its whole rectangle.
        const Wall wall{{(x0 + x1) / 2, (y0 + y1) / 2, t.p[0].z}, x1 - x0, t.colour};
        const bool seen =
            std::any_of(found.begin(), found.end(), [&](const Wall& w) { return near(w.centre, wall.centre); });
        if (!seen) found.push_back(wall);
    }
    return found;
}

}  // namespace

std::vector<FoundBrick> find_bricks(const std::vector<Triangle>& triangles) {
    const std::vector<Wall> fronts = walls(triangles, 1);
    const std::vector<Wall> backs = walls(triangles, -1);
    std::vector<FoundBrick> bricks;
    for (const Wall& front : fronts) {
        // The nearest back wall of the same width straight behind it.
        const Wall* best = nullptr;
        for (const Wall& back : backs) {
            const bool behind = back.centre.z < front.centre.z && std::abs(back.centre.x - front.centre.x) < 1e-3 &&
                                std::abs(back.centre.y - front.centre.y) < 1e-3 &&
                                std::abs(back.width - front.width) < 1e-3;
            if (behind && (best == nullptr || back.centre.z > best->centre.z)) best = &back;
        }
        if (best == nullptr) continue;
        FoundBrick brick;
        brick.depth = front.centre.z - best->centre.z;
        brick.width = front.width;
        brick.centre = {front.centre.x, front.centre.y, front.centre.z - brick.depth / 2};
        brick.colour = palette_index_of(front.colour);
        bricks.push_back(brick);
    }
    return bricks;
}

std::vector<FoundStud> find_studs(const std::vector<Triangle>& triangles) {
    std::vector<FoundStud> studs;
    std::map<std::array<long long, 3>, size_t> by_centre;  // centre rounded to 1e-3 -> index
    for (const Triangle& t : triangles) {
        for (int k = 0; k < 3; ++k) {
            const Vec3& centre = t.p[k];
            const double a = length(t.p[(k + 1) % 3] - centre);
            const double b = length(t.p[(k + 2) % 3] - centre);
            if (std::abs(a - brick::stud_radius) > 1e-3 || std::abs(b - brick::stud_radius) > 1e-3) continue;
            const std::array<long long, 3> key{std::llround(centre.x * 1e3), std::llround(centre.y * 1e3),
                                               std::llround(centre.z * 1e3)};
            const auto [it, fresh] = by_centre.emplace(key, studs.size());
            if (fresh) studs.push_back({centre, 1});
            else ++studs[it->second].facets;
            break;
        }
    }
    return studs;
}

std::vector<Vec3> find_tubes(const std::vector<Triangle>& triangles) {
    const double span = brick::hollow_ceiling - brick::wall;  // height of a tube
    std::vector<Vec3> axes;
    for (const Triangle& t : triangles) {
        for (int k = 0; k < 3; ++k) {
            // An edge along the tube, and the third corner on the next
            // facet edge: two points of the tube's circle.
            const Vec3& a = t.p[k];
            const Vec3& b = t.p[(k + 1) % 3];
            const Vec3& c = t.p[(k + 2) % 3];
            const Vec3 along = b - a;
            if (std::abs(length(along) - span) > 1e-3) continue;
            const Vec3 axis_dir = (1.0 / span) * along;
            const Vec3 mid_edge = a + 0.5 * along;
            // c projected to the height of mid_edge.
            const Vec3 c_level = c - dot(c - mid_edge, axis_dir) * axis_dir;
            const Vec3 chord = c_level - mid_edge;
            const double half = length(chord) / 2;
            if (half < 1e-4 || half > brick::tube_radius) continue;
            // The axis lies inside: against the outward normal.
            Vec3 inward = -1.0 * t.normal();
            inward = inward - dot(inward, axis_dir) * axis_dir;
            inward = (1.0 / length(inward)) * inward;
            const Vec3 axis = mid_edge + 0.5 * chord +
                              std::sqrt(brick::tube_radius * brick::tube_radius - half * half) * inward;
            const bool seen = std::any_of(axes.begin(), axes.end(), [&](const Vec3& v) { return near(v, axis, 1e-2); });
            if (!seen) axes.push_back(axis);
            break;
        }
    }
    return axes;
}
