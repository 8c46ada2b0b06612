// Tests of mesh/: the decoder on hand-written bytes (the encoder refuses
// malformed ones), the encoder's round trip, the two stored figures against
// the tables they were built to, and drawing and the walk through a real GL.
#include <SDL_opengl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <map>
#include <numbers>
#include <set>

#include "embedded/blocky_figure_packed.h"
#include "embedded/toy_figure_packed.h"
#include "figures/figure_models.h"
#include "mesh/figures.h"
#include "mesh/mesh_draw.h"
#include "mesh/mesh_encode.h"
#include "mesh/walkers.h"
#include "support/feedback.h"
#include "support/scene_view.h"

namespace {
using Floats = std::vector<float>;
using Faces = std::vector<std::vector<uint16_t>>;
using E = MeshDecodeError;

struct Packed {
    using Triples = std::vector<std::array<int16_t, 3>>;
    std::vector<uint8_t> bytes;
    Packed& u8(uint8_t v) { return bytes.push_back(v), *this; }
    Packed& u16(uint16_t v) { return u8(v & 0xff).u8(v >> 8); }
    Packed& u32(uint32_t v) { return u16(v & 0xffff).u16(v >> 16); }
    Packed& name(const std::string& s) { return bytes.insert(bytes.end(), s.begin(), s.end()), u8(0); }
    Packed& triples(const Triples& t) {
        u32(static_cast<uint32_t>(t.size()));
        for (const auto& v : t) u16(v[0]).u16(v[1]).u16(v[2]);
        return *this;
    }
    Packed& header(uint16_t scale, const Triples& v, const Triples& n = {{0, 0, 1}}) { return u16(scale).triples(v).triples(n); }
    Packed& material(const std::string& n, float first = 0) {  // the eleven floats are first, first + 1, ...
        u8('m').name(n);
        for (int i = 0; i < 11; ++i, ++first) u32(std::bit_cast<uint32_t>(first));
        return *this;
    }
    Packed& object(const std::string& n) { return u8('o').name(n); }
    // Each face a list of vertex indices; every corner takes the normal `normal`.
    Packed& group(const std::string& n, const std::string& mat, const Faces& faces, uint16_t normal = 0) {
        u8('g').name(n).name(mat).u16(static_cast<uint16_t>(faces.size()));
        for (const auto& f : faces) {
            u8(static_cast<uint8_t>(f.size()));
            for (uint16_t v : f) u16(v);
            for (size_t k = 0; k < f.size(); ++k) u16(normal);
        }
        return *this;
    }
    Packed& end() { return u8('q'); }
    MeshDecodeResult decode(Mesh& mesh) const { return decode_mesh(mesh, bytes.data(), bytes.size()); }
};

Packed triangle_mesh() {  // three vertices, one normal and material "d"
    return Packed().header(1, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}).material("d");
}

Mesh decoded(const Packed& p) {
    Mesh m;
    const MeshDecodeResult r = p.decode(m);
    EXPECT_TRUE(r.ok()) << mesh_decode_error_text(r.error) << " at " << r.offset;
    return m;
}

Packed lights(int count) {  // light markers "point0", "point1", ... aiming at (0, 0, 0)
    Packed p = triangle_mesh();
    for (int i = 0; i < count; ++i) p.object("point" + std::to_string(i)).group("g", "d", {{0}});
    return p.end();
}

// Decodes over a mesh that held something, so a refusal must also clear it.
E refusal(const Packed& p) {
    Mesh m = decoded(triangle_mesh().object("o").group("g", "d", {{0, 1, 2}}).end());
    const MeshDecodeResult r = p.decode(m);
    EXPECT_TRUE(r.offset <= p.bytes.size() && m.vertices.empty() && m.normals.empty() && !m.vertex_count &&
                !m.normal_count && !m.objects && !m.materials && !m.has_lights);
    return r.error;
}

