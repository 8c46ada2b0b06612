// The walk pose and the rows of walking figures, drawn through a real GL
// (Mesa) and compared with where every vertex of every copy must land.
#include <SDL_opengl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <numbers>

#include "mesh/figures.h"
#include "mesh/mesh_draw.h"
#include "mesh/walkers.h"
#include "mesh_test_support.h"
#include "support/gl_test_context.h"

namespace {

using Angles = std::map<std::string, double>;
const double root_half = std::sqrt(0.5);
const Angles pose_at_zero = {{"rarm", 10}, {"larm", -10}, {"head", 0}, {"lfoot", 0}, {"rfoot", 0}};

void expect_angles(const Mesh& m, const Angles& angles) {
    for (const auto& [name, degrees] : angles) EXPECT_NEAR(find_mesh_object(m, name.c_str())->angle, degrees, 1e-4) << name;
}

struct Row {
    int walker_count;
    float t;
    std::vector<double> copy_x;  // where the copies stand in the caller's frame
    Angles pose;
    double bob, sway_degrees;
};

void PrintTo(const Row& row, std::ostream* out) { *out << row.walker_count << " walkers at t = " << row.t; }

class WalkerRows : public ::testing::TestWithParam<Row> {
protected:
    void SetUp() override {
        ASSERT_GL_CONTEXT(ctx_);
        decode_figures();
        light_slot = 0;
        load_test_view();
    }
    GlTestContext ctx_{640, 480};
};

}  // namespace

TEST(WalkPose, AnglesFollowTheStride) {
    decode_figures();
    pose_walker(toy_figure, 0);
    expect_angles(toy_figure, pose_at_zero);
    pose_walker(toy_figure, static_cast<float>(std::numbers::pi / 10));  // 5t = pi / 2
    expect_angles(toy_figure, {{"rarm", -50}, {"larm", -70}, {"head", 15}, {"lfoot", 40}, {"rfoot", 40}});
    pose_walker(toy_figure, 1.0f);  // sin(5) = -0.958924
    expect_angles(toy_figure, {{"rarm", 67.5355}, {"larm", 47.5355}, {"head", -14.3839}, {"lfoot", -38.3570}, {"rfoot", -38.3570}});
    expect_angles(toy_figure, {{"waist", 0}, {"body", 0}});

    PackedBytes p;  // two objects named "rarm", none named "larm" or "head"
    Mesh m;
    ASSERT_TRUE(p.header(1, {}, {}).object("rarm").object("rarm").object("lfoot").end().decode(m).ok());
    pose_walker(m, 0.3f);
    const auto objects = list_of(m.objects);  // lfoot, the second rarm, the first rarm
    EXPECT_NEAR(objects[0]->angle, 40 * std::sin(1.5), 1e-4);
    EXPECT_NEAR(objects[1]->angle, 60 * std::sin(-1.5) + 10, 1e-4);
    EXPECT_EQ(objects[2]->angle, 0.0f);
}

TEST_P(WalkerRows, EveryCopyStandsPosedWhereTheRowPutsIt) {
    const Row& row = GetParam();
    const auto drawn = captured_points(capture_both_facings([&] { draw_walkers(row.walker_count, row.t); }));
    const double a = row.sway_degrees * std::numbers::pi / 180, c = std::cos(a), s = std::sin(a);
    std::vector<WindowPoint> expected;
    for (const MeshObject* o = toy_figure.objects; o; o = o->next) {
        if (o->kind != MeshObjectKind::solid) continue;
        const auto angle = row.pose.find(o->name);
        for (Point3 p : object_points(toy_figure, o->name)) {
            if (o->pivot) p = rotate_about(p, o->pivot->pivot_point, o->pivot->axis, angle->second);
            for (double x : row.copy_x) expected.push_back(to_window({c * p[0] - s * p[1] + x, s * p[0] + c * p[1] + row.bob, p[2]}));
        }
    }
    ASSERT_FALSE(drawn.empty());
    EXPECT_TRUE(unmatched(drawn, expected).empty()) << unmatched(drawn, expected).size() << " vertices drawn astray";
    EXPECT_TRUE(unmatched(expected, drawn).empty()) << unmatched(expected, drawn).size() << " vertices missing";
}

// At t = 0: bob sin(0) / 10 - 0.5, sway 2 sin(-pi / 2) degrees. At t = pi / 20:
// 5t = pi / 4 and 10t = pi / 2.
INSTANTIATE_TEST_SUITE_P(
    Rows, WalkerRows,
    ::testing::Values(Row{3, 0, {-7, 0, 7}, pose_at_zero, -0.5, -2}, Row{2, 0, {-3.5, 3.5}, pose_at_zero, -0.5, -2},
                      Row{1, 0, {0, 7, 14}, pose_at_zero, -0.5, -2}, Row{4, 0, {-10.5, -3.5, 3.5}, pose_at_zero, -0.5, -2},
                      Row{3,
                          static_cast<float>(std::numbers::pi / 20),
                          {-7, 0, 7},
                          {{"rarm", -60 * root_half + 10}, {"larm", -60 * root_half - 10}, {"head", 15 * root_half},
                           {"lfoot", 40 * root_half}, {"rfoot", 40 * root_half}},
                          0.1 - 0.5,
                          -2 * root_half}),
    [](const auto& info) { return "count_" + std::to_string(info.param.walker_count) + (info.param.t > 0 ? "_mid_stride" : "_at_zero"); });

TEST_F(WalkerRows, SameTimeSamePoseAndTheSwitchesStayOn) {
    auto draw_at = [](float t) { return captured_points(capture_both_facings([t] { draw_walkers(3, t); })); };
    EXPECT_EQ(draw_at(0.7f), draw_at(0.7f));
    EXPECT_NE(draw_at(0.7f), draw_at(1.7f));
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    GLint depth_before = 0, depth_after = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth_before);
    draw_walkers(2, 0.25f);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth_after);
    EXPECT_EQ(depth_before, depth_after);
    for (GLenum on : {GL_DEPTH_TEST, GL_CULL_FACE, GL_LIGHTING, GL_LIGHT0, GL_LIGHT1}) EXPECT_TRUE(glIsEnabled(on)) << on;
}
