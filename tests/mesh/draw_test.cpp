// draw_mesh against a real GL (Mesa): light slots and light set-up from the
// markers, the material left current, the pivot rotation, the order and
// place of every polygon, and meshes with nothing or odd things to draw.
#include <SDL_opengl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "figure_view.h"
#include "gl_capture.h"
#include "mesh/figures.h"
#include "mesh/mesh_draw.h"
#include "packed_bytes.h"
#include "support/gl_test_context.h"

namespace {

class DrawMesh : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_GL_CONTEXT(ctx_);
        decode_figures();
        light_slot = 0;  // as at program start, should cases share a process
        load_test_view();
    }
    GlTestContext ctx_{640, 480};
};

std::array<float, 4> light_vector(GLenum light, GLenum what) {
    std::array<float, 4> v{};
    glGetLightfv(light, what, v.data());
    return v;
}

void expect_light_lit_like_default2(GLenum light) {
    const auto ambient = light_vector(light, GL_AMBIENT), diffuse = light_vector(light, GL_DIFFUSE),
               specular = light_vector(light, GL_SPECULAR);
    for (int c = 0; c < 3; ++c) {
        EXPECT_FLOAT_EQ(ambient[c], 0.0f);
        EXPECT_FLOAT_EQ(diffuse[c], 1.0f);
        EXPECT_FLOAT_EQ(specular[c], 1.0f);
    }
    float value = -1;
    glGetLightfv(light, GL_CONSTANT_ATTENUATION, &value);
    EXPECT_FLOAT_EQ(value, 1.0f);
    glGetLightfv(light, GL_LINEAR_ATTENUATION, &value);
    EXPECT_FLOAT_EQ(value, 0.0f);
    glGetLightfv(light, GL_QUADRATIC_ATTENUATION, &value);
    EXPECT_FLOAT_EQ(value, 0.0f);
    glGetLightfv(light, GL_SPOT_CUTOFF, &value);
    EXPECT_FLOAT_EQ(value, 180.0f);
}

void expect_direction(GLenum light, float x, float y, float z) {
    const auto p = light_vector(light, GL_POSITION);
    EXPECT_NEAR(p[0], x, 0.001);
    EXPECT_NEAR(p[1], y, 0.001);
    EXPECT_NEAR(p[2], z, 0.001);
    EXPECT_EQ(p[3], 0.0f);  // directional
}

std::array<float, 16> modelview() {
    std::array<float, 16> m{};
    glGetFloatv(GL_MODELVIEW_MATRIX, m.data());
    return m;
}

// A mesh of `lights` light markers and no solid, each aiming at (1, 2, 3).
PackedBytes only_lights(int lights) {
    PackedBytes p;
    p.header(1, {{1, 2, 3}}, {{0, 0, 1}}).material("d");
    for (int i = 0; i < lights; ++i) p.object("point" + std::to_string(i)).group("g", "d", {face_of({0})});
    return p.end();
}

}  // namespace

TEST_F(DrawMesh, ToyFigureTwiceTakesLightsZeroAndOneBothTimes) {
    glEnable(GL_LIGHT2);
    glEnable(GL_LIGHT5);
    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass);
        draw_mesh(toy_figure);
        EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
        EXPECT_TRUE(glIsEnabled(GL_LIGHT1));
        for (GLenum other = GL_LIGHT2; other <= GL_LIGHT7; ++other) EXPECT_FALSE(glIsEnabled(other)) << other - GL_LIGHT0;
        EXPECT_EQ(light_slot, 0);
        // "point2" comes first in list order and takes light 0.
        expect_direction(GL_LIGHT0, 2.838f, -3.560f, -6.532f);
        expect_direction(GL_LIGHT1, 0.126f, 7.860f, 5.908f);
        expect_light_lit_like_default2(GL_LIGHT0);
        expect_light_lit_like_default2(GL_LIGHT1);
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(DrawMesh, LightDirectionsTurnWithTheCallersPlacement) {
    glTranslatef(5, 6, 7);  // directional lights ignore translation
    glRotatef(90, 0, 1, 0);  // (x, y, z) -> (z, y, -x)
    draw_mesh(toy_figure);
    expect_direction(GL_LIGHT0, -6.532f, -3.560f, -2.838f);
    expect_direction(GL_LIGHT1, 5.908f, 7.860f, -0.126f);
}

TEST_F(DrawMesh, BlockyFigureAfterTheToyKeepsTheToysLights) {
    draw_mesh(toy_figure);
    draw_mesh(blocky_figure);
    EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
    EXPECT_TRUE(glIsEnabled(GL_LIGHT1));
    EXPECT_FALSE(glIsEnabled(GL_LIGHT2));
    expect_direction(GL_LIGHT0, 2.838f, -3.560f, -6.532f);
    expect_direction(GL_LIGHT1, 0.126f, 7.860f, 5.908f);
    EXPECT_EQ(light_slot, 0);
}

