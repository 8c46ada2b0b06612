// The two embedded figures as decoded at start-up: records, materials,
// markers, pivots and links; the soundness of every polygon; and the joints
// the walk relies on.
#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <map>
#include <numbers>
#include <string>

#include "embedded/blocky_figure_packed.h"
#include "embedded/toy_figure_packed.h"
#include "figures/figure_models.h"
#include "mesh/figures.h"
#include "mesh/walkers.h"
#include "mesh_test_support.h"

namespace {

Point3 sub(Point3 a, Point3 b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
double dot3(Point3 a, Point3 b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
Point3 cross3(Point3 a, Point3 b) { return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]}; }
double norm3(Point3 a) { return std::sqrt(dot3(a, a)); }
Point3 at(const std::vector<float>& array, int32_t i) { return {array[3 * i], array[3 * i + 1], array[3 * i + 2]}; }
uint16_t stored_scale(const unsigned char* packed) { return static_cast<uint16_t>(packed[0] | (packed[1] << 8)); }

struct Box {
    Point3 lo{DBL_MAX, DBL_MAX, DBL_MAX}, hi{-DBL_MAX, -DBL_MAX, -DBL_MAX};
    explicit Box(const std::vector<Point3>& points) {
        for (const Point3& p : points)
            for (int c = 0; c < 3; ++c) lo[c] = std::min(lo[c], p[c]), hi[c] = std::max(hi[c], p[c]);
    }
    bool contains(const Point3& p) const {
        for (int c = 0; c < 3; ++c)
            if (p[c] < lo[c] || p[c] > hi[c]) return false;
        return true;
    }
};

Box all_vertices(const Mesh& m) {
    std::vector<Point3> points;
    for (int32_t i = 0; i < m.vertex_count; ++i) points.push_back(at(m.vertices, i));
    return Box(points);
}

template <typename Node>
std::vector<const Node*> in_record_order(const Node* head) {
    auto nodes = list_of(head);
    std::reverse(nodes.begin(), nodes.end());
    return nodes;
}

// "name kind: group(material) ..." for each object, in record order.
std::vector<std::string> object_records(const Mesh& m) {
    std::vector<std::string> records;
    for (const MeshObject* o : in_record_order(m.objects)) {
        std::string r = std::string(o->name) + " " + std::to_string(static_cast<int>(o->kind)) + ":";
        for (const MeshGroup* g : in_record_order(o->groups)) r += std::string(" ") + g->name + "(" + g->material->name + ")";
        records.push_back(r);
    }
    return records;
}

// "name ambient R G B diffuse R G B" to three decimals, in record order;
// specular white, reserved 1 and shininess 100 in every one.
std::vector<std::string> material_records(const Mesh& m) {
    std::vector<std::string> records;
    for (const Material* mat : in_record_order(m.materials)) {
        char text[mesh_name_size + 100];
        std::snprintf(text, sizeof text, "%s %.3f %.3f %.3f %.3f %.3f %.3f", mat->name, mat->ambient[0], mat->ambient[1],
                      mat->ambient[2], mat->diffuse[0], mat->diffuse[1], mat->diffuse[2]);
        records.push_back(text);
        EXPECT_EQ(std::vector<float>(mat->specular, mat->specular + 3), std::vector<float>(3, 1.0f)) << mat->name;
        EXPECT_TRUE(mat->reserved == 1.0f && mat->shininess == 100.0f) << mat->name;
    }
    return records;
}

// Faces per group within 30% of the counts the figure was designed to.
void expect_face_counts(const Mesh& m, const std::map<std::string, int>& design) {
    for (const MeshObject* o = m.objects; o; o = o->next)
        for (const MeshGroup* g = o->groups; g; g = g->next) {
            const double count = static_cast<double>(list_of(g->faces).size()), want = design.at(g->name);
            EXPECT_TRUE(count >= 0.7 * want && count <= 1.3 * want) << g->name << ": " << count << " faces";
        }
}

class Figures : public ::testing::Test {
protected:
    void SetUp() override { decode_figures(); }
};

}  // namespace

