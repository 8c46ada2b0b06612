#include "figure_view.h"

#include <SDL_opengl.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

void begin_figure_view(const FigureView& view) {
    glClearColor(0.25f, 0.27f, 0.32f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-1, 1, -0.75, 0.75, 1, 10000);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 1);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_LIGHTING);
    glCullFace(GL_BACK);
    glEnable(GL_CULL_FACE);
    glEnable(GL_DEPTH_TEST);
    glTranslated(0, -view.look_y, -view.distance);
    glRotated(view.tilt_degrees, 1, 0, 0);
    glRotated(view.turn_degrees, 0, 1, 0);
}

void set_walkers_scene_light() {
    const GLfloat white[4] = {1, 1, 1, 1};
    const GLfloat ambient[4] = {0.3f, 0.3f, 0.3f, 1};
    const GLfloat position[4] = {2, 6, 10, 1};
    glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    glLightfv(GL_LIGHT0, GL_SPECULAR, white);
    glLightfv(GL_LIGHT0, GL_POSITION, position);
    glEnable(GL_LIGHT0);
}

bool project_to_pixel(const std::array<double, 3>& p, int width, int height, int& px, int& py) {
    GLdouble mv[16], pr[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, mv);
    glGetDoublev(GL_PROJECTION_MATRIX, pr);
    double eye[4], clip[4];
    for (int r = 0; r < 4; ++r) eye[r] = mv[r] * p[0] + mv[4 + r] * p[1] + mv[8 + r] * p[2] + mv[12 + r];
    for (int r = 0; r < 4; ++r) clip[r] = pr[r] * eye[0] + pr[4 + r] * eye[1] + pr[8 + r] * eye[2] + pr[12 + r] * eye[3];
    if (clip[3] <= 0) return false;
    const double nx = clip[0] / clip[3], ny = clip[1] / clip[3];
    px = static_cast<int>(std::floor((nx + 1) / 2 * width));
    py = height - 1 - static_cast<int>(std::floor((ny + 1) / 2 * height));
    return px >= 0 && px < width && py >= 0 && py < height;
}

std::array<int, 3> pixel_at(const RgbImage& image, int px, int py) {
    const size_t i = (static_cast<size_t>(py) * image.width + px) * 3;
    return {image.rgb[i], image.rgb[i + 1], image.rgb[i + 2]};
}

bool looks_yellow(const std::array<int, 3>& c) { return c[0] > 120 && c[1] > 110 && c[2] < c[1] / 2; }
bool looks_red(const std::array<int, 3>& c) { return c[0] > 100 && c[1] < c[0] / 2 && c[2] < c[0] / 2; }
bool looks_blue(const std::array<int, 3>& c) { return c[2] > 100 && c[0] < c[2] / 2 && c[1] < c[2] * 3 / 4; }
bool looks_black(const std::array<int, 3>& c) { return c[0] < 45 && c[1] < 45 && c[2] < 45; }
bool looks_dark(const std::array<int, 3>& c) {
    const int hi = std::max({c[0], c[1], c[2]}), lo = std::min({c[0], c[1], c[2]});
    return hi < 100 && hi - lo < 20;
}
bool looks_white(const std::array<int, 3>& c) { return c[0] > 150 && c[1] > 150 && c[2] > 150; }
bool looks_background(const std::array<int, 3>& c) {
    return std::abs(c[0] - 64) <= 2 && std::abs(c[1] - 69) <= 2 && std::abs(c[2] - 82) <= 2;
}

std::string save_picture(const RgbImage& image, const std::string& name) {
    const std::string path = std::string(TUMBO_TEST_OUTPUT_DIR) + "/" + name + ".png";
    write_png(path, image);
    return path;
}

std::vector<std::array<double, 3>> object_points(const Mesh& mesh, const char* object, const char* group) {
    std::vector<std::array<double, 3>> points;
    const MeshObject* o = find_mesh_object(mesh, object);
    if (!o) return points;
    for (const MeshGroup* g = o->groups; g; g = g->next) {
        if (group && std::strcmp(g->name, group) != 0) continue;
        for (const Face* f = g->faces; f; f = f->next)
            for (int k = 0; k < f->count; ++k) {
                const float* v = &mesh.vertices[3 * static_cast<size_t>(f->vertex_indices[k])];
                points.push_back({v[0], v[1], v[2]});
            }
    }
    return points;
}

std::array<double, 3> mean_point(const std::vector<std::array<double, 3>>& points) {
    std::array<double, 3> m{0, 0, 0};
    for (const auto& p : points)
        for (int c = 0; c < 3; ++c) m[c] += p[c] / static_cast<double>(points.size());
    return m;
}

std::array<double, 3> rotate_about(const std::array<double, 3>& p, const float centre[3], const float axis[3],
                                   double degrees) {
    const double len = std::sqrt(double(axis[0]) * axis[0] + double(axis[1]) * axis[1] + double(axis[2]) * axis[2]);
    const double k[3] = {axis[0] / len, axis[1] / len, axis[2] / len};
    const double v[3] = {p[0] - centre[0], p[1] - centre[1], p[2] - centre[2]};
    const double a = degrees * std::numbers::pi / 180, c = std::cos(a), s = std::sin(a);
    const double kv = k[0] * v[0] + k[1] * v[1] + k[2] * v[2];
    const double kxv[3] = {k[1] * v[2] - k[2] * v[1], k[2] * v[0] - k[0] * v[2], k[0] * v[1] - k[1] * v[0]};
    std::array<double, 3> out;
    // Rodrigues: v cos a + (k x v) sin a + k (k . v)(1 - cos a)
    for (int i = 0; i < 3; ++i) out[i] = centre[i] + v[i] * c + kxv[i] * s + k[i] * kv * (1 - c);
    return out;
}
