// draw_mesh against a real GL (Mesa): light slots and light set-up from the
// markers, the material left current, the pivot rotation, the order and
// place of every polygon, and meshes with nothing or odd things to draw.
#include <SDL_opengl.h>
#include <gtest/gtest.h>

#include "mesh/figures.h"
#include "mesh/mesh_draw.h"
#include "mesh_test_support.h"
#include "support/gl_test_context.h"

namespace {

class DrawMesh : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_GL_CONTEXT(ctx_);
        decode_figures();
        light_slot = 0;  // as at program start, should cases share a process
        load_test_view();
        glDisable(GL_CULL_FACE);
    }
    GlTestContext ctx_{640, 480};
};

std::vector<float> light_value(GLenum light, GLenum what) {
    std::vector<float> v(4, -1);
    glGetLightfv(light, what, v.data());
    return v;  // scalars fill the first entry only
}

std::vector<bool> lights_on() {
    std::vector<bool> on;
    for (unsigned int light : light_ids) on.push_back(glIsEnabled(light));
    return on;
}

void expect_direction(GLenum light, float x, float y, float z) {
    const auto p = light_value(light, GL_POSITION);
    EXPECT_NEAR(p[0], x, 0.001);
    EXPECT_NEAR(p[1], y, 0.001);
    EXPECT_NEAR(p[2], z, 0.001);
    EXPECT_EQ(p[3], 0.0f);  // directional
}

PackedBytes only_lights(int count) {  // light markers aiming at (1, 2, 3), no solid
    PackedBytes p;
    p.header(1, {{1, 2, 3}}, {{0, 0, 1}}).material("d");
    for (int i = 0; i < count; ++i) p.object("point" + std::to_string(i)).group("g", "d", {face_of({0})});
    return p.end();
}

}  // namespace

TEST_F(DrawMesh, ToyFigureTwiceTakesLightsZeroAndOneBothTimes) {
    glEnable(GL_LIGHT2);
    glEnable(GL_LIGHT5);
    const std::vector<bool> zero_and_one{true, true, false, false, false, false, false, false};
    for (int pass = 0; pass < 2; ++pass) {
        draw_mesh(toy_figure);
        EXPECT_EQ(lights_on(), zero_and_one) << "pass " << pass;
        EXPECT_EQ(light_slot, 0);
        expect_direction(GL_LIGHT0, 2.838f, -3.560f, -6.532f);  // "point2" is first in list order
        expect_direction(GL_LIGHT1, 0.126f, 7.860f, 5.908f);
        for (GLenum light : {GL_LIGHT0, GL_LIGHT1}) {  // the colours of "default2"
            EXPECT_EQ(light_value(light, GL_AMBIENT), (std::vector<float>{0, 0, 0, 1}));
            EXPECT_EQ(light_value(light, GL_DIFFUSE), (std::vector<float>{1, 1, 1, 1}));
            EXPECT_EQ(light_value(light, GL_SPECULAR), (std::vector<float>{1, 1, 1, 1}));
            EXPECT_EQ(light_value(light, GL_CONSTANT_ATTENUATION)[0], 1.0f);
            EXPECT_EQ(light_value(light, GL_LINEAR_ATTENUATION)[0], 0.0f);
            EXPECT_EQ(light_value(light, GL_QUADRATIC_ATTENUATION)[0], 0.0f);
            EXPECT_EQ(light_value(light, GL_SPOT_CUTOFF)[0], 180.0f);
        }
    }
}

TEST_F(DrawMesh, LightsTurnWithThePlacementAndOnlyLightMarkersTouchThem) {
    glPushMatrix();
    glTranslatef(5, 6, 7);   // directional lights ignore translation
    glRotatef(90, 0, 1, 0);  // (x, y, z) -> (z, y, -x)
    draw_mesh(toy_figure);
    glPopMatrix();
    expect_direction(GL_LIGHT0, -6.532f, -3.560f, -2.838f);
    expect_direction(GL_LIGHT1, 5.908f, 7.860f, -0.126f);
    glEnable(GL_LIGHT3);
    draw_mesh(blocky_figure);  // no light markers: the lights stay as they are
    EXPECT_EQ(lights_on(), (std::vector<bool>{true, true, false, true, false, false, false, false}));
    expect_direction(GL_LIGHT0, -6.532f, -3.560f, -2.838f);
}

TEST_F(DrawMesh, LastGroupsFrontMaterialStaysCurrent) {
    std::vector<float> back(4), v(4);
    glGetMaterialfv(GL_BACK, GL_DIFFUSE, back.data());
    draw_mesh(toy_figure);  // "head" is drawn last, its "head_yellow" group last
    glGetMaterialfv(GL_FRONT, GL_DIFFUSE, v.data());
    EXPECT_EQ(v, (std::vector<float>{1, 0.967f, 0, 1}));
    glGetMaterialfv(GL_FRONT, GL_AMBIENT, v.data());
    EXPECT_EQ(v, (std::vector<float>{0.307f, 0.307f, 0.307f, 1}));
    glGetMaterialfv(GL_FRONT, GL_SHININESS, v.data());
    EXPECT_EQ(v[0], 100.0f);
    glGetMaterialfv(GL_BACK, GL_DIFFUSE, v.data());
    EXPECT_EQ(v, back);  // the front only
    draw_mesh(blocky_figure);  // "cube1" last, its "cube1_yellowi" group last
    glGetMaterialfv(GL_FRONT, GL_DIFFUSE, v.data());
    EXPECT_EQ(v, (std::vector<float>{0.973f, 0.94f, 0.162f, 1}));
}