TEST_F(Figures, ToyFigureRecordsAndMaterials) {
    EXPECT_EQ(stored_scale(toy_figure_packed), 3596);
    EXPECT_EQ(stored_scale(toy_figure_packed), mesh_scale_for(build_toy_figure()));
    EXPECT_EQ(toy_figure.has_lights, 1);
    // Kinds: 1 solid, 2 pivot marker, 3 light marker.
    EXPECT_EQ(object_records(toy_figure),
              (std::vector<std::string>{"head 1: head_yellow(yellow) head_blk(blk)", "waist 1: waist_blu(blu)",
                                        "body 1: body_red(red)", "rarm 1: rarm_yellow(yellow) rarm_red(red)",
                                        "larm 1: larm_yellow(yellow) larm_red(red)", "lfoot 1: lfoot_blu(blu)",
                                        "rfoot 1: rfoot_blu(blu)", "point1 3: point1_default2(default2)",
                                        "point2 3: point2_default2(default2)", "pivot_larm 2: pivot_larm_default(default)",
                                        "pivot_rarm 2: pivot_rarm_default(default)",
                                        "pivot_lfoot 2: pivot_lfoot_default(default)",
                                        "pivot_rfoot 2: pivot_rfoot_default(default)",
                                        "pivot_head 2: pivot_head_default(default)"}));
    EXPECT_EQ(material_records(toy_figure),
              (std::vector<std::string>{"blk 0.000 0.000 0.000 0.000 0.000 0.000", "blu 0.000 0.000 0.000 0.160 0.273 1.000",
                                        "default 1.000 1.000 1.000 1.000 1.000 1.000",
                                        "default2 0.000 0.000 0.000 1.000 1.000 1.000",
                                        "red 0.140 0.140 0.140 0.920 0.000 0.000",
                                        "yellow 0.307 0.307 0.307 1.000 0.967 0.000"}));
    expect_face_counts(toy_figure, {{"head_yellow", 146}, {"head_blk", 50}, {"waist_blu", 49}, {"body_red", 18},
                                    {"rarm_yellow", 72}, {"rarm_red", 57}, {"larm_yellow", 72}, {"larm_red", 57},
                                    {"lfoot_blu", 79}, {"rfoot_blu", 79}, {"point1_default2", 6}, {"point2_default2", 6},
                                    {"pivot_larm_default", 5}, {"pivot_rarm_default", 5}, {"pivot_lfoot_default", 5},
                                    {"pivot_rfoot_default", 5}, {"pivot_head_default", 5}});
    const Box box = all_vertices(toy_figure);
    const Point3 lo{-3.717, -3.987, -6.784}, hi{3.727, 8.112, 5.908};
    for (int c = 0; c < 3; ++c) EXPECT_TRUE(box.lo[c] >= lo[c] - 0.002 && box.hi[c] <= hi[c] + 0.002) << c;
}

TEST_F(Figures, BlockyFigureRecordsAndMaterials) {
    EXPECT_EQ(stored_scale(blocky_figure_packed), 4111);
    EXPECT_EQ(stored_scale(blocky_figure_packed), mesh_scale_for(build_blocky_figure()));
    EXPECT_EQ(blocky_figure.has_lights, 0);
    EXPECT_EQ(object_records(blocky_figure),
              (std::vector<std::string>{
                  "cube1 1: cube1_yellowi(yellowi) cube1_redi(redi) cube1_default(default) cube1_bluu(bluu) cube1_blak(blak)",
                  "cylinder2 1: cylinder2_blak(blak)", "cylinder3 1: cylinder3_blak(blak)"}));
    EXPECT_EQ(material_records(blocky_figure),
              (std::vector<std::string>{"blak 0.053 0.053 0.053 0.013 0.013 0.013", "bluu 0.120 0.120 0.120 0.040 0.193 1.000",
                                        "default 0.107 0.107 0.107 1.000 1.000 1.000",
                                        "redi 0.140 0.140 0.140 1.000 0.173 0.000",
                                        "yellowi 0.160 0.160 0.160 0.973 0.940 0.162"}));
    expect_face_counts(blocky_figure, {{"cube1_yellowi", 91}, {"cube1_redi", 58}, {"cube1_default", 216}, {"cube1_bluu", 126},
                                       {"cube1_blak", 26}, {"cylinder2_blak", 34}, {"cylinder3_blak", 74}});
    for (const MeshObject* o = blocky_figure.objects; o; o = o->next) EXPECT_EQ(o->pivot, nullptr);
    const Box box = all_vertices(blocky_figure);
    const Point3 lo{-3.508, -3.233, -2.520}, hi{3.004, 6.970, 1.036};
    for (int c = 0; c < 3; ++c) EXPECT_TRUE(box.lo[c] >= lo[c] - 0.0005 && box.hi[c] <= hi[c] + 0.0005) << c;
}

