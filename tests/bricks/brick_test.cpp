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

std::vector<Vec3> stud_centres(const std::vector<FoundStud>& studs) {
    std::vector<Vec3> centres;
    for (const FoundStud& s : studs) centres.push_back(s.centre);
    return centres;
}

// Replays `list` with culling set as given and reports the switch after it.
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
    for (const FoundStud& s : studs) EXPECT_EQ(s.facets, 4);
    const auto centres = stud_centres(studs);
    for (double x : {-0.5, 0.5})
        for (double z : {-0.5, 0.5}) EXPECT_TRUE(has_point(centres, {x, 0.85, z})) << x << ", " << z;

    // Every corner of the first stud's cap sits on a diagonal, 0.3 from the
    // axis: edge length 0.6 sin 45 degrees.
    const double corner = 0.3 * std::sin(M_PI / 4);
    int corners_checked = 0;
    for (const Triangle& t : triangles)
        for (const Vec3& p : t.p) {
            const Vec3 offset = p - Vec3{-0.5, 0.85, 0.5};
            if (std::abs(offset.y) > 1e-4 || length(offset) < 1e-3 || length(offset) > 0.31) continue;
            EXPECT_NEAR(std::abs(offset.x), corner, 1e-4);
            EXPECT_NEAR(std::abs(offset.z), corner, 1e-4);
            ++corners_checked;
        }
    EXPECT_GT(corners_checked, 0);
}

TEST(Brick, StudsFollowTheStudPitchAcrossWidthAndDepth) {
    GlTestContext gl;
    ASSERT_GL_CONTEXT(gl);
    const auto studs = find_studs(capture_triangles([] { draw_brick(3, 2, 6, 0, 1, 1, 1); }));
    ASSERT_EQ(studs.size(), 6u);
    const auto centres = stud_centres(studs);
    for (double x : {-1.0, 0.0, 1.0})
        for (double z : {-0.5, 0.5}) EXPECT_TRUE(has_point(centres, {x, 0.85, z})) << x << ", " << z;
    for (const FoundStud& s : studs) EXPECT_EQ(s.facets, 6);
}

TEST(Brick, BodyFillsItsBoxWithStudsRisingAboveIt) {
    GlTestContext gl;
    ASSERT_GL_CONTEXT(gl);
    const auto triangles = capture_triangles([] { draw_brick(3, 2, 8, 8, 1, 1, 1); });
    double lo[3] = {1e9, 1e9, 1e9}, hi[3] = {-1e9, -1e9, -1e9};
    for (const Triangle& t : triangles)
        for (const Vec3& p : t.p) {
            const double c[3] = {p.x, p.y, p.z};
            for (int i = 0; i < 3; ++i) lo[i] = std::min(lo[i], c[i]), hi[i] = std::max(hi[i], c[i]);
        }
    EXPECT_NEAR(lo[0], -1.5, 1e-4);
    EXPECT_NEAR(hi[0], 1.5, 1e-4);
    EXPECT_NEAR(lo[1], -0.6, 1e-4);
    EXPECT_NEAR(hi[1], 0.85, 1e-4);
    EXPECT_NEAR(lo[2], -1.0, 1e-4);
    EXPECT_NEAR(hi[2], 1.0, 1e-4);
    const auto bricks = find_bricks(triangles);
    ASSERT_EQ(bricks.size(), 1u);
    EXPECT_TRUE(near(bricks[0].centre, {0, 0, 0}));
}

TEST(Brick, TubesStandOnlyAtInteriorGridPoints) {
    GlTestContext gl;
    ASSERT_GL_CONTEXT(gl);
    const auto two_by_two = find_tubes(capture_triangles([] { draw_brick(2, 2, 4, 6, 1, 1, 1); }));
    ASSERT_EQ(two_by_two.size(), 1u);
    EXPECT_TRUE(near(two_by_two[0], {0, 0, 0}, 2e-3));

    // Local x = 1, 2, 3 of a 4x2 brick: centred, -1, 0 and 1.
    const auto four_by_two = find_tubes(capture_triangles([] { draw_brick(4, 2, 4, 6, 1, 1, 1); }));
    ASSERT_EQ(four_by_two.size(), 3u);
    for (double x : {-1.0, 0.0, 1.0}) EXPECT_TRUE(has_point(four_by_two, {x, 0, 0})) << x;

    const auto three_by_three = find_tubes(capture_triangles([] { draw_brick(3, 3, 4, 5, 1, 1, 1); }));
    ASSERT_EQ(three_by_three.size(), 4u);
    for (double x : {-0.5, 0.5})
        for (double z : {-0.5, 0.5}) EXPECT_TRUE(has_point(three_by_three, {x, 0, z}));

    EXPECT_TRUE(find_tubes(capture_triangles([] { draw_brick(1, 2, 4, 6, 1, 1, 1); })).empty());
    EXPECT_TRUE(find_tubes(capture_triangles([] { draw_brick(3, 1, 4, 6, 1, 1, 1); })).empty());
}

