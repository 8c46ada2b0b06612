#include "gl_capture.h"

#include <SDL_opengl.h>

#include <cmath>
#include <map>

void load_test_view() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-20, 20, -15, 15, -100, 100);
    glRotated(23, 1, 0.6, 0.2);  // an odd angle: no face edge-on
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

WindowPoint to_window(const Point3& p) {
    GLdouble pr[16];
    GLint viewport[4];
    glGetDoublev(GL_PROJECTION_MATRIX, pr);
    glGetIntegerv(GL_VIEWPORT, viewport);
    double clip[4];
    for (int r = 0; r < 4; ++r) clip[r] = pr[r] * p[0] + pr[4 + r] * p[1] + pr[8 + r] * p[2] + pr[12 + r];
    return {viewport[0] + (clip[0] / clip[3] + 1) / 2 * viewport[2],
            viewport[1] + (clip[1] / clip[3] + 1) / 2 * viewport[3]};
}

std::vector<FeedbackPolygon> capture_both_facings(const std::function<void()>& draw) {
    glFrontFace(GL_CCW);
    std::vector<FeedbackPolygon> all = capture_polygons(draw);
    glFrontFace(GL_CW);
    std::vector<FeedbackPolygon> back = capture_polygons(draw);
    glFrontFace(GL_CCW);
    all.insert(all.end(), back.begin(), back.end());
    return all;
}

std::vector<WindowPoint> captured_points(const std::vector<FeedbackPolygon>& polygons) {
    std::vector<WindowPoint> points;
    for (const FeedbackPolygon& p : polygons)
        for (const FeedbackVertex& v : p.vertices) points.push_back({v.x, v.y});
    return points;
}

std::vector<WindowPoint> unmatched(const std::vector<WindowPoint>& a, const std::vector<WindowPoint>& b,
                                   double tolerance) {
    // Buckets one pixel wide; a match may lie in a neighbouring bucket.
    std::map<std::pair<long, long>, std::vector<WindowPoint>> grid;
    for (const WindowPoint& p : b) grid[{std::lround(std::floor(p[0])), std::lround(std::floor(p[1]))}].push_back(p);
    std::vector<WindowPoint> missing;
    for (const WindowPoint& p : a) {
        const long bx = std::lround(std::floor(p[0])), by = std::lround(std::floor(p[1]));
        bool found = false;
        for (long dx = -1; dx <= 1 && !found; ++dx)
            for (long dy = -1; dy <= 1 && !found; ++dy) {
                auto it = grid.find({bx + dx, by + dy});
                if (it == grid.end()) continue;
                for (const WindowPoint& q : it->second)
                    if (std::hypot(p[0] - q[0], p[1] - q[1]) <= tolerance) {
                        found = true;
                        break;
                    }
            }
        if (!found) missing.push_back(p);
    }
    return missing;
}