// Objects in list order as "name kind>pivot: group(material) vertex/normal ... | ...", faces optional.
std::string dump(const Mesh& m, bool faces = true) {
    std::string s;
    for (const MeshObject* o = m.objects; o; o = o->next) {
        s += (s.empty() ? "" : "; ") + std::string(o->name) + " " + std::to_string(int(o->kind)) +
             (o->pivot ? std::string(">") + o->pivot->name : "") + ":";
        for (const MeshGroup* g = o->groups; g; g = g->next) {
            s += std::string(" ") + g->name + "(" + g->material->name + ")";
            for (const Face* f = faces ? g->faces : nullptr; f; f = f->next, s += " |")
                for (int k = 0; k < f->count; ++k)
                    s += " " + std::to_string(f->vertex_indices[k]) + "/" + std::to_string(f->normal_indices[k]);
        }
    }
    return s;
}

using Point = std::array<double, 3>;
Point sub(Point a, Point b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
double dot(Point a, Point b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
Point cross(Point a, Point b) { return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]}; }
Point at(const float* v) { return {v[0], v[1], v[2]}; }
Point vertex(const Mesh& m, int32_t i) { return at(&m.vertices[3 * static_cast<size_t>(i)]); }

std::vector<Point> points_of(const char* object) {  // every corner of every face of a toy_figure object
    std::vector<Point> points;
    for (const MeshGroup* g = find_mesh_object(toy_figure, object)->groups; g; g = g->next)
        for (const Face* f = g->faces; f; f = f->next)
            for (int k = 0; k < f->count; ++k) points.push_back(vertex(toy_figure, f->vertex_indices[k]));
    return points;
}

double gap(const Floats& a, const Floats& b) {  // largest difference; infinite when the sizes differ
    double worst = a.size() == b.size() ? 0 : INFINITY;
    for (size_t i = 0; i < std::min(a.size(), b.size()); ++i) worst = std::max(worst, double(std::fabs(a[i] - b[i])));
    return worst;
}
}  // namespace

// --- decoding ---

TEST(DecodeMesh, ScalesValuesAndListsEveryRecordInReverseOrder) {
    Packed p;
    p.header(4, {{4, -8, 2}, {-32768, 32767, 0}, {0, 4, 0}, {4, 4, 0}}, {{4, 0, 0}, {1, 2, 3}});
    p.material("first", 0.5f).material("second").object("a").group("a1", "first", {{0, 1, 2}});
    p.group("a2", "second", {{0, 1, 2}, {0, 1, 3, 2}, {3, 2, 1}}, 1).object("b").group("b1", "first", {}).end();
    const Mesh m = decoded(p);
    ASSERT_TRUE(m.vertex_count == 4 && m.normal_count == 2 && m.materials && m.materials->next);
    EXPECT_EQ(Floats(m.vertices.begin(), m.vertices.begin() + 6), (Floats{1, -2, 0.5f, -8192, 8191.75f, 0}));
    EXPECT_EQ(Floats(m.normals.begin() + 3, m.normals.end()), (Floats{0.25f, 0.5f, 0.75f}));
    EXPECT_EQ(dump(m), "b 1: b1(first); a 1: a2(second) 3/1 2/1 1/1 | 0/1 1/1 3/1 2/1 | 0/1 1/1 2/1 | a1(first) 0/0 1/0 2/0 |");
    const Material& first = *m.materials->next;
    EXPECT_STREQ(m.materials->name, "second");
    EXPECT_EQ(Floats(first.ambient, first.ambient + 4), (Floats{0.5f, 1.5f, 2.5f, 1}));
    EXPECT_EQ(Floats(first.diffuse, first.diffuse + 4), (Floats{3.5f, 4.5f, 5.5f, 1}));
    EXPECT_EQ(Floats(first.specular, first.specular + 4), (Floats{6.5f, 7.5f, 8.5f, 1}));
    EXPECT_TRUE(first.reserved == 9.5f && first.shininess == 10.5f);
}