TEST(Brick, OneStudWideBrickHasRimAndHollowWithoutTubes) {
    GlTestContext gl;
    ASSERT_GL_CONTEXT(gl);
    const auto triangles = capture_triangles([] { draw_brick(1, 2, 4, 6, 1, 1, 1); });
    bool rim = false, ceiling = false;
    for (const Triangle& t : triangles) {
        if (!near(t.normal(), {0, -1, 0})) continue;
        rim = rim || std::abs(t.p[0].y + 0.6) < 1e-4;
        ceiling = ceiling || std::abs(t.p[0].y - 0.48) < 1e-4;
    }
    EXPECT_TRUE(rim);
    EXPECT_TRUE(ceiling);
}

TEST(Brick, WithoutUndersideNothingIsDrawnBelow) {
    GlTestContext gl;
    ASSERT_GL_CONTEXT(gl);
    const auto triangles = capture_triangles([] { draw_brick(2, 2, 4, 0, 1, 1, 1); });
    for (const Triangle& t : triangles) {
        EXPECT_GT(t.normal().y, -0.5) << "a downward face at y " << t.p[0].y;
        for (const Vec3& p : t.p) {
            const bool on_outer_wall = std::abs(std::abs(p.x) - 1) < 1e-4 || std::abs(std::abs(p.z) - 1) < 1e-4;
            EXPECT_TRUE(on_outer_wall || p.y > 0.59) << "inside the body at " << p.x << ", " << p.y << ", " << p.z;
        }
    }
}

TEST(Brick, WithoutStudsTheTopIsOpen) {
    GlTestContext gl;
    ASSERT_GL_CONTEXT(gl);
    const auto triangles = capture_triangles([] { draw_brick(2, 2, 0, 4, 1, 1, 1); });
    EXPECT_TRUE(find_studs(triangles).empty());
    for (const Triangle& t : triangles) EXPECT_LT(t.normal().y, 0.5) << "an upward face at y " << t.p[0].y;
    EXPECT_EQ(find_bricks(triangles).size(), 1u);
}

