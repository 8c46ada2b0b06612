// The two embedded figures as decoded at start-up: their records, materials,
// markers, pivots and links, the soundness of every polygon, and the
// geometry the walk relies on (limbs that swing about their joints).
#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <functional>
#include <numbers>
#include <string>

#include "embedded/blocky_figure_packed.h"
#include "embedded/toy_figure_packed.h"
#include "figure_view.h"
#include "figures/figure_models.h"
#include "mesh/figures.h"
#include "mesh/walkers.h"
#include "packed_bytes.h"

namespace {

using Point = std::array<double, 3>;

Point sub(Point a, Point b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
double dot3(Point a, Point b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
Point cross3(Point a, Point b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
double norm3(Point a) { return std::sqrt(dot3(a, a)); }

Point vertex(const Mesh& m, int32_t i) {
    return {m.vertices[3 * i], m.vertices[3 * i + 1], m.vertices[3 * i + 2]};
}
Point normal(const Mesh& m, int32_t i) { return {m.normals[3 * i], m.normals[3 * i + 1], m.normals[3 * i + 2]}; }

void for_each_face(const Mesh& m, const std::function<void(const MeshObject&, const MeshGroup&, const Face&)>& fn) {
    for (const MeshObject* o = m.objects; o; o = o->next)
        for (const MeshGroup* g = o->groups; g; g = g->next)
            for (const Face* f = g->faces; f; f = f->next) fn(*o, *g, *f);
}

// Newell's normal: the polygon's area-weighted normal.
Point newell(const Mesh& m, const Face& f) {
    Point n{0, 0, 0};
    for (int k = 0; k < f.count; ++k) {
        const Point a = vertex(m, f.vertex_indices[k]), b = vertex(m, f.vertex_indices[(k + 1) % f.count]);
        n[0] += (a[1] - b[1]) * (a[2] + b[2]);
        n[1] += (a[2] - b[2]) * (a[0] + b[0]);
        n[2] += (a[0] - b[0]) * (a[1] + b[1]);
    }
    return n;
}

class Figures : public ::testing::Test {
protected:
    void SetUp() override { decode_figures(); }
};

std::vector<std::string> names_in_record_order(const Mesh& m) {
    std::vector<std::string> names;
    for (const MeshObject* o : list_of(m.objects)) names.insert(names.begin(), o->name);
    return names;
}

struct GroupFact {
    const char* object;
    const char* group;
    const char* material;
    int faces;  // the reference count; ours may differ by 30%
};

// Groups of `object` in record order, each with its material and face count.
void expect_groups(const Mesh& m, const std::vector<GroupFact>& facts) {
    std::string object;
    std::vector<const MeshGroup*> groups;
    size_t next = 0;
    for (const GroupFact& fact : facts) {
        if (object != fact.object) {
            object = fact.object;
            const MeshObject* o = find_mesh_object(m, fact.object);
            ASSERT_NE(o, nullptr) << fact.object;
            groups = list_of(o->groups);
            std::reverse(groups.begin(), groups.end());
            next = 0;
        }
        ASSERT_LT(next, groups.size()) << fact.group;
        const MeshGroup& g = *groups[next++];
        EXPECT_STREQ(g.name, fact.group);
        EXPECT_STREQ(g.material->name, fact.material) << fact.group;
        const int count = static_cast<int>(list_of(g.faces).size());
        EXPECT_GE(count, fact.faces * 0.7) << fact.group;
        EXPECT_LE(count, fact.faces * 1.3) << fact.group;
    }
}

struct MaterialFact {
    const char* name;
    float ambient, diffuse[3];
};

void expect_materials(const Mesh& m, const std::vector<MaterialFact>& facts) {
    auto materials = list_of(m.materials);
    std::reverse(materials.begin(), materials.end());
    ASSERT_EQ(materials.size(), facts.size());
    for (size_t i = 0; i < facts.size(); ++i) {
        const Material& mat = *materials[i];
        SCOPED_TRACE(facts[i].name);
        EXPECT_STREQ(mat.name, facts[i].name);
        for (int c = 0; c < 3; ++c) {
            EXPECT_NEAR(mat.ambient[c], facts[i].ambient, 0.0005);
            EXPECT_NEAR(mat.diffuse[c], facts[i].diffuse[c], 0.0005);
            EXPECT_FLOAT_EQ(mat.specular[c], 1.0f);
        }
        EXPECT_FLOAT_EQ(mat.ambient[3], 1.0f);
        EXPECT_FLOAT_EQ(mat.reserved, 1.0f);
        EXPECT_FLOAT_EQ(mat.shininess, 100.0f);
    }
}

void expect_within_ranges(const Mesh& m, const double lo[3], const double hi[3], double slack) {
    double min[3] = {DBL_MAX, DBL_MAX, DBL_MAX}, max[3] = {-DBL_MAX, -DBL_MAX, -DBL_MAX};
    for (int32_t i = 0; i < m.vertex_count; ++i)
        for (int c = 0; c < 3; ++c) {
            min[c] = std::min(min[c], double(m.vertices[3 * i + c]));
            max[c] = std::max(max[c], double(m.vertices[3 * i + c]));
        }
    for (int c = 0; c < 3; ++c) {
        EXPECT_GE(min[c], lo[c] - slack) << "axis " << c;
        EXPECT_LE(max[c], hi[c] + slack) << "axis " << c;
    }
}

uint16_t stored_scale(const unsigned char* packed) { return static_cast<uint16_t>(packed[0] | (packed[1] << 8)); }

// Every polygon GL_POLYGON can draw right, wound counter-clockwise about its
// own corner normals (so culling keeps the side the normals face).
void expect_sound_polygons(const Mesh& m) {
    int checked = 0;
    for_each_face(m, [&](const MeshObject& o, const MeshGroup& g, const Face& f) {
        SCOPED_TRACE(std::string(o.name) + " / " + g.name);
        ASSERT_GE(f.count, 3);
        ASSERT_LE(f.count, 16);
        const Point n = newell(m, f);
        const double area2 = norm3(n);
        ASSERT_GT(area2, 1e-6);
        const Point unit{n[0] / area2, n[1] / area2, n[2] / area2};
        const Point p0 = vertex(m, f.vertex_indices[0]);
        for (int k = 0; k < f.count; ++k) {
            const Point p = vertex(m, f.vertex_indices[k]);
            EXPECT_LT(std::fabs(dot3(sub(p, p0), unit)), 2e-3) << "not planar, corner " << k;
            // Convex: every turn goes the same way as the normal.
            const Point q = vertex(m, f.vertex_indices[(k + 1) % f.count]);
            const Point r = vertex(m, f.vertex_indices[(k + 2) % f.count]);
            EXPECT_GE(dot3(cross3(sub(q, p), sub(r, q)), unit), -1e-6) << "not convex at corner " << k;
            const Point cn = normal(m, f.normal_indices[k]);
            EXPECT_NEAR(norm3(cn), 1.0, 2e-3) << "corner normal not unit";
            EXPECT_GT(dot3(cn, unit), 0.0) << "wound against its normal at corner " << k;
        }
        ++checked;
    });
    EXPECT_GT(checked, 600);
}

// Divergence theorem: a surface wound outwards encloses positive volume.
double enclosed_volume(const Mesh& m, const MeshObject& o) {
    double v = 0;
    for (const MeshGroup* g = o.groups; g; g = g->next)
        for (const Face* f = g->faces; f; f = f->next)
            for (int k = 1; k + 1 < f->count; ++k)
                v += dot3(vertex(m, f->vertex_indices[0]),
                          cross3(vertex(m, f->vertex_indices[k]), vertex(m, f->vertex_indices[k + 1]))) /
                     6;
    return v;
}

struct Box {
    double lo[3] = {DBL_MAX, DBL_MAX, DBL_MAX}, hi[3] = {-DBL_MAX, -DBL_MAX, -DBL_MAX};
    void add(const Point& p) {
        for (int c = 0; c < 3; ++c) {
            lo[c] = std::min(lo[c], p[c]);
            hi[c] = std::max(hi[c], p[c]);
        }
    }
    bool contains(const Point& p) const {
        for (int c = 0; c < 3; ++c)
            if (p[c] < lo[c] || p[c] > hi[c]) return false;
        return true;
    }
};

Box box_of(const std::vector<Point>& points) {
    Box b;
    for (const Point& p : points) b.add(p);
    return b;
}

}  // namespace

TEST_F(Figures, ToyFigureDecodesWithTheScaleRuleAndLights) {
    EXPECT_EQ(stored_scale(toy_figure_packed), 3596);
    EXPECT_EQ(stored_scale(toy_figure_packed), mesh_scale_for(build_toy_figure()));
    EXPECT_EQ(toy_figure_packed[toy_figure_packed_size - 1], 'q');
    EXPECT_EQ(toy_figure.has_lights, 1);
    // Complexity of the same order as the reference figure (821 vertices).
    EXPECT_GT(toy_figure.vertex_count, 500);
    EXPECT_LT(toy_figure.vertex_count, 1200);
    const double lo[3] = {-3.717, -3.987, -6.784}, hi[3] = {3.727, 8.112, 5.908};
    expect_within_ranges(toy_figure, lo, hi, 0.002);
}

TEST_F(Figures, ToyFigureRecordsAndMaterials) {
    expect_materials(toy_figure, {{"blk", 0, {0, 0, 0}},
                                  {"blu", 0, {0.16f, 0.273f, 1}},
                                  {"default", 1, {1, 1, 1}},
                                  {"default2", 0, {1, 1, 1}},
                                  {"red", 0.14f, {0.92f, 0, 0}},
                                  {"yellow", 0.307f, {1, 0.967f, 0}}});
    EXPECT_EQ(names_in_record_order(toy_figure),
              (std::vector<std::string>{"head", "waist", "body", "rarm", "larm", "lfoot", "rfoot", "point1",
                                        "point2", "pivot_larm", "pivot_rarm", "pivot_lfoot", "pivot_rfoot",
                                        "pivot_head"}));
    for (const MeshObject* o : list_of(toy_figure.objects)) {
        const MeshObjectKind want = std::strncmp(o->name, "pivot_", 6) == 0  ? MeshObjectKind::pivot_marker
                                    : std::strncmp(o->name, "point", 5) == 0 ? MeshObjectKind::light_marker
                                                                             : MeshObjectKind::solid;
        EXPECT_EQ(o->kind, want) << o->name;
    }
    expect_groups(toy_figure, {{"head", "head_yellow", "yellow", 146},
                               {"head", "head_blk", "blk", 50},
                               {"waist", "waist_blu", "blu", 49},
                               {"body", "body_red", "red", 18},
                               {"rarm", "rarm_yellow", "yellow", 72},
                               {"rarm", "rarm_red", "red", 57},
                               {"larm", "larm_yellow", "yellow", 72},
                               {"larm", "larm_red", "red", 57},
                               {"lfoot", "lfoot_blu", "blu", 79},
                               {"rfoot", "rfoot_blu", "blu", 79},
                               {"point1", "point1_default2", "default2", 6},
                               {"point2", "point2_default2", "default2", 6}});
    for (const char* marker : {"pivot_larm", "pivot_rarm", "pivot_lfoot", "pivot_rfoot", "pivot_head"}) {
        const MeshObject* o = find_mesh_object(toy_figure, marker);
        ASSERT_NE(o, nullptr);
        ASSERT_EQ(list_of(o->groups).size(), 1u);
        EXPECT_EQ(std::string(o->groups->name), std::string(marker) + "_default");
        EXPECT_STREQ(o->groups->material->name, "default");
    }
}

TEST_F(Figures, ToyFigureLinksEachMovingPartToItsPivot) {
    const char* linked[][2] = {{"head", "pivot_head"},   {"rarm", "pivot_rarm"},   {"larm", "pivot_larm"},
                               {"lfoot", "pivot_lfoot"}, {"rfoot", "pivot_rfoot"}};
    for (const auto& [part, marker] : linked) {
        const MeshObject* o = find_mesh_object(toy_figure, part);
        ASSERT_NE(o, nullptr);
        ASSERT_NE(o->pivot, nullptr) << part;
        EXPECT_STREQ(o->pivot->name, marker);
        EXPECT_EQ(o->angle, 0.0f);
    }
    for (const char* free_part : {"waist", "body", "point1", "point2"})
        EXPECT_EQ(find_mesh_object(toy_figure, free_part)->pivot, nullptr) << free_part;
}

TEST_F(Figures, ToyFigurePivotsMatchTheTableToThreeDecimals) {
    struct {
        const char* marker;
        double point[2], axis[2];
    } table[] = {{"pivot_larm", {1.682, 2.375}, {1.964, 0.376}},   {"pivot_rarm", {-1.672, 2.375}, {-1.965, 0.376}},
                 {"pivot_lfoot", {0.186, -1.269}, {2.000, -0.001}}, {"pivot_rfoot", {-0.188, -1.269}, {-2.000, -0.001}},
                 {"pivot_head", {-0.004, 4.554}, {0.000, 2.000}}};
    for (const auto& row : table) {
        const MeshObject* o = find_mesh_object(toy_figure, row.marker);
        ASSERT_NE(o, nullptr);
        SCOPED_TRACE(row.marker);
        for (int c = 0; c < 2; ++c) {
            EXPECT_NEAR(o->pivot_point[c], row.point[c], 0.0005);
            EXPECT_NEAR(o->axis[c], row.axis[c], 0.0005);
        }
        EXPECT_NEAR(o->pivot_point[2], 0, 0.0005);
        EXPECT_NEAR(o->axis[2], 0, 0.0005);
    }
}

TEST_F(Figures, ToyFigurePivotMarkersArePyramids) {
    for (const char* marker : {"pivot_larm", "pivot_rarm", "pivot_lfoot", "pivot_rfoot", "pivot_head"}) {
        SCOPED_TRACE(marker);
        const MeshObject* o = find_mesh_object(toy_figure, marker);
        const Point apex{o->pivot_point[0], o->pivot_point[1], o->pivot_point[2]};
        int triangles = 0, bases = 0;
        for (const Face* f : list_of(o->groups->faces)) {
            for (int k = 0; k < f->count; ++k) {
                const Point a = vertex(toy_figure, f->vertex_indices[k]);
                const Point b = vertex(toy_figure, f->vertex_indices[(k + 1) % f->count]);
                const double edge = norm3(sub(a, b));
                const bool side = f->count == 3 && (norm3(sub(a, apex)) < 1e-3 || norm3(sub(b, apex)) < 1e-3);
                EXPECT_NEAR(edge, side ? 2.05 : 0.61, side ? 0.02 : 0.01);
            }
            triangles += f->count == 3;
            bases += f->count == 4;
        }
        EXPECT_EQ(triangles, 4);
        EXPECT_EQ(bases, 1);
    }
}

TEST_F(Figures, ToyFigureLightCubesAimByTheirCornerVertex) {
    struct {
        const char* marker;
        Point centre, aim;
    } lights[] = {{"point1", {0, 7.986, 5.782}, {0.126, 7.860, 5.908}},
                  {"point2", {2.712, -3.434, -6.658}, {2.838, -3.560, -6.532}}};
    const double step = 1.0 / 3596;  // one quantisation step
    for (const auto& light : lights) {
        SCOPED_TRACE(light.marker);
        const MeshObject* o = find_mesh_object(toy_figure, light.marker);
        ASSERT_NE(o, nullptr);
        const Face* first = o->groups->faces;
        const Point aim = vertex(toy_figure, first->vertex_indices[0]);
        for (int c = 0; c < 3; ++c) EXPECT_NEAR(aim[c], light.aim[c], 0.0005);
        // Six quadrilaterals spanning a cube of edge 0.252 about the centre.
        const auto faces = list_of(o->groups->faces);
        EXPECT_EQ(faces.size(), 6u);
        Box box;
        for (const Face* f : faces) {
            EXPECT_EQ(f->count, 4);
            for (int k = 0; k < f->count; ++k) box.add(vertex(toy_figure, f->vertex_indices[k]));
        }
        for (int c = 0; c < 3; ++c) {
            EXPECT_NEAR(box.hi[c] - box.lo[c], 0.252, 2 * step);
            EXPECT_NEAR((box.hi[c] + box.lo[c]) / 2, light.centre[c], step);
        }
    }
}

TEST_F(Figures, BlockyFigureRecordsAndMaterials) {
    EXPECT_EQ(stored_scale(blocky_figure_packed), 4111);
    EXPECT_EQ(stored_scale(blocky_figure_packed), mesh_scale_for(build_blocky_figure()));
    EXPECT_EQ(blocky_figure.has_lights, 0);
    expect_materials(blocky_figure, {{"blak", 0.053f, {0.013f, 0.013f, 0.013f}},
                                     {"bluu", 0.12f, {0.04f, 0.193f, 1}},
                                     {"default", 0.107f, {1, 1, 1}},
                                     {"redi", 0.14f, {1, 0.173f, 0}},
                                     {"yellowi", 0.16f, {0.973f, 0.94f, 0.162f}}});
    EXPECT_EQ(names_in_record_order(blocky_figure), (std::vector<std::string>{"cube1", "cylinder2", "cylinder3"}));
    for (const MeshObject* o : list_of(blocky_figure.objects)) {
        EXPECT_EQ(o->kind, MeshObjectKind::solid) << o->name;
        EXPECT_EQ(o->pivot, nullptr);
    }
    expect_groups(blocky_figure, {{"cube1", "cube1_yellowi", "yellowi", 91},
                                  {"cube1", "cube1_redi", "redi", 58},
                                  {"cube1", "cube1_default", "default", 216},
                                  {"cube1", "cube1_bluu", "bluu", 126},
                                  {"cube1", "cube1_blak", "blak", 26},
                                  {"cylinder2", "cylinder2_blak", "blak", 34},
                                  {"cylinder3", "cylinder3_blak", "blak", 74}});
    const double lo[3] = {-3.508, -3.233, -2.520}, hi[3] = {3.004, 6.970, 1.036};
    expect_within_ranges(blocky_figure, lo, hi, 0.0005);
}

TEST_F(Figures, EveryPolygonIsConvexPlanarAndWoundWithItsNormals) {
    {
        SCOPED_TRACE("toy figure");
        expect_sound_polygons(toy_figure);
    }
    {
        SCOPED_TRACE("blocky figure");
        expect_sound_polygons(blocky_figure);
    }
}

TEST_F(Figures, EverySolidFacesOutwards) {
    for (const Mesh* m : {&toy_figure, &blocky_figure})
        for (const MeshObject* o : list_of(m->objects)) EXPECT_GT(enclosed_volume(*m, *o), 0.01) << o->name;
}

TEST_F(Figures, ToyLimbsHangFromTheirJoints) {
    const Box torso = box_of(object_points(toy_figure, "body"));
    const Box waist = box_of(object_points(toy_figure, "waist"));
    for (const char* arm : {"larm", "rarm"}) {
        SCOPED_TRACE(arm);
        const MeshObject* o = find_mesh_object(toy_figure, arm);
        const Point shoulder{o->pivot->pivot_point[0], o->pivot->pivot_point[1], o->pivot->pivot_point[2]};
        const Point hand = mean_point(object_points(toy_figure, arm, (std::string(arm) + "_yellow").c_str()));
        EXPECT_LT(hand[1], shoulder[1] - 1.5);  // hangs down
        EXPECT_GT(hand[2], 0.3);                // forearm bent forward
        EXPECT_GT(std::fabs(hand[0]), std::fabs(shoulder[0]));  // outside the shoulder, not across the body
        EXPECT_GT(std::fabs(shoulder[0]), torso.hi[0] - 0.6);   // at the torso's side
        EXPECT_LT(shoulder[1], torso.hi[1]);
    }
    for (const char* leg : {"lfoot", "rfoot"}) {
        SCOPED_TRACE(leg);
        const Box b = box_of(object_points(toy_figure, leg));
        const MeshObject* o = find_mesh_object(toy_figure, leg);
        const double hip_y = o->pivot->pivot_point[1];
        EXPECT_GT(hip_y, waist.lo[1]);  // the hip axis runs through the waist
        EXPECT_LT(hip_y, waist.hi[1]);
        EXPECT_LT(b.hi[1], waist.hi[1]);  // the leg's top is hidden in the waist
        EXPECT_NEAR(b.lo[1], -3.987, 0.001);  // standing on the ground
        EXPECT_GT(b.hi[2], 0.9);              // the foot points forward
    }
    const MeshObject* head = find_mesh_object(toy_figure, "head");
    const Box h = box_of(object_points(toy_figure, "head"));
    EXPECT_NEAR((h.lo[0] + h.hi[0]) / 2, head->pivot->pivot_point[0], 0.02);  // turns about its own axis
    EXPECT_NEAR((h.lo[2] + h.hi[2]) / 2, head->pivot->pivot_point[2], 0.03);
    EXPECT_LT(h.lo[1], torso.hi[1] + 0.5);  // sits on the neck
}

TEST_F(Figures, ToyLimbsStayJoinedAndSwingForwardAndBack) {
    const Box torso = box_of(object_points(toy_figure, "body"));
    const Box waist = box_of(object_points(toy_figure, "waist"));
    for (const char* part : {"larm", "rarm", "lfoot", "rfoot", "head"}) {
        SCOPED_TRACE(part);
        const MeshObject* o = find_mesh_object(toy_figure, part);
        const Box& joint = std::strcmp(part, "lfoot") == 0 || std::strcmp(part, "rfoot") == 0 ? waist : torso;
        const auto points = object_points(toy_figure, part);
        // The head's printed face is off its axis; its shell is not.
        const Point rest = mean_point(std::strcmp(part, "head") == 0 ? object_points(toy_figure, part, "head_yellow")
                                                                     : points);
        for (int degrees = -70; degrees <= 70; degrees += 5) {
            int inside = 0;
            for (const Point& p : points)
                inside += joint.contains(rotate_about(p, o->pivot->pivot_point, o->pivot->axis, degrees));
            EXPECT_GT(inside, 3) << "comes loose at " << degrees << " degrees";
            const Point shift = sub(rotate_about(rest, o->pivot->pivot_point, o->pivot->axis, degrees), rest);
            if (std::strcmp(part, "head") == 0) {
                EXPECT_LT(norm3(shift), 0.05) << degrees;  // turns in place
            } else {
                // Swings in the figure's side plane: forwards, backwards, up.
                EXPECT_LT(std::fabs(shift[0]), 0.25 * norm3(shift) + 1e-9) << degrees;
            }
        }
    }
}

TEST_F(Figures, MidStrideEachArmSwingsAgainstItsOwnLeg) {
    pose_walker(toy_figure, static_cast<float>(std::numbers::pi / 10));  // the widest stride
    // Where the mean of a part's points below `below_y` goes in the pose.
    auto swung = [](const char* part, double below_y) {
        const MeshObject* o = find_mesh_object(toy_figure, part);
        std::vector<Point> low;
        for (const Point& p : object_points(toy_figure, part))
            if (p[1] < below_y) low.push_back(p);
        return rotate_about(mean_point(low), o->pivot->pivot_point, o->pivot->axis, o->angle);
    };
    const Point left_hand = swung("larm", 0.5), right_hand = swung("rarm", 0.5);  // hands
    const Point left_foot = swung("lfoot", -3.3), right_foot = swung("rfoot", -3.3);  // feet
    EXPECT_GT(left_hand[2], right_hand[2] + 1.0);  // left arm forward, right arm back
    EXPECT_GT(right_foot[2], left_foot[2] + 1.0);  // right leg forward, left leg back
    for (const Point& p : {left_hand, right_hand, left_foot, right_foot}) EXPECT_GT(p[1], -3.987);
}