TEST(DecodeMesh, SkipsStrayBytesKeepsEmptyFacesTakesTheFirstTwinMaterialAndKindsByPrefix) {
    Packed p = triangle_mesh();
    p.u8('\n').u8(0).u8(0xff).u8('M').material("twin", 1).u8('x').material("twin", 100).u8('\r').object("o");
    p.group("g", "twin", {{0, 1, 2}, {}, {2, 1, 0}}).u8('Q');
    for (const char* name : {"pivot", "pivotal", "apoint", "Point1"}) p.object(name);
    for (const char* name : {"pivot_", "point", "pointless"}) p.object(name).group("g", "d", {{0}});
    const Mesh m = decoded(p.end().u8('o'));  // a record cut short after "q" is never read
    EXPECT_EQ(dump(m), "pointless 3: g(d) 0/0 |; point 3: g(d) 0/0 |; pivot_ 2: g(d) 0/0 |; Point1 1:; apoint 1:; "
                       "pivotal 1:; pivot 1:; o 1: g(twin) 2/0 1/0 0/0 | | 0/0 1/0 2/0 |");
    EXPECT_EQ(find_mesh_object(m, "o")->groups->material->ambient[0], 1.0f);  // the twin written first
    EXPECT_EQ(m.has_lights, 1);
}

TEST(DecodeMesh, PivotMarkerTakesApexAndAxisFromItsFirstGroupInListOrder) {
    // Vertices, faces of each group in record order, then the pivot point and the axis.
    const struct { Packed::Triples vertices; std::vector<Faces> groups; Floats point_and_axis; } cases[] = {
        {{{0, 0, 0}, {10, 0, 0}, {0, 20, 0}}, {{{0, 1, 2}}}, {0, 20, 0, 0, -20, 0}},  // d0 shortest: p2
        {{{0, 0, 0}, {30, 0, 0}, {0, 5, 0}}, {{{0, 1, 2}}}, {30, 0, 0, -30, 0, 0}},   // d2 shortest: p1
        {{{9, 0, 0}, {0, 9, 0}, {0, 0, 9}}, {{{0, 1, 2}}}, {9, 0, 0, -9, 0, 0}},      // all tie: p0
        // No triangle. In list order: the pentagon's sum (50, 0, 0) / 5, plus the quad's (0, 0, 40), / 4.
        {{{0, 0, 10}, {10, 0, 0}}, {{{0, 0, 0, 0}, {1, 1, 1, 1, 1}}}, {0, 0, 0, 2.5f, 0, 10}},
        // Only the last group written counts, and in it the last triangle written.
        {{{0, 50, 0}, {-1, 0, 0}, {1, 0, 0}, {0, -50, 0}, {9, 9, 9}}, {{{4, 4, 4, 4}}, {{0, 1, 2}, {3, 2, 1}, {0, 1}}},
         {0, -50, 0, 0, 50, 0}},
    };
    for (const auto& c : cases) {
        Packed p = Packed().header(1, c.vertices).material("d").object("pivot_m");
        for (const Faces& faces : c.groups) p.group("g", "d", faces);
        const Mesh m = decoded(p.end());
        ASSERT_TRUE(m.objects);
        const float *point = m.objects->pivot_point, *axis = m.objects->axis;
        EXPECT_EQ(Floats({point[0], point[1], point[2], axis[0], axis[1], axis[2]}), c.point_and_axis) << "case " << &c - cases;
    }
}

TEST(DecodeMesh, LinksEachObjectToTheFirstMarkerHoldingUnderscoreAndItsName) {
    Packed p = triangle_mesh();
    for (const char* name :
         {"pivot_pivot_larm", "l", "arm", "larm", "a", "a2", "pivot_larm", "point1", "pivot_point1", "pivot_a", "pivot_a2"})
        name[0] == 'p' ? p.object(name).group("g", "d", {{0, 1, 2}}) : p.object(name);
    // "pivot_pivot_larm" holds "_larm" and "pivot_a" holds "_a" too, but come later in list order; "_arm" is
    // not in "pivot_larm"; light markers link like solids; markers are never linked.
    EXPECT_EQ(dump(decoded(p.end()), false),
              "pivot_a2 2: g(d); pivot_a 2: g(d); pivot_point1 2: g(d); point1 3>pivot_point1: g(d); pivot_larm 2: g(d); "
              "a2 1>pivot_a2:; a 1>pivot_a2:; larm 1>pivot_larm:; arm 1:; l 1>pivot_larm:; pivot_pivot_larm 2: g(d)");
}

