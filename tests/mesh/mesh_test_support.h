// Helpers for the mesh tests: hand-written packed bytes (the encoder refuses
// malformed ones), list walking, figure geometry, and GL views, capture and
// pictures.
#pragma once
#include <array>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "mesh/mesh.h"
#include "support/feedback.h"
#include "support/gl_test_context.h"
#include "support/png_image.h"

struct PackedBytes {
    using Triple = std::array<int16_t, 3>;
    using FaceIndices = std::pair<std::vector<uint16_t>, std::vector<uint16_t>>;  // vertex, normal indices
    std::vector<uint8_t> bytes;

    PackedBytes& u8(uint8_t v) { return bytes.push_back(v), *this; }
    PackedBytes& u16(uint16_t v) { return u8(v & 0xff).u8(v >> 8); }
    PackedBytes& u32(uint32_t v) { return u16(v & 0xffff).u16(v >> 16); }
    PackedBytes& name(const std::string& s) { return bytes.insert(bytes.end(), s.begin(), s.end()), u8(0); }
    PackedBytes& header(uint16_t scale, const std::vector<Triple>& vertices, const std::vector<Triple>& normals);
    PackedBytes& material(const std::string& n, float first = 0);  // floats first, first + 1, ... first + 10
    PackedBytes& object(const std::string& n) { return u8('o').name(n); }
    PackedBytes& group(const std::string& n, const std::string& material, const std::vector<FaceIndices>& faces);
    PackedBytes& end() { return u8('q'); }
    MeshDecodeResult decode(Mesh& mesh) const { return decode_mesh(mesh, bytes.data(), bytes.size()); }
};

// A face whose normal indices are all 0.
PackedBytes::FaceIndices face_of(std::vector<uint16_t> vertices);

template <typename Node>
std::vector<const Node*> list_of(const Node* head) {
    std::vector<const Node*> nodes;
    for (const Node* n = head; n; n = n->next) nodes.push_back(n);
    return nodes;
}

using Point3 = std::array<double, 3>;
using WindowPoint = std::array<double, 2>;

// Corner positions of one object's faces (of one group when named).
std::vector<Point3> object_points(const Mesh& mesh, const char* object, const char* group = nullptr);
Point3 mean_point(const std::vector<Point3>& points);
// Turns p by `degrees` about the line through `centre` along `axis`, as glRotate does.
Point3 rotate_about(const Point3& p, const float centre[3], const float axis[3], double degrees);

// --- GL ---

// Orthographic view of x -20..20, y -15..15, turned by an odd angle so no
// face is seen edge-on; identity modelview.
void load_test_view();
// Window coordinates (as feedback reports them) of p under the projection.
WindowPoint to_window(const Point3& p);
// Every polygon `draw` emits, front- or back-facing (the code under test may
// enable culling itself): captured with each front-face winding.
std::vector<FeedbackPolygon> capture_both_facings(const std::function<void()>& draw);
std::vector<WindowPoint> captured_points(const std::vector<FeedbackPolygon>& polygons);
// Points of `a` with no point of `b` within `tolerance` pixels.
std::vector<WindowPoint> unmatched(const std::vector<WindowPoint>& a, const std::vector<WindowPoint>& b,
                                   double tolerance = 0.02);

// --- pictures ---

// The demo's frustum and switches (two-sided lighting, smooth shading,
// depth test, back-face culling, lighting), a grey-blue background, and the
// figure turned `turn` degrees about y, tilted `tilt` about x, `distance`
// in front of the eye with height `look_y` at the centre.
void begin_figure_view(double turn, double distance, double look_y, double tilt = 0);
// Light 0 as the walkers scene sets it for the blocky figure.
void set_walkers_scene_light();
// Reads the window back, writes it to the test output folder.
RgbImage save_picture(const GlTestContext& ctx, const std::string& name);
// The colour where a model point lands under the current matrices.
std::array<int, 3> colour_at(const RgbImage& image, const Point3& p);
bool looks_yellow(const std::array<int, 3>& c);
bool looks_red(const std::array<int, 3>& c);
bool looks_blue(const std::array<int, 3>& c);
bool looks_white(const std::array<int, 3>& c);
bool looks_dark(const std::array<int, 3>& c);  // black, perhaps with some shine
bool looks_background(const std::array<int, 3>& c);