// Each face is counter-clockwise seen from where its normal points: the
// outside of body and studs, the inside of the hollow, outwards on tubes.
TEST(Brick, EveryFaceIsWoundTowardsTheSideItShows) {
    GlTestContext gl;
    ASSERT_GL_CONTEXT(gl);
    const auto triangles = capture_triangles([] { draw_brick(2, 2, 5, 7, 1, 1, 1); });
    ASSERT_GT(triangles.size(), 60u);
    auto horizontal_from = [](Vec3 axis, Vec3 p) {
        const Vec3 d{p.x - axis.x, 0, p.z - axis.z};
        return (1.0 / length(d)) * d;
    };
    for (const Triangle& t : triangles) {
        const Vec3 c = (1.0 / 3) * (t.p[0] + t.p[1] + t.p[2]);
        const Vec3 n = t.normal();
        Vec3 expected;
        if (std::abs(c.y - 0.85) < 1e-4 || std::abs(c.y - 0.6) < 1e-4) {
            expected = {0, 1, 0};  // stud caps, body top
        } else if (std::abs(c.y + 0.6) < 1e-4 || std::abs(c.y - 0.48) < 1e-4) {
            expected = {0, -1, 0};  // rim, hollow ceiling
        } else if (c.y > 0.6) {
            expected = horizontal_from({std::round(c.x - 0.5) + 0.5, 0, std::round(c.z - 0.5) + 0.5}, c);  // stud side
        } else if (std::abs(std::abs(c.x) - 1) < 1e-4 || std::abs(std::abs(c.z) - 1) < 1e-4) {
            expected = std::abs(c.x) > std::abs(c.z) ? Vec3{std::copysign(1.0, c.x), 0, 0}
                                                     : Vec3{0, 0, std::copysign(1.0, c.z)};  // outer wall: outwards
        } else if (std::abs(std::abs(c.x) - 0.88) < 1e-4 || std::abs(std::abs(c.z) - 0.88) < 1e-4) {
            expected = std::abs(c.x) > std::abs(c.z) ? Vec3{-std::copysign(1.0, c.x), 0, 0}
                                                     : Vec3{0, 0, -std::copysign(1.0, c.z)};  // hollow: inwards
        } else {
            expected = horizontal_from({0, 0, 0}, c);  // the tube, outwards
        }
        EXPECT_GT(dot(n, expected), 0.5) << "face at " << c.x << ", " << c.y << ", " << c.z;
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
        EXPECT_FLOAT_EQ(diffuse[0], 0.3f);
        EXPECT_FLOAT_EQ(diffuse[1], 0.7f);
        EXPECT_FLOAT_EQ(diffuse[2], 0.2f);
        EXPECT_FLOAT_EQ(diffuse[3], 1.0f);
        for (int i = 0; i < 4; ++i) EXPECT_FLOAT_EQ(specular[i], 1.0f);
        for (int i = 0; i < 3; ++i) EXPECT_FLOAT_EQ(ambient[i], 0.1f);
        EXPECT_FLOAT_EQ(ambient[3], 1.0f);
        EXPECT_FLOAT_EQ(shininess, 100.0f);
    }
}

TEST(Brick, ModelviewMatrixAndStackAreUnchanged) {
    GlTestContext gl;
    ASSERT_GL_CONTEXT(gl);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(1, 2, -3);
    glRotatef(30, 0, 1, 0);
    GLfloat before[16], after[16];
    GLint depth_before, depth_after;
    glGetFloatv(GL_MODELVIEW_MATRIX, before);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth_before);
    draw_brick(4, 3, 6, 6, 1, 1, 1);
    glGetFloatv(GL_MODELVIEW_MATRIX, after);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth_after);
    for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(after[i], before[i]) << i;
    EXPECT_EQ(depth_after, depth_before);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
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
    glDisable(GL_CULL_FACE);
    glNewList(lists, GL_COMPILE);
    draw_brick(2, 2, 4, 4, 1, 1, 1);
    glEndList();
    glEnable(GL_CULL_FACE);
    glNewList(lists + 1, GL_COMPILE);
    draw_brick(2, 2, 4, 4, 1, 1, 1);
    glEndList();
    glDisable(GL_CULL_FACE);
    glNewList(lists + 2, GL_COMPILE);
    draw_brick(2, 2, 4, 0, 1, 1, 1);
    glEndList();

    EXPECT_FALSE(culling_after_replay(lists, true)) << "compiled with culling off: never turned back on";
    EXPECT_TRUE(culling_after_replay(lists + 1, false)) << "compiled with culling on: turned back on";
    EXPECT_TRUE(culling_after_replay(lists + 2, false)) << "no underside: always left on";
}

TEST(Brick, InvalidSizesAndSegmentCountsDrawNothingAndTouchNoState) {
    GlTestContext gl;
    ASSERT_GL_CONTEXT(gl);
    const GLfloat grey[] = {0.5f, 0.5f, 0.5f, 1.0f};
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, grey);
    glDisable(GL_CULL_FACE);
    const int calls[][4] = {{0, 2, 4, 4}, {2, 0, 4, 4}, {-3, 2, 4, 4}, {2, -1, 4, 0}, {2, 2, -1, 4}, {2, 2, 4, -6}};
    for (const auto& c : calls) {
        const auto polygons = capture_polygons([&] { draw_brick(c[0], c[1], c[2], c[3], 1, 0, 0); });
        EXPECT_TRUE(polygons.empty()) << c[0] << " " << c[1] << " " << c[2] << " " << c[3];
    }
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
    GLfloat diffuse[4];
    glGetMaterialfv(GL_FRONT, GL_DIFFUSE, diffuse);
    EXPECT_FLOAT_EQ(diffuse[0], 0.5f);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
