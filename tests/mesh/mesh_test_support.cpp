#include "mesh_test_support.h"

#include <SDL_opengl.h>

#include <algorithm>
#include <cmath>
#include <numbers>

PackedBytes& PackedBytes::header(uint16_t scale, const std::vector<Triple>& vertices,
                                 const std::vector<Triple>& normals) {
    u16(scale);
    for (const auto* array : {&vertices, &normals}) {
        u32(static_cast<uint32_t>(array->size()));
        for (const auto& v : *array)
            for (int16_t c : v) u16(static_cast<uint16_t>(c));
    }
    return *this;
}

PackedBytes& PackedBytes::material(const std::string& n, float first) {
    u8('m').name(n);
    for (int i = 0; i < 11; ++i) {
        const float v = first + static_cast<float>(i);
        uint32_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        u32(bits);
    }
    return *this;
}

PackedBytes& PackedBytes::group(const std::string& n, const std::string& material,
                                const std::vector<FaceIndices>& faces) {
    u8('g').name(n).name(material).u16(static_cast<uint16_t>(faces.size()));
    for (const auto& [vs, ns] : faces) {
        u8(static_cast<uint8_t>(vs.size()));
        for (uint16_t v : vs) u16(v);
        for (uint16_t k : ns) u16(k);
    }
    return *this;
}

PackedBytes::FaceIndices face_of(std::vector<uint16_t> vertices) {
    std::vector<uint16_t> normals(vertices.size(), 0);
    return {std::move(vertices), std::move(normals)};
}

std::vector<Point3> object_points(const Mesh& mesh, const char* object, const char* group) {
    std::vector<Point3> points;
    const MeshObject* o = find_mesh_object(mesh, object);
    for (const MeshGroup* g = o ? o->groups : nullptr; g; g = g->next)
        for (const Face* f = g->faces; f && (!group || std::strcmp(g->name, group) == 0); f = f->next)
            for (int k = 0; k < f->count; ++k) {
                const float* v = &mesh.vertices[3 * static_cast<size_t>(f->vertex_indices[k])];
                points.push_back({v[0], v[1], v[2]});
            }
    return points;
}

Point3 mean_point(const std::vector<Point3>& points) {
    Point3 m{0, 0, 0};
    for (const auto& p : points)
        for (int c = 0; c < 3; ++c) m[c] += p[c] / static_cast<double>(points.size());
    return m;
}

Point3 rotate_about(const Point3& p, const float centre[3], const float axis[3], double degrees) {
    const double len = std::sqrt(double(axis[0]) * axis[0] + double(axis[1]) * axis[1] + double(axis[2]) * axis[2]);
    const double k[3] = {axis[0] / len, axis[1] / len, axis[2] / len};
    const double v[3] = {p[0] - centre[0], p[1] - centre[1], p[2] - centre[2]};
    const double a = degrees * std::numbers::pi / 180, c = std::cos(a), s = std::sin(a);
    const double kv = k[0] * v[0] + k[1] * v[1] + k[2] * v[2];
    const double kxv[3] = {k[1] * v[2] - k[2] * v[1], k[2] * v[0] - k[0] * v[2], k[0] * v[1] - k[1] * v[0]};
    Point3 out;  // Rodrigues' formula
    for (int i = 0; i < 3; ++i) out[i] = centre[i] + v[i] * c + kxv[i] * s + k[i] * kv * (1 - c);
    return out;
}

void load_test_view() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-20, 20, -15, 15, -100, 100);
    glRotated(23, 1, 0.6, 0.2);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