TEST(DecodeMeshRejects, MalformedDataWithItsReasonButNotTheLimits) {
    auto with_object = [] { return triangle_mesh().object("o"); };
    const std::string too_long(1000, 'n'), longest(999, 'n');
    const std::pair<Packed, E> cases[] = {
        {with_object().u8('\n'), E::missing_end},
        {Packed().header(0, {{1, 2, 3}}).end(), E::zero_scale},
        {Packed().u16(1).u32(0xffffffffu).u16(0).u16(0).u16(0), E::truncated},               // vertex count
        {Packed().u16(1).u32(0).u32(0x40000000u).end(), E::truncated},                      // normal count
        {with_object().u8('g').name("g").name("d").u16(500).u8(0).end(), E::truncated},     // face count
        {triangle_mesh().group("g", "d", {}).object("o").end(), E::group_before_object},
        {with_object().group("g", "red", {}).material("red").end(), E::unknown_material},
        {with_object().group("g", "d", {{0, 1, 3}}).end(), E::vertex_index_out_of_range},
        {with_object().group("g", "d", {{0, 1, 2}}, 1).end(), E::normal_index_out_of_range},
        {triangle_mesh().material(too_long).end(), E::name_too_long},
        {triangle_mesh().object(too_long).end(), E::name_too_long},
        {with_object().group(too_long, "d", {}).end(), E::name_too_long},
        {with_object().group("g", too_long, {}).end(), E::name_too_long},
        {lights(9), E::too_many_lights},
        {triangle_mesh().object("pivot_x").end(), E::pivot_marker_without_group},
        {triangle_mesh().object("point1").group("g", "d", {{0}, {}}).end(), E::light_marker_without_corner},
    };
    for (const auto& [p, error] : cases) EXPECT_EQ(refusal(p), error) << mesh_decode_error_text(error);
    const Packed whole = with_object().group("g", "d", {{0, 1, 2}}).end();
    for (size_t n = 0; n < whole.bytes.size(); ++n) {  // cut anywhere
        const E e = refusal(Packed{{whole.bytes.begin(), whole.bytes.begin() + static_cast<long>(n)}});
        EXPECT_TRUE(e == E::truncated || e == E::missing_end) << n << " bytes";
    }
    EXPECT_EQ(decoded(lights(8)).has_lights, 1);
    const Mesh named = decoded(triangle_mesh().material(longest).object(longest).group(longest, longest, {}).end());
    EXPECT_TRUE(named.objects->groups->material == named.materials && std::string(named.objects->groups->name) == longest);
}

TEST(MeshEncode, FiguresRoundTripToTheNearestStepAndBackToTheSameBytes) {
    for (const MeshSource& s : {build_toy_figure(), build_blocky_figure()}) {
        std::vector<uint8_t> bytes, again;
        std::string error;
        ASSERT_TRUE(encode_mesh(s, bytes, error)) << error;
        Mesh m;
        ASSERT_TRUE(decode_mesh(m, bytes.data(), bytes.size()).ok());
        ASSERT_TRUE(m.vertex_count == int(s.vertices.size()) && m.normal_count == int(s.normals.size()));
        double worst = 0;  // in steps of 1 / scale
        for (size_t i = 0; i < m.vertices.size(); ++i)
            worst = std::max(worst, std::fabs(double(m.vertices[i]) - s.vertices[i / 3][i % 3]));
        EXPECT_LT(worst * mesh_scale_for(s), 0.51);
        ASSERT_TRUE(encode_mesh(mesh_to_source(m), mesh_scale_for(s), again, error)) << error;
        EXPECT_EQ(again, bytes);
    }
}

// --- the stored figures ---

struct StoredFigures : ::testing::Test { void SetUp() override { decode_figures(); } };

