// draw_brick: geometry captured from the real driver through feedback mode,
// in the coordinates of the frame the brick is drawn in; GL state read back
// after the call.
#include <SDL_opengl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "brick_probe.h"
#include "bricks/brick.h"
#include "support/feedback.h"
#include "support/gl_test_context.h"

namespace {

bool has_point(const std::vector<Vec3>& points, Vec3 p) {
    return std::any_of(points.begin(), points.end(), [&](const Vec3& q) { return near(q, p, 2e-3); });
}

bool culling_after_replay(GLuint list, bool culling_before) {
    culling_before ? glEnable(GL_CULL_FACE) : glDisable(GL_CULL_FACE);
    glCallList(list);
    return glIsEnabled(GL_CULL_FACE) == GL_TRUE;
}

}  // namespace

TEST(Brick, FourFacetStudsAreSquarePrismsWithCornersOnTheDiagonals) {
    GlTestContext gl;
    ASSERT_GL_CONTEXT(gl);
    const auto triangles = capture_triangles([] { draw_brick(2, 2, 4, 0, 1, 1, 1); });
    const auto studs = find_studs(triangles);
    ASSERT_EQ(studs.size(), 4u);
    std::vector<Vec3> centres;
    for (const FoundStud& s : studs) {
        EXPECT_EQ(s.facets, 4);
        centres.push_back(s.centre);
    }
    for (double x : {-0.5, 0.5})
        for (double z : {-0.5, 0.5}) EXPECT_TRUE(has_point(centres, {x, 0.85, z})) << x << ", " << z;
    // Each cap corner of the stud at (-0.5, 0.5) lies on a diagonal, 0.3
    // from its axis: an edge of 0.6 sin 45 degrees.
    int corners = 0;
    for (const Triangle& t : triangles)
        for (const Vec3& p : t.p) {
            const Vec3 offset = p - Vec3{-0.5, 0.85, 0.5};
            if (std::abs(offset.y) > 1e-4 || length(offset) < 1e-3 || length(offset) > 0.31) continue;
            EXPECT_NEAR(std::abs(offset.x), 0.3 * std::sin(M_PI / 4), 1e-4);
            EXPECT_NEAR(std::abs(offset.z), 0.3 * std::sin(M_PI / 4), 1e-4);
            ++corners;
        }
    EXPECT_GT(corners, 0);
}

TEST(Brick, BodyFillsItsBoxAndStudsRiseAboveIt) {
    GlTestContext gl;
    ASSERT_GL_CONTEXT(gl);
    const auto triangles = capture_triangles([] { draw_brick(3, 2, 8, 8, 1, 1, 1); });
    Vec3 lo{1e9, 1e9, 1e9}, hi{-1e9, -1e9, -1e9};
    for (const Triangle& t : triangles)
        for (const Vec3& p : t.p) {
            lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
            hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
        }
    EXPECT_TRUE(near(lo, {-1.5, -0.6, -1.0}, 1e-4));
    EXPECT_TRUE(near(hi, {1.5, 0.85, 1.0}, 1e-4));
    EXPECT_EQ(find_studs(triangles).size(), 6u);
}

TEST(Brick, TubesStandOnlyAtInteriorGridPoints) {
    GlTestContext gl;
    ASSERT_GL_CONTEXT(gl);
    const auto two_by_two = find_tubes(capture_triangles([] { draw_brick(2, 2, 4, 6, 1, 1, 1); }));
    ASSERT_EQ(two_by_two.size(), 1u);
    EXPECT_TRUE(near(two_by_two[0], {0, 0, 0}, 2e-3));
    // Local x = 1, 2, 3 of a 4x2 brick.
    const auto four_by_two = find_tubes(capture_triangles([] { draw_brick(4, 2, 4, 6, 1, 1, 1); }));
    ASSERT_EQ(four_by_two.size(), 3u);
    for (double x : {-1.0, 0.0, 1.0}) EXPECT_TRUE(has_point(four_by_two, {x, 0, 0})) << x;
    EXPECT_TRUE(find_tubes(capture_triangles([] { draw_brick(1, 2, 4, 6, 1, 1, 1); })).empty());
}

TEST(Brick, LeftOutStudsAndUndersideLeaveTopAndBottomOpen) {
    GlTestContext gl;
    ASSERT_GL_CONTEXT(gl);
    for (const Triangle& t : capture_triangles([] { draw_brick(2, 2, 4, 0, 1, 1, 1); })) {
        EXPECT_GT(t.normal().y, -0.5) << "a downward face at y " << t.p[0].y;
        for (const Vec3& p : t.p) {
            const bool outer_wall = std::abs(std::abs(p.x) - 1) < 1e-4 || std::abs(std::abs(p.z) - 1) < 1e-4;
            EXPECT_TRUE(outer_wall || p.y > 0.59) << "inside the body at y " << p.y;
        }
    }
    for (const Triangle& t : capture_triangles([] { draw_brick(2, 2, 0, 4, 1, 1, 1); }))
        EXPECT_LT(t.normal().y, 0.5) << "an upward face at y " << t.p[0].y;
}

