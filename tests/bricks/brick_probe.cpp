#include "brick_probe.h"

#include <SDL_opengl.h>

#include <algorithm>
#include <cmath>

#include "bricks/brick.h"
#include "bricks/brick_grid.h"
#include "support/feedback.h"

bool near(Vec3 a, Vec3 b, double tolerance) { return std::hypot(a.x - b.x, a.y - b.y, a.z - b.z) <= tolerance; }

int Probe::width_at(Vec3 centre) const {
    for (const Brick& b : bricks)
        if (near(b.centre, centre)) return static_cast<int>(std::lround(b.width));
    return 0;
}

bool culling_after(bool before, const std::function<void()>& draw) {
    before ? glEnable(GL_CULL_FACE) : glDisable(GL_CULL_FACE);
    draw();
    return glIsEnabled(GL_CULL_FACE) == GL_TRUE;
}

Probe probe(const std::function<void()>& draw) {
    constexpr double extent = 64;  // half the side of the view cube, in stud pitches
    constexpr int pixels = 8192;   // a large viewport keeps window coordinates precise
    glViewport(0, 0, pixels, pixels);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-extent, extent, -extent, extent, -extent, extent);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const GLfloat none[] = {0, 0, 0, 1};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, none);
    glLightfv(GL_LIGHT0, GL_SPECULAR, none);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glRotated(23, 1, 0, 0);
    glRotated(37, 0, 1, 0);
    GLdouble m[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, m);

    Probe found;
    for (const FeedbackPolygon& polygon : capture_polygons(draw)) {
        Probe::Polygon& p = found.polygons.emplace_back(Probe::Polygon{{}, -1});
        const FeedbackVertex& v0 = polygon.vertices[0];
        const double bright = std::max({v0.r, v0.g, v0.b});
        for (int i = 1; i < palette_size && p.colour < 0; ++i) {
            const Rgb c = palette[i];
            const double top = std::max({c.r, c.g, c.b});
            const Vec3 hue{v0.r / bright, v0.g / bright, v0.b / bright};
            if (bright < 0.02 ? top == 0 : near(hue, {c.r / top, c.g / top, c.b / top}, 0.02)) p.colour = i;
        }
        Vec3 lo{1e9, 1e9, 1e9}, hi{-1e9, -1e9, -1e9};
        for (const FeedbackVertex& v : polygon.vertices) {
            // Window to eye coordinates; the view is a rotation, so its transpose maps back.
            const Vec3 e{extent * (2 * v.x / pixels - 1), extent * (2 * v.y / pixels - 1), extent * (1 - 2 * v.z)};
            const Vec3 q = p.corners.emplace_back(Vec3{m[0] * e.x + m[1] * e.y + m[2] * e.z,
                                                       m[4] * e.x + m[5] * e.y + m[6] * e.z,
                                                       m[8] * e.x + m[9] * e.y + m[10] * e.z});
            lo = {std::min(lo.x, q.x), std::min(lo.y, q.y), std::min(lo.z, q.z)};
            hi = {std::max(hi.x, q.x), std::max(hi.y, q.y), std::max(hi.z, q.z)};
        }
        const double height = hi.y - lo.y;
        if (hi.z - lo.z < 1e-4 && std::abs(height - brick::body_height) < 1e-3) {  // a front wall
            const Vec3 centre{(lo.x + hi.x) / 2, (lo.y + hi.y) / 2, lo.z - 1};
            if (found.width_at(centre) == 0) found.bricks.push_back({centre, hi.x - lo.x, p.colour});
        } else if (std::abs(height - (brick::hollow_ceiling - brick::wall)) < 1e-3) {  // a tube facet
            const Vec3 axis{std::round(lo.x), (lo.y + hi.y) / 2, std::round(lo.z)};
            if (std::none_of(found.tubes.begin(), found.tubes.end(), [&](Vec3 t) { return near(t, axis); }))
                found.tubes.push_back(axis);
        } else if (height < 1e-4 && p.corners.size() == 3) {
            // Maybe a stud cap facet: two corners one stud radius from the
            // third, the centre. (Six-facet caps are equilateral, so their
            // centres are not told apart; no test counts those.)
            for (int k = 0; k < 3; ++k) {
                const Vec3 c = p.corners[k], a = p.corners[(k + 1) % 3], b = p.corners[(k + 2) % 3];
                auto on_rim = [&](Vec3 r) { return std::abs(std::hypot(r.x - c.x, r.z - c.z) - brick::stud_radius) < 1e-3; };
                if (!on_rim(a) || !on_rim(b) || near(a, b, 1e-3)) continue;
                auto stud = std::find_if(found.studs.begin(), found.studs.end(), [&](auto& s) { return near(s.top, c, 1e-3); });
                if (stud == found.studs.end()) stud = found.studs.insert(stud, {c, {}});
                stud->corners.push_back(a);
                break;
            }
        }
    }
    return found;
}