TEST_F(Figures, ToyFigurePivotsLinksAndPyramids) {
    const struct {
        const char *part, *marker;
        float point[2], axis[2];
    } table[] = {{"larm", "pivot_larm", {1.682f, 2.375f}, {1.964f, 0.376f}},
                 {"rarm", "pivot_rarm", {-1.672f, 2.375f}, {-1.965f, 0.376f}},
                 {"lfoot", "pivot_lfoot", {0.186f, -1.269f}, {2.000f, -0.001f}},
                 {"rfoot", "pivot_rfoot", {-0.188f, -1.269f}, {-2.000f, -0.001f}},
                 {"head", "pivot_head", {-0.004f, 4.554f}, {0.000f, 2.000f}}};
    for (const auto& row : table) {
        const MeshObject* o = find_mesh_object(toy_figure, row.marker);
        EXPECT_EQ(find_mesh_object(toy_figure, row.part)->pivot, o) << row.part;
        for (int c = 0; c < 3; ++c) {
            EXPECT_NEAR(o->pivot_point[c], c < 2 ? row.point[c] : 0, 0.0005) << row.marker;
            EXPECT_NEAR(o->axis[c], c < 2 ? row.axis[c] : 0, 0.0005) << row.marker;
        }
        // Four sides about 2.05 long meeting at the apex, a base of edges about 0.61.
        int sides = 0;
        for (const Face* f : list_of(o->groups->faces))
            for (int k = 0; k < f->count; ++k) {
                const Point3 a = at(toy_figure.vertices, f->vertex_indices[k]),
                             b = at(toy_figure.vertices, f->vertex_indices[(k + 1) % f->count]);
                const bool side = f->count == 3 && std::min(norm3(sub(a, {o->pivot_point[0], o->pivot_point[1], 0})),
                                                            norm3(sub(b, {o->pivot_point[0], o->pivot_point[1], 0}))) < 1e-3;
                sides += side;
                EXPECT_NEAR(norm3(sub(a, b)), side ? 2.05 : 0.61, 0.02) << row.marker;
            }
        EXPECT_EQ(sides, 8) << row.marker;  // each side edge seen from its two triangles
    }
    for (const char* free_part : {"waist", "body", "point1", "point2"})
        EXPECT_EQ(find_mesh_object(toy_figure, free_part)->pivot, nullptr) << free_part;
}

TEST_F(Figures, ToyFigureLightCubesAimByTheirFirstCorner) {
    const struct {
        const char* marker;
        Point3 centre, aim;
    } lights[] = {{"point1", {0, 7.986, 5.782}, {0.126, 7.860, 5.908}},
                  {"point2", {2.712, -3.434, -6.658}, {2.838, -3.560, -6.532}}};
    for (const auto& l : lights) {
        const MeshObject* o = find_mesh_object(toy_figure, l.marker);
        const Point3 aim = at(toy_figure.vertices, o->groups->faces->vertex_indices[0]);
        const Box cube(object_points(toy_figure, l.marker));
        for (int c = 0; c < 3; ++c) {
            EXPECT_NEAR(aim[c], l.aim[c], 0.0005) << l.marker;
            EXPECT_NEAR(cube.hi[c] - cube.lo[c], 0.252, 2.0 / 3596) << l.marker;
            EXPECT_NEAR((cube.hi[c] + cube.lo[c]) / 2, l.centre[c], 1.0 / 3596) << l.marker;
        }
        for (const Face* f : list_of(o->groups->faces)) EXPECT_EQ(f->count, 4);
    }
}