TEST_F(DrawMesh, MeshWithoutLightMarkersLeavesTheCallersLights) {
    glEnable(GL_LIGHT3);
    const GLfloat position[4] = {1, 2, 3, 1};
    glLightfv(GL_LIGHT3, GL_POSITION, position);
    draw_mesh(blocky_figure);
    EXPECT_TRUE(glIsEnabled(GL_LIGHT3));
    EXPECT_FLOAT_EQ(light_vector(GL_LIGHT3, GL_POSITION)[2], 3.0f);
}

TEST_F(DrawMesh, LastGroupsFrontMaterialStaysCurrent) {
    GLfloat back_before[4];
    glGetMaterialfv(GL_BACK, GL_DIFFUSE, back_before);
    draw_mesh(toy_figure);
    // Last drawn: "head", and of its groups "head_yellow" (first in record order).
    GLfloat v[4];
    glGetMaterialfv(GL_FRONT, GL_DIFFUSE, v);
    EXPECT_NEAR(v[0], 1.0, 1e-6);
    EXPECT_NEAR(v[1], 0.967, 1e-6);
    EXPECT_NEAR(v[2], 0.0, 1e-6);
    EXPECT_NEAR(v[3], 1.0, 1e-6);
    glGetMaterialfv(GL_FRONT, GL_AMBIENT, v);
    EXPECT_NEAR(v[0], 0.307, 1e-6);
    glGetMaterialfv(GL_FRONT, GL_SPECULAR, v);
    EXPECT_NEAR(v[1], 1.0, 1e-6);
    glGetMaterialfv(GL_FRONT, GL_SHININESS, v);
    EXPECT_NEAR(v[0], 100.0, 1e-6);
    GLfloat back_after[4];
    glGetMaterialfv(GL_BACK, GL_DIFFUSE, back_after);
    EXPECT_EQ(std::memcmp(back_before, back_after, sizeof back_after), 0);  // front only

    draw_mesh(blocky_figure);  // "cube1" last, its "cube1_yellowi" last
    glGetMaterialfv(GL_FRONT, GL_DIFFUSE, v);
    EXPECT_NEAR(v[0], 0.973, 1e-6);
    EXPECT_NEAR(v[1], 0.94, 1e-6);
    EXPECT_NEAR(v[2], 0.162, 1e-6);
}

TEST_F(DrawMesh, SolidFacesGoOutInListOrderAtTheirPosedPlaces) {
    MeshObject* rarm = find_mesh_object(toy_figure, "rarm");
    MeshObject* lfoot = find_mesh_object(toy_figure, "lfoot");
    MeshObject* head = find_mesh_object(toy_figure, "head");
    rarm->angle = 30;
    lfoot->angle = -25;
    head->angle = 45;
    glDisable(GL_CULL_FACE);
    const auto before = modelview();
    const auto polygons = capture_polygons([] { draw_mesh(toy_figure); });
    EXPECT_EQ(modelview(), before);

    // The polygons expected, in list order, each corner turned about its
    // object's pivot by the object's angle; GL splits each into triangles.
    size_t next = 0;
    int solids = 0;
    for (const MeshObject* o = toy_figure.objects; o; o = o->next) {
        if (o->kind != MeshObjectKind::solid) continue;
        ++solids;
        for (const MeshGroup* g = o->groups; g; g = g->next)
            for (const Face* f = g->faces; f; f = f->next) {
                std::vector<WindowPoint> corners;
                for (int k = 0; k < f->count; ++k) {
                    const float* v = &toy_figure.vertices[3 * static_cast<size_t>(f->vertex_indices[k])];
                    Point3 p{v[0], v[1], v[2]};
                    if (o->pivot) p = rotate_about(p, o->pivot->pivot_point, o->pivot->axis, o->angle);
                    corners.push_back(to_window(p));
                }
                std::vector<WindowPoint> drawn;
                for (int t = 0; t < f->count - 2; ++t, ++next) {
                    ASSERT_LT(next, polygons.size()) << o->name;
                    ASSERT_EQ(polygons[next].vertices.size(), 3u);
                    for (const FeedbackVertex& fv : polygons[next].vertices) drawn.push_back({fv.x, fv.y});
                }
                ASSERT_TRUE(unmatched(drawn, corners, 0.02).empty()) << o->name << " / " << g->name;
                ASSERT_TRUE(unmatched(corners, drawn, 0.02).empty()) << o->name << " / " << g->name;
            }
    }
    EXPECT_EQ(solids, 7);
    EXPECT_EQ(next, polygons.size());  // nothing of the markers is drawn
}