// Counter-clockwise as seen from where each face shows: the outside of body
// and studs, the inside of the hollow, the outside of tubes.
TEST(Brick, EveryFaceIsWoundTowardsTheSideItShows) {
    GlTestContext gl;
    ASSERT_GL_CONTEXT(gl);
    const auto triangles = capture_triangles([] { draw_brick(2, 2, 5, 7, 1, 1, 1); });
    ASSERT_GT(triangles.size(), 60u);
    auto away_from = [](Vec3 axis, Vec3 p) {
        const Vec3 d{p.x - axis.x, 0, p.z - axis.z};
        return (1.0 / length(d)) * d;
    };
    auto wall_normal = [](Vec3 c, double sign) {
        return std::abs(c.x) > std::abs(c.z) ? Vec3{sign * std::copysign(1.0, c.x), 0, 0}
                                             : Vec3{0, 0, sign * std::copysign(1.0, c.z)};
    };
    for (const Triangle& t : triangles) {
        const Vec3 c = (1.0 / 3) * (t.p[0] + t.p[1] + t.p[2]);
        Vec3 expected;
        if (std::abs(c.y - 0.85) < 1e-4 || std::abs(c.y - 0.6) < 1e-4)
            expected = {0, 1, 0};  // stud caps, body top
        else if (std::abs(c.y + 0.6) < 1e-4 || std::abs(c.y - 0.48) < 1e-4)
            expected = {0, -1, 0};  // rim, hollow ceiling
        else if (c.y > 0.6)
            expected = away_from({std::round(c.x - 0.5) + 0.5, 0, std::round(c.z - 0.5) + 0.5}, c);  // stud side
        else if (std::abs(std::abs(c.x) - 1) < 1e-4 || std::abs(std::abs(c.z) - 1) < 1e-4)
            expected = wall_normal(c, 1);  // outer wall
        else if (std::abs(std::abs(c.x) - 0.88) < 1e-4 || std::abs(std::abs(c.z) - 0.88) < 1e-4)
            expected = wall_normal(c, -1);  // inner wall of the hollow
        else
            expected = away_from({0, 0, 0}, c);  // the tube
        EXPECT_GT(dot(t.normal(), expected), 0.5) << "face at " << c.x << ", " << c.y << ", " << c.z;
    }
}

TEST(Brick, MaterialIsSetForFrontAndBackAndStays) {
    GlTestContext gl;
    ASSERT_GL_CONTEXT(gl);
    draw_brick(2, 2, 4, 4, 0.3f, 0.7f, 0.2f);
    for (GLenum face : {GL_FRONT, GL_BACK}) {
        GLfloat diffuse[4], specular[4], ambient[4], shininess;
        glGetMaterialfv(face, GL_DIFFUSE, diffuse);
        glGetMaterialfv(face, GL_SPECULAR, specular);
        glGetMaterialfv(face, GL_AMBIENT, ambient);
        glGetMaterialfv(face, GL_SHININESS, &shininess);
        const GLfloat expected[3][4] = {{0.3f, 0.7f, 0.2f, 1}, {1, 1, 1, 1}, {0.1f, 0.1f, 0.1f, 1}};
        for (int i = 0; i < 4; ++i) {
            EXPECT_FLOAT_EQ(diffuse[i], expected[0][i]);
            EXPECT_FLOAT_EQ(specular[i], expected[1][i]);
            EXPECT_FLOAT_EQ(ambient[i], expected[2][i]);
        }
        EXPECT_FLOAT_EQ(shininess, 100.0f);
    }
}

TEST(Brick, CullingEndsOnWithoutUndersideAndAsFoundWithOne) {
    GlTestContext gl;
    ASSERT_GL_CONTEXT(gl);
    glDisable(GL_CULL_FACE);
    draw_brick(2, 2, 4, 0, 1, 1, 1);
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    glDisable(GL_CULL_FACE);
    draw_brick(2, 2, 4, 4, 1, 1, 1);
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
    glEnable(GL_CULL_FACE);
    draw_brick(2, 2, 4, 4, 1, 1, 1);
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
}

// The entry state is read while compiling, so a list carries the state it
// was compiled under, whatever the state is when it is replayed.
TEST(Brick, ListsRecordTheCullingStateTheyWereCompiledUnder) {
    GlTestContext gl;
    ASSERT_GL_CONTEXT(gl);
    const GLuint lists = glGenLists(3);
    const bool compiled_culling[3] = {false, true, false};
    const int underside[3] = {4, 4, 0};
    for (int i = 0; i < 3; ++i) {
        compiled_culling[i] ? glEnable(GL_CULL_FACE) : glDisable(GL_CULL_FACE);
        glNewList(lists + i, GL_COMPILE);
        draw_brick(2, 2, 4, underside[i], 1, 1, 1);
        glEndList();
    }
    EXPECT_FALSE(culling_after_replay(lists, true)) << "compiled with culling off: never turned back on";
    EXPECT_TRUE(culling_after_replay(lists + 1, false)) << "compiled with culling on: turned back on";
    EXPECT_TRUE(culling_after_replay(lists + 2, false)) << "no underside: always left on";
}

TEST(Brick, InvalidSizesAndSegmentCountsDrawNothingAndTouchNoState) {
    GlTestContext gl;
    ASSERT_GL_CONTEXT(gl);
    glDisable(GL_CULL_FACE);
    const int calls[][4] = {{0, 2, 4, 4}, {2, 0, 4, 4}, {-3, 2, 4, 4}, {2, -1, 4, 0}, {2, 2, -1, 4}, {2, 2, 4, -6}};
    for (const auto& c : calls)
        EXPECT_TRUE(capture_polygons([&] { draw_brick(c[0], c[1], c[2], c[3], 1, 0, 0); }).empty())
            << c[0] << " " << c[1] << " " << c[2] << " " << c[3];
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
    GLfloat diffuse[4];
    glGetMaterialfv(GL_FRONT, GL_DIFFUSE, diffuse);
    EXPECT_FLOAT_EQ(diffuse[0], 0.8f);  // GL's default, untouched
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