// Every polygon is one GL_POLYGON draws right (3 to 16 corners, planar,
// convex) and wound counter-clockwise about its own unit corner normals;
// every object encloses positive volume, so the normals face outwards.
TEST_F(Figures, EveryPolygonIsConvexPlanarAndWoundOutwards) {
    for (const Mesh* m : {&toy_figure, &blocky_figure})
        for (const MeshObject* o = m->objects; o; o = o->next) {
            double volume = 0;  // divergence theorem
            for (const MeshGroup* g = o->groups; g; g = g->next)
                for (const Face* f = g->faces; f; f = f->next) {
                    ASSERT_TRUE(f->count >= 3 && f->count <= 16) << g->name;
                    auto corner = [&](int k) { return at(m->vertices, f->vertex_indices[k % f->count]); };
                    Point3 n{0, 0, 0};  // Newell's normal
                    for (int k = 0; k < f->count; ++k)
                        for (int c = 0; c < 3; ++c) n[c] += cross3(corner(k), corner(k + 1))[c] / 2;
                    volume += dot3(corner(0), n) / 3;
                    const double area = norm3(n);
                    ASSERT_GT(area, 1e-6) << g->name;
                    for (int k = 0; k < f->count; ++k) {
                        const Point3 cn = at(m->normals, f->normal_indices[k]);
                        EXPECT_LT(std::fabs(dot3(sub(corner(k), corner(0)), n)) / area, 2e-3) << g->name << " not planar";
                        EXPECT_GE(dot3(cross3(sub(corner(k + 1), corner(k)), sub(corner(k + 2), corner(k + 1))), n), -1e-9)
                            << g->name << " not convex";
                        EXPECT_NEAR(norm3(cn), 1.0, 2e-3) << g->name;
                        EXPECT_GT(dot3(cn, n), 0.0) << g->name << " wound against its normals";
                    }
                }
            EXPECT_GT(volume, 0.01) << o->name;
        }
}

TEST_F(Figures, LimbsStayJoinedAndSwingInTheSidePlane) {
    const Box torso(object_points(toy_figure, "body")), waist(object_points(toy_figure, "waist"));
    for (const char* part : {"larm", "rarm", "lfoot", "rfoot", "head"}) {
        const MeshObject* o = find_mesh_object(toy_figure, part);
        const bool leg = part[1] == 'f', head = part[0] == 'h';
        const auto points = object_points(toy_figure, part);
        // The head's printed face is off its axis; its shell is not.
        const Point3 rest = mean_point(head ? object_points(toy_figure, part, "head_yellow") : points);
        for (int degrees = -70; degrees <= 70; degrees += 5) {
            int joined = 0;
            for (const Point3& p : points)
                joined += (leg ? waist : torso).contains(rotate_about(p, o->pivot->pivot_point, o->pivot->axis, degrees));
            EXPECT_GT(joined, 3) << part << " comes loose at " << degrees << " degrees";
            const Point3 shift = sub(rotate_about(rest, o->pivot->pivot_point, o->pivot->axis, degrees), rest);
            if (head)
                EXPECT_LT(norm3(shift), 0.05) << degrees;  // turns in place
            else
                EXPECT_LE(std::fabs(shift[0]), 0.25 * norm3(shift)) << part << " swings sideways at " << degrees;
        }
    }
    // At the widest stride each arm swings against the leg of its own side.
    pose_walker(toy_figure, static_cast<float>(std::numbers::pi / 10));
    auto swung_low_end = [](const char* part, double below_y) {
        const MeshObject* o = find_mesh_object(toy_figure, part);
        std::vector<Point3> low;
        for (const Point3& p : object_points(toy_figure, part))
            if (p[1] < below_y) low.push_back(p);
        return rotate_about(mean_point(low), o->pivot->pivot_point, o->pivot->axis, o->angle);
    };
    EXPECT_GT(swung_low_end("larm", 0.5)[2], swung_low_end("rarm", 0.5)[2] + 1.0);        // left hand forward
    EXPECT_GT(swung_low_end("rfoot", -3.3)[2], swung_low_end("lfoot", -3.3)[2] + 1.0);    // right foot forward
}