TEST_F(DrawMesh, LinkedObjectAtAngleZeroIsDrawnWhereModelled) {
    glDisable(GL_CULL_FACE);
    const auto polygons = capture_polygons([] { draw_mesh_object(toy_figure, *find_mesh_object(toy_figure, "larm")); });
    std::vector<WindowPoint> modelled;
    for (const auto& p : object_points(toy_figure, "larm")) modelled.push_back(to_window(p));
    ASSERT_FALSE(polygons.empty());
    EXPECT_TRUE(unmatched(captured_points(polygons), modelled, 0.02).empty());
    EXPECT_TRUE(unmatched(modelled, captured_points(polygons), 0.02).empty());
}

TEST_F(DrawMesh, MarkersAloneDrawNoPolygons) {
    glDisable(GL_CULL_FACE);
    for (const char* marker : {"pivot_head", "pivot_larm", "point1", "point2"}) {
        const auto polygons =
            capture_polygons([&] { draw_mesh_object(toy_figure, *find_mesh_object(toy_figure, marker)); });
        EXPECT_TRUE(polygons.empty()) << marker;
    }
}

TEST_F(DrawMesh, EmptyMeshSendsNothingAndChangesNoLight) {
    Mesh failed;
    PackedBytes broken = only_lights(1);
    broken.bytes.pop_back();  // no "q": rejected, left empty
    ASSERT_FALSE(broken.decode(failed).ok());
    glEnable(GL_LIGHT3);
    glDisable(GL_CULL_FACE);
    const auto before = modelview();
    const auto polygons = capture_polygons([&] { draw_mesh(failed); });
    EXPECT_TRUE(polygons.empty());
    EXPECT_TRUE(glIsEnabled(GL_LIGHT3));
    EXPECT_EQ(modelview(), before);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(DrawMesh, FaceWithNoCornersIsAnEmptyPolygon) {
    PackedBytes p;
    p.header(1, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 0, 1}}).material("d").object("o");
    p.group("o_d", "d", {face_of({0, 1, 2}), face_of({}), face_of({2, 1, 0})}).end();
    Mesh m;
    ASSERT_TRUE(p.decode(m).ok());
    glDisable(GL_CULL_FACE);
    const auto polygons = capture_polygons([&] { draw_mesh(m); });
    EXPECT_EQ(polygons.size(), 2u);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(DrawMesh, LightMarkerLinkedToAPivotTurnsItsLight) {
    // "point_a" aims at (2, 0, 0); "pivot_point_a" turns it about the z
    // axis through (1, 0, 0).
    PackedBytes p;
    p.header(1, {{2, 0, 0}, {1, 0, 0}, {0, 0, 2}, {2, 0, 2}, {1, 1, 2}, {1, -1, 2}}, {{0, 0, 1}}).material("d");
    p.object("point_a").group("g", "d", {face_of({0, 1, 4})});
    p.object("pivot_point_a")
        .group("g", "d", {face_of({1, 2, 4}), face_of({1, 4, 3}), face_of({1, 3, 5}), face_of({1, 5, 2}),
                          face_of({2, 5, 3, 4})});
    p.end();
    Mesh m;
    ASSERT_TRUE(p.decode(m).ok());
    MeshObject* light = find_mesh_object(m, "point_a");
    ASSERT_EQ(light->pivot, find_mesh_object(m, "pivot_point_a"));
    EXPECT_FLOAT_EQ(light->pivot->axis[2], 2.0f);
    draw_mesh(m);
    expect_direction(GL_LIGHT0, 2, 0, 0);
    light->angle = 90;
    draw_mesh(m);  // no solid has reset the slot: this light takes slot 1
    expect_direction(GL_LIGHT1, 0, 2, 0);
    EXPECT_FALSE(glIsEnabled(GL_LIGHT0));  // all eight were switched off first
    EXPECT_EQ(light_slot, 2);
}

TEST_F(DrawMesh, LightsBeyondTheEighthSlotAreIgnored) {
    Mesh eight;
    ASSERT_TRUE(only_lights(8).decode(eight).ok());
    draw_mesh(eight);
    for (GLenum l = GL_LIGHT0; l <= GL_LIGHT7; ++l) EXPECT_TRUE(glIsEnabled(l));
    EXPECT_EQ(light_slot, 8);
    draw_mesh(eight);  // no solid in between: no free slot
    for (GLenum l = GL_LIGHT0; l <= GL_LIGHT7; ++l) EXPECT_FALSE(glIsEnabled(l));
    EXPECT_EQ(light_slot, 8);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    draw_mesh(blocky_figure);  // a solid frees the slots again
    EXPECT_EQ(light_slot, 0);
    draw_mesh(eight);
    EXPECT_TRUE(glIsEnabled(GL_LIGHT7));
}