TEST_F(StoredFigures, MatchTheirTables) {
    // Objects as dump() lists them (in list order, the reverse of record order); the faces designed for each
    // group in the same order, to be met within 30%; materials in list order (name, ambient and diffuse RGB).
    const struct { const Mesh& mesh; const unsigned char* packed; int scale, has_lights; Point lo, hi; std::string objects;
                   std::vector<int> faces; std::vector<std::string> materials; } figures[] = {
        {toy_figure, toy_figure_packed, 3596, 1, {-3.717, -3.987, -6.784}, {3.727, 8.112, 5.908},
         "pivot_head 2: pivot_head_default(default); pivot_rfoot 2: pivot_rfoot_default(default); "
         "pivot_lfoot 2: pivot_lfoot_default(default); pivot_rarm 2: pivot_rarm_default(default); "
         "pivot_larm 2: pivot_larm_default(default); point2 3: point2_default2(default2); "
         "point1 3: point1_default2(default2); rfoot 1>pivot_rfoot: rfoot_blu(blu); lfoot 1>pivot_lfoot: lfoot_blu(blu); "
         "larm 1>pivot_larm: larm_red(red) larm_yellow(yellow); rarm 1>pivot_rarm: rarm_red(red) rarm_yellow(yellow); "
         "body 1: body_red(red); waist 1: waist_blu(blu); head 1>pivot_head: head_blk(blk) head_yellow(yellow)",
         {5, 5, 5, 5, 5, 6, 6, 79, 79, 57, 72, 57, 72, 18, 49, 50, 146},
         {"yellow 0.307 0.307 0.307 1.000 0.967 0.000", "red 0.140 0.140 0.140 0.920 0.000 0.000",
          "default2 0.000 0.000 0.000 1.000 1.000 1.000", "default 1.000 1.000 1.000 1.000 1.000 1.000",
          "blu 0.000 0.000 0.000 0.160 0.273 1.000", "blk 0.000 0.000 0.000 0.000 0.000 0.000"}},
        {blocky_figure, blocky_figure_packed, 4111, 0, {-3.508, -3.233, -2.520}, {3.004, 6.970, 1.036},
         "cylinder3 1: cylinder3_blak(blak); cylinder2 1: cylinder2_blak(blak); "
         "cube1 1: cube1_blak(blak) cube1_bluu(bluu) cube1_default(default) cube1_redi(redi) cube1_yellowi(yellowi)",
         {74, 34, 26, 126, 216, 58, 91},
         {"yellowi 0.160 0.160 0.160 0.973 0.940 0.162", "redi 0.140 0.140 0.140 1.000 0.173 0.000",
          "default 0.107 0.107 0.107 1.000 1.000 1.000", "bluu 0.120 0.120 0.120 0.040 0.193 1.000",
          "blak 0.053 0.053 0.053 0.013 0.013 0.013"}},
    };
    for (const auto& f : figures) {
        EXPECT_EQ(dump(f.mesh, false), f.objects);
        EXPECT_TRUE((f.packed[0] | f.packed[1] << 8) == f.scale && f.mesh.has_lights == f.has_lights) << f.scale;
        size_t group = 0;  // in dump() order
        for (const MeshObject* o = f.mesh.objects; o; o = o->next)
            for (const MeshGroup* g = o->groups; g; g = g->next, ++group) {
                int faces = 0;
                for (const Face* x = g->faces; x; x = x->next) ++faces;
                EXPECT_LE(std::abs(faces - f.faces.at(group)), 0.3 * f.faces.at(group)) << g->name;
            }
        std::vector<std::string> materials;
        for (const Material* m = f.mesh.materials; m; m = m->next) {
            char text[mesh_name_size + 64];
            std::snprintf(text, sizeof text, "%s %.3f %.3f %.3f %.3f %.3f %.3f", m->name, m->ambient[0], m->ambient[1],
                          m->ambient[2], m->diffuse[0], m->diffuse[1], m->diffuse[2]);
            materials.push_back(text);
            EXPECT_TRUE((at(m->specular) == Point{1, 1, 1}) && m->reserved == 1 && m->shininess == 100) << m->name;
        }
        EXPECT_EQ(materials, f.materials);
        int outside = 0;  // coordinates beyond the ranges
        for (size_t i = 0; i < f.mesh.vertices.size(); ++i)
            outside += f.mesh.vertices[i] < f.lo[i % 3] - 2e-3 || f.mesh.vertices[i] > f.hi[i % 3] + 2e-3;
        EXPECT_EQ(outside, 0);
    }
}