TEST_F(DrawMesh, SolidFacesGoOutInListOrderAtTheirPosedPlaces) {
    find_mesh_object(toy_figure, "rarm")->angle = 30;
    find_mesh_object(toy_figure, "lfoot")->angle = -25;
    find_mesh_object(toy_figure, "head")->angle = 45;
    GLfloat before[16], after[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, before);
    const auto polygons = capture_polygons([] { draw_mesh(toy_figure); });
    glGetFloatv(GL_MODELVIEW_MATRIX, after);
    EXPECT_EQ(std::vector<float>(before, before + 16), std::vector<float>(after, after + 16));
    // Each face, in list order and turned about its object's pivot, comes
    // out as corners - 2 triangles with the face's corners.
    size_t next = 0;
    for (const MeshObject* o = toy_figure.objects; o; o = o->next) {
        if (o->kind != MeshObjectKind::solid) continue;
        for (const MeshGroup* g = o->groups; g; g = g->next)
            for (const Face* f = g->faces; f; f = f->next) {
                std::vector<WindowPoint> corners, drawn;
                for (int k = 0; k < f->count; ++k) {
                    const float* v = &toy_figure.vertices[3 * static_cast<size_t>(f->vertex_indices[k])];
                    const Point3 p{v[0], v[1], v[2]};
                    corners.push_back(to_window(o->pivot ? rotate_about(p, o->pivot->pivot_point, o->pivot->axis, o->angle) : p));
                }
                for (int t = 0; t < f->count - 2; ++t, ++next) {
                    ASSERT_LT(next, polygons.size()) << g->name;
                    for (const FeedbackVertex& fv : polygons[next].vertices) drawn.push_back({fv.x, fv.y});
                }
                ASSERT_TRUE(unmatched(drawn, corners).empty() && unmatched(corners, drawn).empty()) << g->name;
            }
    }
    EXPECT_EQ(next, polygons.size());  // nothing of the markers
}

TEST_F(DrawMesh, EmptyMeshesAndEmptyFacesSendNothing) {
    Mesh failed;
    PackedBytes broken = only_lights(1);
    broken.bytes.pop_back();  // no "q": refused and left empty
    ASSERT_FALSE(broken.decode(failed).ok());
    glEnable(GL_LIGHT3);
    EXPECT_TRUE(capture_polygons([&] { draw_mesh(failed); }).empty());
    EXPECT_TRUE(glIsEnabled(GL_LIGHT3));

    PackedBytes p;
    p.header(1, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 0, 1}}).material("d").object("o");
    p.group("o_d", "d", {face_of({0, 1, 2}), face_of({}), face_of({2, 1, 0})}).end();
    Mesh m;
    ASSERT_TRUE(p.decode(m).ok());
    EXPECT_EQ(capture_polygons([&] { draw_mesh(m); }).size(), 2u);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));  // the empty begin-end pair is legal
}

TEST_F(DrawMesh, LightMarkerLinkedToAPivotTurnsItsLight) {
    // "point_a" aims at (2, 0, 0); "pivot_point_a" turns it about z through (1, 0, 0).
    PackedBytes p;
    p.header(1, {{2, 0, 0}, {1, 0, 0}, {0, 0, 2}, {2, 0, 2}, {1, 1, 2}, {1, -1, 2}}, {{0, 0, 1}}).material("d");
    p.object("point_a").group("g", "d", {face_of({0, 1, 4})}).object("pivot_point_a");
    p.group("g", "d", {face_of({1, 2, 4}), face_of({1, 4, 3}), face_of({1, 3, 5}), face_of({1, 5, 2}), face_of({2, 5, 3, 4})});
    Mesh m;
    ASSERT_TRUE(p.end().decode(m).ok());
    MeshObject* light = find_mesh_object(m, "point_a");
    ASSERT_EQ(light->pivot, find_mesh_object(m, "pivot_point_a"));
    light->angle = 90;
    draw_mesh(m);
    expect_direction(GL_LIGHT0, 0, 2, 0);
    EXPECT_EQ(light_slot, 1);  // no solid has reset it
}

TEST_F(DrawMesh, LightsBeyondTheEighthSlotAreIgnored) {
    Mesh eight;
    ASSERT_TRUE(only_lights(8).decode(eight).ok());
    draw_mesh(eight);
    EXPECT_EQ(lights_on(), std::vector<bool>(8, true));
    draw_mesh(eight);  // no solid in between: no slot is free
    EXPECT_EQ(lights_on(), std::vector<bool>(8, false));
    EXPECT_EQ(light_slot, 8);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    draw_mesh(blocky_figure);  // a solid frees the slots
    draw_mesh(eight);
    EXPECT_EQ(lights_on(), std::vector<bool>(8, true));
}
