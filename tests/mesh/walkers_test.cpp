// The walk pose and the rows of walking figures, drawn through a real GL
// (Mesa) and compared with where each vertex of each copy must land.
#include <SDL_opengl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <numbers>
#include <string>

#include "figure_view.h"
#include "gl_capture.h"
#include "mesh/figures.h"
#include "mesh/mesh_draw.h"
#include "mesh/walkers.h"
#include "packed_bytes.h"
#include "support/gl_test_context.h"

namespace {

using Angles = std::map<std::string, double>;

void expect_angles(const Mesh& m, const Angles& angles) {
    for (const auto& [name, degrees] : angles) {
        const MeshObject* o = find_mesh_object(m, name.c_str());
        ASSERT_NE(o, nullptr) << name;
        EXPECT_NEAR(o->angle, degrees, 1e-4) << name;
    }
}

// Where every corner of toy_figure's solids lands for a row of copies at
// `copy_x` (in the caller's frame), the parts turned by `angles`, the row
// raised by `bob` and each copy turned by `sway_degrees` about z.
std::vector<WindowPoint> expected_row(const std::vector<double>& copy_x, const Angles& angles, double bob,
                                      double sway_degrees) {
    const double a = sway_degrees * std::numbers::pi / 180, c = std::cos(a), s = std::sin(a);
    std::vector<WindowPoint> points;
    for (const MeshObject* o = toy_figure.objects; o; o = o->next) {
        if (o->kind != MeshObjectKind::solid) continue;
        const auto angle = angles.find(o->name);
        for (Point3 p : object_points(toy_figure, o->name)) {
            if (o->pivot && angle != angles.end())
                p = rotate_about(p, o->pivot->pivot_point, o->pivot->axis, angle->second);
            for (double x : copy_x)
                points.push_back(to_window({c * p[0] - s * p[1] + x, s * p[0] + c * p[1] + bob, p[2]}));
        }
    }
    return points;
}

class Walkers : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_GL_CONTEXT(ctx_);
        decode_figures();
        light_slot = 0;  // as at program start, should cases share a process
        load_test_view();
    }

    // Every vertex drawn must be an expected one, and every expected one drawn.
    void expect_row(int walker_count, float t, const std::vector<double>& copy_x, const Angles& angles, double bob,
                    double sway) {
        const auto drawn = captured_points(capture_both_facings([&] { draw_walkers(walker_count, t); }));
        const auto expected = expected_row(copy_x, angles, bob, sway);
        ASSERT_FALSE(drawn.empty());
        const auto stray = unmatched(drawn, expected, 0.02);
        const auto missing = unmatched(expected, drawn, 0.02);
        EXPECT_TRUE(stray.empty()) << stray.size() << " vertices drawn where none belongs, first at " << stray[0][0]
                                   << ", " << stray[0][1];
        EXPECT_TRUE(missing.empty()) << missing.size() << " vertices missing, first at " << missing[0][0] << ", "
                                     << missing[0][1];
    }

    GlTestContext ctx_{640, 480};
};

const Angles pose_at_zero = {{"rarm", 10}, {"larm", -10}, {"head", 0}, {"lfoot", 0}, {"rfoot", 0}};

}  // namespace

TEST(WalkPose, AnglesAtTimeZeroAndAtTheWidestStride) {
    decode_figures();
    pose_walker(toy_figure, 0);
    expect_angles(toy_figure, pose_at_zero);
    pose_walker(toy_figure, static_cast<float>(std::numbers::pi / 10));  // 5t = pi / 2
    expect_angles(toy_figure, {{"rarm", -50}, {"larm", -70}, {"head", 15}, {"lfoot", 40}, {"rfoot", 40}});
    pose_walker(toy_figure, 1.0f);  // sin(5) = -0.958924
    expect_angles(toy_figure,
                  {{"rarm", 67.5355}, {"larm", 47.5355}, {"head", -14.3839}, {"lfoot", -38.3570}, {"rfoot", -38.3570}});
    for (const char* still : {"waist", "body"}) EXPECT_EQ(find_mesh_object(toy_figure, still)->angle, 0.0f);
}

TEST(WalkPose, PosesTheFirstObjectOfEachNameAndSkipsMissingParts) {
    PackedBytes p;
    p.header(1, {}, {}).object("rarm").object("rarm").object("lfoot").end();
    Mesh m;
    ASSERT_TRUE(p.decode(m).ok());
    pose_walker(m, 0.3f);
    const auto objects = list_of(m.objects);  // lfoot, second rarm, first rarm
    EXPECT_NEAR(objects[0]->angle, 40 * std::sin(1.5), 1e-4);
    EXPECT_NEAR(objects[1]->angle, 60 * std::sin(-1.5) + 10, 1e-4);
    EXPECT_EQ(objects[2]->angle, 0.0f);
}

TEST_F(Walkers, AtTimeZeroThreeCopiesStandPosedSevenUnitsApart) {
    // Bob sin(0) / 10 - 0.5 = -0.5; sway 2 sin(-pi/2) = -2 degrees.
    expect_row(3, 0.0f, {-7, 0, 7}, pose_at_zero, -0.5, -2);
}

TEST_F(Walkers, MidStrideTheRowBobsAndSwaysTogether) {
    const float t = static_cast<float>(std::numbers::pi / 20);  // 5t = pi / 4, 10t = pi / 2
    const double s = std::sqrt(0.5);
    const Angles pose = {{"rarm", -60 * s + 10}, {"larm", -60 * s - 10}, {"head", 15 * s}, {"lfoot", 40 * s},
                         {"rfoot", 40 * s}};
    expect_row(3, t, {-7, 0, 7}, pose, 0.1 - 0.5, -2 * s);
}

class WalkerCopies : public Walkers, public ::testing::WithParamInterface<std::pair<int, std::vector<double>>> {};

TEST_P(WalkerCopies, RowStartsAtThreeAndAHalfTimesOneLessCount) {
    expect_row(GetParam().first, 0.0f, GetParam().second, pose_at_zero, -0.5, -2);
}

INSTANTIATE_TEST_SUITE_P(Counts, WalkerCopies,
                         ::testing::Values(std::pair<int, std::vector<double>>{2, {-3.5, 3.5}},
                                           std::pair<int, std::vector<double>>{1, {0, 7, 14}},
                                           std::pair<int, std::vector<double>>{4, {-10.5, -3.5, 3.5}}),
                         [](const auto& info) { return "count_" + std::to_string(info.param.first); });

TEST_F(Walkers, SameTimeDrawsTheSamePoseAndLaterTimesMove) {
    auto draw_at = [](float t) { return captured_points(capture_both_facings([t] { draw_walkers(3, t); })); };
    const auto first = draw_at(0.7f), again = draw_at(0.7f), later = draw_at(1.7f);
    EXPECT_EQ(first, again);
    EXPECT_NE(first, later);
}

TEST_F(Walkers, LeavesItsSwitchesOnAndTheMatrixAsFound) {
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glTranslatef(1, 2, 3);
    GLfloat before[16], after[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, before);
    GLint depth_before = 0, depth_after = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth_before);
    draw_walkers(2, 0.25f);
    glGetFloatv(GL_MODELVIEW_MATRIX, after);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth_after);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_LIGHT0));  // the figure's own lights
    EXPECT_TRUE(glIsEnabled(GL_LIGHT1));
    EXPECT_EQ(depth_before, depth_after);
    for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(before[i], after[i]);
}