TEST_F(StoredFigures, ToyFigureMarkersArePyramidsGivingThePivotTableAndCubes) {
    auto corner_counts = [](const char* object) {  // of each face of the first group
        std::multiset<int> counts;
        for (const Face* f = find_mesh_object(toy_figure, object)->groups->faces; f; f = f->next) counts.insert(f->count);
        return counts;
    };
    const std::pair<const char*, Floats> pivots[] = {  // pivot point, then axis
        {"pivot_larm", {1.682f, 2.375f, 0, 1.964f, 0.376f, 0}},   {"pivot_rarm", {-1.672f, 2.375f, 0, -1.965f, 0.376f, 0}},
        {"pivot_lfoot", {0.186f, -1.269f, 0, 2, -0.001f, 0}},     {"pivot_rfoot", {-0.188f, -1.269f, 0, -2, -0.001f, 0}},
        {"pivot_head", {-0.004f, 4.554f, 0, 0, 2, 0}}};
    for (const auto& [marker, point_and_axis] : pivots) {
        const MeshObject* o = find_mesh_object(toy_figure, marker);
        const float *point = o->pivot_point, *axis = o->axis;
        EXPECT_LT(gap({point[0], point[1], point[2], axis[0], axis[1], axis[2]}, point_and_axis), 5e-4) << marker;
        const Point apex = at(point);
        // Four triangles meeting at the apex, with sides about 2.05 long, and a base.
        EXPECT_EQ(corner_counts(marker), (std::multiset<int>{3, 3, 3, 3, 4})) << marker;
        for (const Point& p : points_of(marker))
            EXPECT_TRUE(p == apex || std::fabs(std::sqrt(dot(sub(p, apex), sub(p, apex))) - 2.05) < 0.02) << marker;
    }
    const std::pair<const char*, Point> cubes[] = {{"point1", {0, 7.986, 5.782}}, {"point2", {2.712, -3.434, -6.658}}};
    for (const auto& [marker, centre] : cubes) {  // six quadrilaterals, their corners 0.252 / 2 off the centre each way
        EXPECT_EQ(corner_counts(marker), (std::multiset<int>{4, 4, 4, 4, 4, 4})) << marker;
        for (const Point& p : points_of(marker))
            for (int c = 0; c < 3; ++c) EXPECT_NEAR(std::fabs(p[c] - centre[c]), 0.126, 1.0 / 3596) << marker;
    }
}

// Counter-clockwise about its corner normals, and every object enclosing
// positive volume, so those normals face outwards.
TEST_F(StoredFigures, EveryFaceIsWoundCounterClockwiseSeenFromOutside) {
    for (const Mesh* m : {&toy_figure, &blocky_figure})
        for (const MeshObject* o = m->objects; o; o = o->next) {
            double volume = 0;  // divergence theorem
            for (const MeshGroup* g = o->groups; g; g = g->next)
                for (const Face* f = g->faces; f; f = f->next) {
                    auto corner = [&](int k) { return vertex(*m, f->vertex_indices[k % f->count]); };
                    Point n{0, 0, 0};  // Newell's normal
                    for (int k = 0; k < f->count; ++k)
                        for (int c = 0; c < 3; ++c) n[c] += cross(corner(k), corner(k + 1))[c] / 2;
                    volume += f->count ? dot(corner(0), n) / 3 : 0;
                    for (int k = 0; k < f->count; ++k) {
                        const Point normal = at(&m->normals[3 * static_cast<size_t>(f->normal_indices[k])]);
                        EXPECT_TRUE(dot(normal, n) > 0 && std::fabs(dot(normal, normal) - 1) < 4e-3) << g->name;
                    }
                }
            EXPECT_GT(volume, 0.01) << o->name;
        }
}