namespace {
// Window coordinates of p under the current modelview and projection.
std::array<double, 3> project(const Point3& p) {
    GLdouble mv[16], pr[16];
    GLint vp[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, mv);
    glGetDoublev(GL_PROJECTION_MATRIX, pr);
    glGetIntegerv(GL_VIEWPORT, vp);
    double eye[4], clip[4];
    for (int r = 0; r < 4; ++r) eye[r] = mv[r] * p[0] + mv[4 + r] * p[1] + mv[8 + r] * p[2] + mv[12 + r];
    for (int r = 0; r < 4; ++r) clip[r] = pr[r] * eye[0] + pr[4 + r] * eye[1] + pr[8 + r] * eye[2] + pr[12 + r] * eye[3];
    return {vp[0] + (clip[0] / clip[3] + 1) / 2 * vp[2], vp[1] + (clip[1] / clip[3] + 1) / 2 * vp[3], clip[3]};
}
}  // namespace

WindowPoint to_window(const Point3& p) {
    const auto w = project(p);
    return {w[0], w[1]};
}

std::vector<FeedbackPolygon> capture_both_facings(const std::function<void()>& draw) {
    glFrontFace(GL_CCW);
    std::vector<FeedbackPolygon> all = capture_polygons(draw);
    glFrontFace(GL_CW);
    const std::vector<FeedbackPolygon> back = capture_polygons(draw);
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
    std::vector<WindowPoint> missing;
    for (const WindowPoint& p : a)
        if (std::none_of(b.begin(), b.end(), [&](const WindowPoint& q) { return std::hypot(p[0] - q[0], p[1] - q[1]) <= tolerance; }))
            missing.push_back(p);
    return missing;
}

void begin_figure_view(double turn, double distance, double look_y, double tilt) {
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
    glTranslated(0, -look_y, -distance);
    glRotated(tilt, 1, 0, 0);
    glRotated(turn, 0, 1, 0);
}

void set_walkers_scene_light() {
    const GLfloat white[4] = {1, 1, 1, 1}, ambient[4] = {0.3f, 0.3f, 0.3f, 1}, position[4] = {2, 6, 10, 1};
    glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    glLightfv(GL_LIGHT0, GL_SPECULAR, white);
    glLightfv(GL_LIGHT0, GL_POSITION, position);
    glEnable(GL_LIGHT0);
}

RgbImage save_picture(const GlTestContext& ctx, const std::string& name) {
    RgbImage image{ctx.width(), ctx.height(), ctx.read_rgb()};
    write_png(std::string(TUMBO_TEST_OUTPUT_DIR) + "/" + name + ".png", image);
    return image;
}

std::array<int, 3> colour_at(const RgbImage& image, const Point3& p) {
    const auto w = project(p);
    const int x = static_cast<int>(w[0]), y = image.height - 1 - static_cast<int>(w[1]);
    if (w[2] <= 0 || x < 0 || x >= image.width || y < 0 || y >= image.height) return {-1, -1, -1};
    const size_t i = (static_cast<size_t>(y) * image.width + x) * 3;
    return {image.rgb[i], image.rgb[i + 1], image.rgb[i + 2]};
}

bool looks_yellow(const std::array<int, 3>& c) { return c[0] > 120 && c[1] > 110 && c[2] < c[1] / 2; }
bool looks_red(const std::array<int, 3>& c) { return c[0] > 100 && c[1] < c[0] / 2 && c[2] < c[0] / 2; }
bool looks_blue(const std::array<int, 3>& c) { return c[2] > 100 && c[0] < c[2] / 2 && c[1] < c[2] * 3 / 4; }
bool looks_white(const std::array<int, 3>& c) { return c[0] > 150 && c[1] > 150 && c[2] > 150; }
bool looks_dark(const std::array<int, 3>& c) {
    return c[0] >= 0 && std::max({c[0], c[1], c[2]}) < 100 && std::max({c[0], c[1], c[2]}) - std::min({c[0], c[1], c[2]}) < 20;
}
bool looks_background(const std::array<int, 3>& c) {  // the clear colour 0.25, 0.27, 0.32
    return std::abs(c[0] - 64) <= 2 && std::abs(c[1] - 69) <= 2 && std::abs(c[2] - 82) <= 2;
}