// --- drawing, through a real GL (Mesa) ---

namespace {
struct MeshGl : ::testing::Test {
    // light_slot as at start, should the cases share a process
    void SetUp() override { ASSERT_GL_CONTEXT(ctx_); decode_figures(); light_slot = 0; }
    GlTestContext ctx_{640, 480};
};

Floats light(GLenum light, GLenum what) {
    Floats v(4);
    glGetLightfv(light, what, v.data());
    return v;
}

Floats corners(const std::vector<FeedbackPolygon>& polygons) {  // window x, y, z of each corner, in order
    Floats out;
    for (const FeedbackPolygon& p : polygons)
        for (const FeedbackVertex& v : p.vertices) out.insert(out.end(), {v.x, v.y, v.z});
    return out;
}
}  // namespace

TEST_F(MeshGl, ToyFigureDrawnTwiceTakesLightsZeroAndOneBothTimes) {
    for (GLenum l : {GL_LIGHT2, GL_LIGHT5}) glEnable(l);  // toy_figure turns all eight off first
    // blocky_figure, without light markers, must leave the lights as toy_figure set them.
    for (const Mesh* mesh : {&toy_figure, &toy_figure, &blocky_figure}) {
        draw_mesh(*mesh);
        std::vector<bool> on;
        for (unsigned int l : light_ids) on.push_back(glIsEnabled(l));
        EXPECT_EQ(on, std::vector<bool>({true, true, false, false, false, false, false, false}));
        // "point2", first in list order, aims light 0; both take the colours of "default2".
        EXPECT_LT(gap(light(GL_LIGHT0, GL_POSITION), {2.838f, -3.560f, -6.532f, 0}), 5e-4);
        EXPECT_LT(gap(light(GL_LIGHT1, GL_POSITION), {0.126f, 7.860f, 5.908f, 0}), 5e-4);
        EXPECT_TRUE(light(GL_LIGHT1, GL_AMBIENT) == Floats({0, 0, 0, 1}) && light(GL_LIGHT1, GL_DIFFUSE) == Floats(4, 1));
    }
}

TEST_F(MeshGl, LinkedSolidsAndLightsTurnAboutTheirPivot) {
    // "pivot_point_a" (apex (1, 0, 0), axis (0, 0, 2)) turns "a" and "point_a" about z through x = 1.
    Packed p = Packed().header(1, {{2, 0, 0}, {1, 0, 0}, {0, 0, 2}, {2, 0, 2}, {1, 1, 2}, {1, -1, 2}}).material("d");
    p.object("a").group("g", "d", {{0, 4, 2}}).object("point_a").group("g", "d", {{0}}).object("pivot_point_a");
    Mesh m = decoded(p.group("g", "d", {{1, 2, 4}, {1, 4, 3}, {1, 3, 5}, {1, 5, 2}, {2, 5, 3, 4}}).end());
    find_mesh_object(m, "a")->angle = find_mesh_object(m, "point_a")->angle = 90;
    glMatrixMode(GL_PROJECTION);
    glOrtho(-4, 4, -3, 3, -10, 10);  // 80 pixels a unit, the origin at (320, 240)
    glMatrixMode(GL_MODELVIEW);
    const Floats drawn = corners(capture_polygons([&] { draw_mesh(m); }));
    ASSERT_EQ(drawn.size(), 9u);  // one triangle: markers send no polygons
    const Floats xy{drawn[0], drawn[1], drawn[3], drawn[4], drawn[6], drawn[7]},
        ring{400, 320, 320, 240, 400, 160, 400, 320, 320, 240};  // (1, 1), (0, 0), (1, -1) from any corner
    double best = INFINITY;
    for (int k = 0; k < 6; k += 2) best = std::min(best, gap(xy, {ring.begin() + k, ring.begin() + k + 6}));
    EXPECT_LT(best, 0.01);
    EXPECT_LT(gap(light(GL_LIGHT0, GL_POSITION), {0, 2, 0, 0}), 1e-5);  // (2, 0, 0) turned, not moved
}

// Each row must draw exactly what draw_mesh draws at the copies' places,
// with the bob, the sway and the pose given here for its t.
TEST_F(MeshGl, WalkerRowsStandPosedWhereTheRowPutsThem) {
    glMatrixMode(GL_PROJECTION);
    glOrtho(-20, 20, -15, 15, -100, 100);
    glRotated(23, 1, 0.6, 0.2);  // so that no face is seen edge-on
    glMatrixMode(GL_MODELVIEW);
    const Floats at_zero{10, -10, 0, 0, 0};  // rarm, larm, head, lfoot, rfoot
    const struct { int count; float t; Floats copy_x, angles; float bob, sway; } rows[] = {
        {3, 0, {-7, 0, 7}, at_zero, -0.5f, -2}, {2, 0, {-3.5f, 3.5f}, at_zero, -0.5f, -2},
        {1, 0, {0, 7, 14}, at_zero, -0.5f, -2}, {4, 0, {-10.5f, -3.5f, 3.5f}, at_zero, -0.5f, -2},
        {3, float(std::numbers::pi / 20), {-7, 0, 7}, {-32.4264f, -52.4264f, 10.6066f, 28.2843f, 28.2843f}, -0.4f,
         -1.4142135f}};  // 5t = pi / 4 and 10t = pi / 2
    for (const auto& row : rows) {
        for (GLenum e : {GL_CULL_FACE, GL_DEPTH_TEST, GL_LIGHTING}) glDisable(e);
        const Floats drawn = corners(capture_polygons([&] { draw_walkers(row.count, row.t); }));
        EXPECT_TRUE(glIsEnabled(GL_CULL_FACE) && glIsEnabled(GL_DEPTH_TEST) && glIsEnabled(GL_LIGHTING)) << row.count;
        Floats angles;
        for (const char* part : {"rarm", "larm", "head", "lfoot", "rfoot"})
            angles.push_back(find_mesh_object(toy_figure, part)->angle);
        EXPECT_LT(gap(angles, row.angles), 1e-3) << row.count << " walkers at " << row.t;
        const Floats expected = corners(capture_polygons([&] {
            for (float x : row.copy_x) {
                glPushMatrix(); glTranslatef(x, row.bob, 0); glRotatef(row.sway, 0, 0, 1); draw_mesh(toy_figure); glPopMatrix();
            }
        }));
        ASSERT_FALSE(drawn.empty());
        EXPECT_LT(gap(drawn, expected), 0.02) << row.count << " walkers at " << row.t;
    }
}

// Each figure from the front on a grey ground: pixels of its colours ('y'
// yellow, 'r' red to orange, 'b' blue, 'w' white, 'k' dark) show, the first
// three with mean rows in the order given from the top.
TEST_F(MeshGl, FiguresShowTheirColoursInOrderFromTopToBottom) {
    const std::pair<const Mesh*, std::string> figures[] = {{&toy_figure, "yrbk"}, {&blocky_figure, "krbw"}};
    for (const auto& [figure, order] : figures) {
        begin_scene_frame(ctx_, 0.5f);
        glTranslatef(0, -1.5f, -14);
        draw_mesh(*figure);
        const RgbImage image = grab_frame(ctx_);
        std::map<char, std::pair<int, double>> seen;  // pixels and mean row
        for (size_t i = 0; i < image.rgb.size(); i += 3) {
            const int r = image.rgb[i], g = image.rgb[i + 1], b = image.rgb[i + 2];
            const int hi = std::max({r, g, b}), lo = std::min({r, g, b});
            const char c = hi < 60 ? 'k' : lo > 170 ? 'w' : 3 * (hi - lo) < hi ? '-'  // grey
                         : b == hi ? 'b' : 4 * g < 3 * r ? 'r' : 2 * b < g ? 'y' : '-';
            auto& [count, row] = seen[c];
            row += (double(i / 3 / image.width) - row) / ++count;
        }
        for (char c : order) EXPECT_GT(seen[c].first, 400) << c;
        for (size_t i = 1; i < 3; ++i) EXPECT_LT(seen[order[i - 1]].second, seen[order[i]].second) << order;
    }
}
