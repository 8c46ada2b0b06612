// The packed mesh decoder on hand-made bytes: fields and list order, object
// kinds, materials, the pivot pass and linking, and every kind of malformed
// data it must refuse without reading outside the bytes.
#include <gtest/gtest.h>

#include <cstring>

#include "embedded/toy_figure_packed.h"
#include "mesh/mesh.h"
#include "packed_bytes.h"

namespace {

// A small well-formed mesh: scale 10, a triangle of object "obj".
PackedBytes small_mesh() {
    PackedBytes p;
    p.header(10, {{0, 0, 0}, {10, 0, 0}, {0, 10, 0}}, {{0, 0, 10}});
    p.material("mat").object("obj").group("obj_mat", "mat", {face_of({0, 1, 2})}).end();
    return p;
}

void expect_empty(const Mesh& m) {
    EXPECT_EQ(m.vertex_count, 0);
    EXPECT_EQ(m.normal_count, 0);
    EXPECT_TRUE(m.vertices.empty());
    EXPECT_TRUE(m.normals.empty());
    EXPECT_EQ(m.objects, nullptr);
    EXPECT_EQ(m.materials, nullptr);
    EXPECT_EQ(m.has_lights, 0);
}

// Decodes into a mesh that held a previous figure, so that a failure must
// also clear what was there.
MeshDecodeResult decode_over_old(const PackedBytes& p, Mesh& m) {
    EXPECT_TRUE(small_mesh().decode(m).ok());
    return p.decode(m);
}

void expect_rejected(const PackedBytes& p, MeshDecodeError error) {
    Mesh m;
    const MeshDecodeResult r = decode_over_old(p, m);
    EXPECT_EQ(r.error, error) << "got: " << mesh_decode_error_text(r.error);
    EXPECT_FALSE(r.ok());
    EXPECT_LE(r.offset, p.bytes.size());
    expect_empty(m);
}

struct PivotResult {
    float point[3], axis[3];
};

// Decodes a mesh whose only object is the pivot marker "pivot_m", with the
// given vertices (scale 1) and groups of faces (record order), and returns
// what the pivot pass found.
PivotResult pivot_of(const std::vector<PackedBytes::Triple>& vertices,
                     const std::vector<std::vector<PackedBytes::FaceIndices>>& groups) {
    PackedBytes p;
    p.header(1, vertices, {{0, 0, 1}}).material("d").object("pivot_m");
    for (const auto& faces : groups) p.group("pivot_m_d", "d", faces);
    p.end();
    Mesh m;
    EXPECT_TRUE(p.decode(m).ok());
    PivotResult r{};
    if (m.objects) {
        std::memcpy(r.point, m.objects->pivot_point, sizeof r.point);
        std::memcpy(r.axis, m.objects->axis, sizeof r.axis);
    }
    return r;
}

#define EXPECT_VEC3(v, x, y, z)         \
    do {                                \
        EXPECT_FLOAT_EQ((v)[0], (x));   \
        EXPECT_FLOAT_EQ((v)[1], (y));   \
        EXPECT_FLOAT_EQ((v)[2], (z));   \
    } while (0)

}  // namespace

TEST(DecodeMesh, DividesStoredCoordinatesAndNormalsByTheScale) {
    PackedBytes p;
    p.header(4, {{4, -8, 2}, {-32768, 32767, 0}}, {{4, 0, 0}, {0, -4, 0}, {1, 2, 3}}).end();
    Mesh m;
    ASSERT_TRUE(p.decode(m).ok());
    ASSERT_EQ(m.vertex_count, 2);
    ASSERT_EQ(m.normal_count, 3);
    ASSERT_EQ(m.vertices.size(), 6u);
    ASSERT_EQ(m.normals.size(), 9u);
    EXPECT_VEC3(&m.vertices[0], 1.0f, -2.0f, 0.5f);
    EXPECT_VEC3(&m.vertices[3], -8192.0f, 8191.75f, 0.0f);
    EXPECT_VEC3(&m.normals[0], 1.0f, 0.0f, 0.0f);
    EXPECT_VEC3(&m.normals[6], 0.25f, 0.5f, 0.75f);  // stored as they are, not normalised
    EXPECT_EQ(m.objects, nullptr);
    EXPECT_EQ(m.has_lights, 0);
}

TEST(DecodeMesh, EveryListRunsInReverseRecordOrder) {
    PackedBytes p;
    p.header(1, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}}, {{0, 0, 1}, {0, 1, 0}});
    p.material("first").material("second");
    p.object("a").group("a1", "first", {face_of({0, 1, 2})});
    p.group("a2", "second", {{{0, 1, 2}, {1, 0, 1}}, face_of({0, 1, 3, 2}), face_of({3, 2, 1})});
    p.object("b").group("b1", "first", {});
    p.end();
    Mesh m;
    ASSERT_TRUE(p.decode(m).ok());

    const auto materials = list_of(m.materials);
    ASSERT_EQ(materials.size(), 2u);
    EXPECT_STREQ(materials[0]->name, "second");
    EXPECT_STREQ(materials[1]->name, "first");

    const auto objects = list_of(m.objects);
    ASSERT_EQ(objects.size(), 2u);
    EXPECT_STREQ(objects[0]->name, "b");
    EXPECT_STREQ(objects[1]->name, "a");

    const auto groups = list_of(objects[1]->groups);
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_STREQ(groups[0]->name, "a2");
    EXPECT_STREQ(groups[1]->name, "a1");
    EXPECT_EQ(groups[0]->material, materials[0]);
    EXPECT_EQ(groups[1]->material, materials[1]);

    const auto faces = list_of(groups[0]->faces);
    ASSERT_EQ(faces.size(), 3u);
    EXPECT_EQ(faces[0]->count, 3);  // last face entry first
    EXPECT_EQ(faces[0]->vertex_indices[0], 3);
    EXPECT_EQ(faces[1]->count, 4);
    EXPECT_EQ(faces[2]->count, 3);
    // Corner order and the two index lists are kept apart.
    EXPECT_EQ(faces[2]->vertex_indices[0], 0);
    EXPECT_EQ(faces[2]->vertex_indices[2], 2);
    EXPECT_EQ(faces[2]->normal_indices[0], 1);
    EXPECT_EQ(faces[2]->normal_indices[1], 0);
    EXPECT_EQ(faces[2]->normal_indices[2], 1);
    EXPECT_EQ(list_of(objects[0]->groups)[0]->faces, nullptr);  // a group of 0 faces
}

TEST(DecodeMesh, MaterialTakesElevenFloatsInOrderWithAlphaOne) {
    PackedBytes p;
    p.header(1, {}, {}).material("shiny", 0.5f).end();
    Mesh m;
    ASSERT_TRUE(p.decode(m).ok());
    ASSERT_NE(m.materials, nullptr);
    const Material& mat = *m.materials;
    EXPECT_STREQ(mat.name, "shiny");
    const float ambient[4] = {0.5f, 1.5f, 2.5f, 1}, diffuse[4] = {3.5f, 4.5f, 5.5f, 1},
                specular[4] = {6.5f, 7.5f, 8.5f, 1};
    for (int c = 0; c < 4; ++c) {
        EXPECT_FLOAT_EQ(mat.ambient[c], ambient[c]);
        EXPECT_FLOAT_EQ(mat.diffuse[c], diffuse[c]);
        EXPECT_FLOAT_EQ(mat.specular[c], specular[c]);
    }
    EXPECT_FLOAT_EQ(mat.reserved, 9.5f);
    EXPECT_FLOAT_EQ(mat.shininess, 10.5f);
    // The rest of the name array is zero-filled.
    for (size_t i = std::strlen(mat.name); i < sizeof mat.name; ++i) ASSERT_EQ(mat.name[i], 0);
}

TEST(DecodeMesh, BytesThatAreNoRecordTagAreSkipped) {
    const PackedBytes plain = small_mesh();
    PackedBytes noisy;
    noisy.header(10, {{0, 0, 0}, {10, 0, 0}, {0, 10, 0}}, {{0, 0, 10}});
    noisy.u8('\n').u8(' ').u8(0).u8(0xff).u8('M');
    noisy.material("mat").u8('\n').u8('x');
    noisy.object("obj").u8('\r').u8('\n');
    noisy.group("obj_mat", "mat", {face_of({0, 1, 2})}).u8('Q').end();
    Mesh a, b;
    ASSERT_TRUE(plain.decode(a).ok());
    ASSERT_TRUE(noisy.decode(b).ok());
    ASSERT_NE(b.objects, nullptr);
    EXPECT_EQ(list_of(b.objects).size(), 1u);
    EXPECT_EQ(list_of(b.materials).size(), 1u);
    ASSERT_NE(b.objects->groups, nullptr);
    const Face* f = b.objects->groups->faces;
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->count, 3);
    EXPECT_EQ(f->vertex_indices[1], 1);
    EXPECT_EQ(f->next, nullptr);
}

TEST(DecodeMesh, BytesAfterTheEndRecordAreNotRead) {
    PackedBytes p = small_mesh();
    p.u8('o');  // an object record cut short, after "q"
    Mesh m;
    EXPECT_TRUE(p.decode(m).ok());
    EXPECT_EQ(list_of(m.objects).size(), 1u);
}

TEST(DecodeMesh, FaceWithZeroCornersTakesOneByte) {
    PackedBytes p;
    p.header(1, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 0, 1}}).material("d").object("o");
    p.group("o_d", "d", {face_of({0, 1, 2}), face_of({}), face_of({2, 1, 0})}).end();
    Mesh m;
    ASSERT_TRUE(p.decode(m).ok());
    const auto faces = list_of(m.objects->groups->faces);
    ASSERT_EQ(faces.size(), 3u);
    EXPECT_EQ(faces[0]->count, 3);
    EXPECT_EQ(faces[0]->vertex_indices[0], 2);  // the entry after the empty face was read in step
    EXPECT_EQ(faces[1]->count, 0);
    EXPECT_EQ(faces[2]->count, 3);
}

TEST(DecodeMesh, DuplicateMaterialNamesResolveToTheFirstRecord) {
    PackedBytes p;
    p.header(1, {}, {}).material("same", 1).material("other", 50).material("same", 100);
    p.object("o").group("o_same", "same", {}).end();
    Mesh m;
    ASSERT_TRUE(p.decode(m).ok());
    const Material* used = m.objects->groups->material;
    ASSERT_NE(used, nullptr);
    EXPECT_FLOAT_EQ(used->ambient[0], 1.0f);
    EXPECT_EQ(list_of(m.materials).size(), 3u);
}

TEST(DecodeMesh, ObjectKindFollowsTheNamePrefixes) {
    PackedBytes p;
    p.header(1, {{0, 0, 0}}, {{0, 0, 1}}).material("d");
    const char* names[] = {"pivot", "pivot_", "pivot_arm", "pivotal", "point", "pointless", "apoint", "Point1",
                           "spivot_x", "body"};
    for (const char* n : names) {
        p.object(n);
        if (std::strncmp(n, "point", 5) == 0) p.group("g", "d", {face_of({0, 0, 0})});
        if (std::strncmp(n, "pivot_", 6) == 0) p.group("g", "d", {});
    }
    p.end();
    Mesh m;
    ASSERT_TRUE(p.decode(m).ok());
    auto kind = [&](const char* n) {
        const MeshObject* o = find_mesh_object(m, n);
        EXPECT_NE(o, nullptr) << n;
        return o ? o->kind : MeshObjectKind::solid;
    };
    EXPECT_EQ(kind("pivot"), MeshObjectKind::solid);  // the underscore is part of the prefix
    EXPECT_EQ(kind("pivot_"), MeshObjectKind::pivot_marker);
    EXPECT_EQ(kind("pivot_arm"), MeshObjectKind::pivot_marker);
    EXPECT_EQ(kind("pivotal"), MeshObjectKind::solid);
    EXPECT_EQ(kind("point"), MeshObjectKind::light_marker);
    EXPECT_EQ(kind("pointless"), MeshObjectKind::light_marker);  // whatever follows the five bytes
    EXPECT_EQ(kind("apoint"), MeshObjectKind::solid);
    EXPECT_EQ(kind("Point1"), MeshObjectKind::solid);  // case matters
    EXPECT_EQ(kind("spivot_x"), MeshObjectKind::solid);
    EXPECT_EQ(kind("body"), MeshObjectKind::solid);
    EXPECT_EQ(m.has_lights, 1);
}

TEST(DecodeMesh, HasLightsStaysZeroWithoutLightMarkers) {
    Mesh m;
    ASSERT_TRUE(small_mesh().decode(m).ok());
    EXPECT_EQ(m.has_lights, 0);
    EXPECT_EQ(m.objects->kind, MeshObjectKind::solid);
    EXPECT_EQ(m.objects->pivot, nullptr);
    EXPECT_EQ(m.objects->angle, 0.0f);
    EXPECT_VEC3(m.objects->axis, 0.0f, 0.0f, 0.0f);
    EXPECT_VEC3(m.objects->pivot_point, 0.0f, 0.0f, 0.0f);
}

TEST(PivotPass, ApexIsTheCornerOppositeTheStrictlyShortestEdge) {
    // p0 = (0,0,0), p1 = (10,0,0), p2 = (0,20,0): d0 = 100 is shortest -> p2.
    const std::vector<PackedBytes::Triple> v = {{0, 0, 0}, {10, 0, 0}, {0, 20, 0}, {30, 0, 0}, {0, 5, 0}};
    PivotResult r = pivot_of(v, {{face_of({0, 1, 2})}});
    EXPECT_VEC3(r.point, 0.0f, 20.0f, 0.0f);
    // p0 = (0,20,0), p1 = (0,0,0), p2 = (10,0,0): d1 = 100 shortest -> p0.
    r = pivot_of(v, {{face_of({2, 0, 1})}});
    EXPECT_VEC3(r.point, 0.0f, 20.0f, 0.0f);
    // p0 = (10,0,0), p1 = (0,20,0), p2 = (0,0,0): d2 = 100 shortest -> p1.
    r = pivot_of(v, {{face_of({1, 2, 0})}});
    EXPECT_VEC3(r.point, 0.0f, 20.0f, 0.0f);
    // (0,0,0), (30,0,0), (0,5,0): d2 = 25 shortest -> p1 = (30,0,0).
    r = pivot_of(v, {{face_of({0, 3, 4})}});
    EXPECT_VEC3(r.point, 30.0f, 0.0f, 0.0f);
}

TEST(PivotPass, TieForTheShortestEdgePicksCornerZero) {
    // (0,0,0), (10,0,0), (0,10,0): d0 = d2 = 100 < d1 = 200.
    PivotResult r = pivot_of({{0, 0, 0}, {10, 0, 0}, {0, 10, 0}}, {{face_of({0, 1, 2})}});
    EXPECT_VEC3(r.point, 0.0f, 0.0f, 0.0f);
    // The same triangle from another corner: (10,0,0), (0,10,0), (0,0,0):
    // d1 = d2 = 100 < d0 = 200, again a tie -> p0 = (10,0,0).
    r = pivot_of({{0, 0, 0}, {10, 0, 0}, {0, 10, 0}}, {{face_of({1, 2, 0})}});
    EXPECT_VEC3(r.point, 10.0f, 0.0f, 0.0f);
}

TEST(PivotPass, AxisRunsFromTheApexToTheBaseCentre) {
    // A pyramid: apex (2,4,0), base square around (2,10,0) in y = 10.
    const std::vector<PackedBytes::Triple> v = {{2, 4, 0}, {1, 10, -1}, {3, 10, -1}, {3, 10, 1}, {1, 10, 1}};
    PivotResult r = pivot_of(v, {{face_of({0, 1, 2}), face_of({0, 2, 3}), face_of({0, 3, 4}), face_of({0, 4, 1}),
                                  face_of({1, 2, 3, 4})}});
    EXPECT_VEC3(r.point, 2.0f, 4.0f, 0.0f);
    EXPECT_VEC3(r.axis, 0.0f, 6.0f, 0.0f);
}

TEST(PivotPass, OnlyTheFirstTriangleInListOrderCounts) {
    const std::vector<PackedBytes::Triple> v = {{0, 50, 0}, {-1, 0, 0}, {1, 0, 0}, {0, -50, 0}};
    // Written: apex-up triangle, then apex-down: the apex-down one is first.
    PivotResult r = pivot_of(v, {{face_of({0, 1, 2}), face_of({3, 2, 1})}});
    EXPECT_VEC3(r.point, 0.0f, -50.0f, 0.0f);
}

TEST(PivotPass, FacesOfMoreThanThreeCornersAccumulateThenDivide) {
    // Written: quad Q1 (corner sum (0,0,40)), then pentagon Q2 (corner sum
    // (50,0,0)). List order Q2 then Q1: A = (50,0,0) / 5 = (10,0,0), then
    // A = ((10,0,0) + (0,0,40)) / 4 = (2.5, 0, 10).
    const std::vector<PackedBytes::Triple> v = {{0, 0, 10}, {10, 0, 0}, {0, 0, 0}};
    PivotResult r = pivot_of(v, {{face_of({0, 0, 0, 0}), face_of({1, 1, 1, 1, 1})}});
    EXPECT_VEC3(r.point, 0.0f, 0.0f, 0.0f);  // no triangle
    EXPECT_VEC3(r.axis, 2.5f, 0.0f, 10.0f);
}

TEST(PivotPass, MarkerWithoutTriangleOrWithoutBaseUsesZero) {
    // No triangle: the pivot point stays at the origin and the axis is the
    // base centroid.
    PivotResult r = pivot_of({{2, 0, 0}, {4, 0, 0}, {4, 2, 0}, {2, 2, 0}}, {{face_of({0, 1, 2, 3})}});
    EXPECT_VEC3(r.point, 0.0f, 0.0f, 0.0f);
    EXPECT_VEC3(r.axis, 3.0f, 1.0f, 0.0f);
    // No face of more than three corners: axis = -pivot point. Faces of
    // fewer than three corners are ignored.
    r = pivot_of({{5, 7, 0}, {0, 0, 0}, {1, 0, 0}}, {{face_of({1, 2}), face_of({0, 1, 2}), face_of({})}});
    EXPECT_VEC3(r.point, 5.0f, 7.0f, 0.0f);
    EXPECT_VEC3(r.axis, -5.0f, -7.0f, 0.0f);
}

TEST(PivotPass, OnlyTheFirstGroupInListOrderCounts) {
    const std::vector<PackedBytes::Triple> v = {{0, 50, 0}, {-1, 0, 0}, {1, 0, 0}, {0, -50, 0}, {9, 9, 9}};
    // Written: a group with the apex-down triangle and a base, then a group
    // with the apex-up triangle only. The latter is first in list order.
    PivotResult r = pivot_of(v, {{face_of({3, 2, 1}), face_of({4, 4, 4, 4})}, {face_of({0, 1, 2})}});
    EXPECT_VEC3(r.point, 0.0f, 50.0f, 0.0f);
    EXPECT_VEC3(r.axis, 0.0f, -50.0f, 0.0f);
}

TEST(PivotLinks, ObjectsLinkByUnderscoreAndNameInTheMarkerName) {
    PackedBytes p;
    p.header(1, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 0, 1}}).material("d");
    const auto tri = std::vector<PackedBytes::FaceIndices>{face_of({0, 1, 2})};
    // "_larm" occurs in this marker's name too, but it comes first in record
    // order, so pivot_larm is first in list order; markers are never linked.
    p.object("pivot_pivot_larm").group("g", "d", tri);
    p.object("l").object("arm").object("larm").object("body");
    p.object("pivot_larm").group("g", "d", tri);
    p.object("point1").group("g", "d", tri);  // light markers link like solids
    p.object("pivot_point1").group("g", "d", tri);
    p.end();
    Mesh m;
    ASSERT_TRUE(p.decode(m).ok());
    const MeshObject* larm_marker = find_mesh_object(m, "pivot_larm");
    EXPECT_EQ(find_mesh_object(m, "l")->pivot, larm_marker);
    EXPECT_EQ(find_mesh_object(m, "larm")->pivot, larm_marker);
    EXPECT_EQ(find_mesh_object(m, "arm")->pivot, nullptr);  // "_arm" is not in "pivot_larm"
    EXPECT_EQ(find_mesh_object(m, "body")->pivot, nullptr);
    EXPECT_EQ(find_mesh_object(m, "point1")->pivot, find_mesh_object(m, "pivot_point1"));
    EXPECT_EQ(larm_marker->pivot, nullptr);
    EXPECT_EQ(find_mesh_object(m, "pivot_point1")->pivot, nullptr);
}

TEST(PivotLinks, AnObjectMatchingSeveralMarkersTakesTheFirstInListOrder) {
    PackedBytes p;
    p.header(1, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 0, 1}}).material("d");
    const auto tri = std::vector<PackedBytes::FaceIndices>{face_of({0, 1, 2})};
    p.object("pivot_a1").group("g", "d", tri);
    p.object("a").object("a1");
    p.object("pivot_a2").group("g", "d", tri);
    p.end();
    Mesh m;
    ASSERT_TRUE(p.decode(m).ok());
    // "_a" occurs in both; pivot_a2's record comes last, so it is first.
    EXPECT_EQ(find_mesh_object(m, "a")->pivot, find_mesh_object(m, "pivot_a2"));
    EXPECT_EQ(find_mesh_object(m, "a1")->pivot, find_mesh_object(m, "pivot_a1"));
}

TEST(DecodeMeshRejects, TruncationAnywhereInAValidMesh) {
    const PackedBytes whole = small_mesh();
    for (size_t n = 0; n < whole.bytes.size(); ++n) {
        PackedBytes cut;
        cut.bytes.assign(whole.bytes.begin(), whole.bytes.begin() + static_cast<long>(n));
        Mesh m;
        const MeshDecodeResult r = decode_over_old(cut, m);
        ASSERT_FALSE(r.ok()) << "prefix of " << n << " bytes";
        EXPECT_TRUE(r.error == MeshDecodeError::truncated || r.error == MeshDecodeError::missing_end) << n;
        expect_empty(m);
    }
    Mesh m;
    EXPECT_EQ(decode_mesh(m, nullptr, 0).error, MeshDecodeError::truncated);
}

TEST(DecodeMeshRejects, EveryCutOfTheStoredToyFigure) {
    // Cut inside the header, the arrays, names, floats, face entries and
    // before the final "q": the decoder must stop cleanly every time.
    for (size_t n = 0; n < toy_figure_packed_size; n += (n < 4096 ? 1 : 7)) {
        Mesh m;
        const MeshDecodeResult r = decode_mesh(m, toy_figure_packed, n);
        ASSERT_FALSE(r.ok()) << n;
        ASSERT_LE(r.offset, n);
        ASSERT_EQ(m.objects, nullptr);
    }
}

TEST(DecodeMeshRejects, MissingEndRecord) {
    PackedBytes p;
    p.header(10, {{0, 0, 0}}, {{0, 0, 10}}).material("m").object("o");
    expect_rejected(p, MeshDecodeError::missing_end);
    p.u8('\n').u8('z');  // only skipped bytes follow
    expect_rejected(p, MeshDecodeError::missing_end);
}

TEST(DecodeMeshRejects, CountsLargerThanTheData) {
    PackedBytes huge_vertices;
    huge_vertices.u16(1).u32(0xffffffffu).u16(0).u16(0).u16(0);
    expect_rejected(huge_vertices, MeshDecodeError::truncated);
    PackedBytes huge_normals;
    huge_normals.u16(1).u32(0).u32(0x40000000u).end();
    expect_rejected(huge_normals, MeshDecodeError::truncated);
    PackedBytes many_faces;
    many_faces.header(1, {{0, 0, 0}}, {{0, 0, 1}}).material("d").object("o");
    many_faces.u8('g').name("g").name("d").u16(500).u8(1).u16(0).u16(0).end();
    expect_rejected(many_faces, MeshDecodeError::truncated);
    PackedBytes many_corners;
    many_corners.header(1, {{0, 0, 0}}, {{0, 0, 1}}).material("d").object("o");
    many_corners.u8('g').name("g").name("d").u16(1).u8(200).u16(0).u16(0).u16(0).end();
    expect_rejected(many_corners, MeshDecodeError::truncated);
}

TEST(DecodeMeshRejects, ZeroScale) {
    PackedBytes p;
    p.header(0, {{1, 2, 3}}, {}).end();
    expect_rejected(p, MeshDecodeError::zero_scale);
}

TEST(DecodeMeshRejects, GroupBeforeAnyObject) {
    PackedBytes p;
    p.header(1, {{0, 0, 0}}, {{0, 0, 1}}).material("d").group("g", "d", {}).object("o").end();
    expect_rejected(p, MeshDecodeError::group_before_object);
}

TEST(DecodeMeshRejects, UnknownOrLaterMaterialName) {
    PackedBytes unknown;
    unknown.header(1, {}, {}).material("red").object("o").group("o_blue", "blue", {}).end();
    expect_rejected(unknown, MeshDecodeError::unknown_material);
    PackedBytes later;  // defined only after the group that uses it
    later.header(1, {}, {}).object("o").group("o_red", "red", {}).material("red").end();
    expect_rejected(later, MeshDecodeError::unknown_material);
}

TEST(DecodeMeshRejects, IndicesOutOfRange) {
    PackedBytes vertex;
    vertex.header(1, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 0, 1}}).material("d").object("o");
    vertex.group("g", "d", {face_of({0, 1, 3})}).end();  // 3 vertices: 0..2
    expect_rejected(vertex, MeshDecodeError::vertex_index_out_of_range);
    PackedBytes normal;
    normal.header(1, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 0, 1}}).material("d").object("o");
    normal.group("g", "d", {{{0, 1, 2}, {0, 1, 0}}}).end();  // 1 normal: 0 only
    expect_rejected(normal, MeshDecodeError::normal_index_out_of_range);
    PackedBytes none;  // no vertices at all
    none.header(1, {}, {}).material("d").object("o").group("g", "d", {face_of({0})}).end();
    expect_rejected(none, MeshDecodeError::vertex_index_out_of_range);
}

TEST(DecodeMeshRejects, NamesOfAThousandBytesOrMore) {
    const std::string longest(999, 'n');
    PackedBytes fits;
    fits.header(1, {}, {}).material(longest).object(longest).group(longest, longest, {}).end();
    Mesh m;
    ASSERT_TRUE(fits.decode(m).ok());
    EXPECT_EQ(std::strlen(m.objects->name), 999u);
    EXPECT_EQ(std::strlen(m.objects->groups->name), 999u);
    EXPECT_EQ(m.objects->groups->material, m.materials);

    const std::string too_long(1000, 'n');
    for (int where = 0; where < 4; ++where) {
        PackedBytes p;
        p.header(1, {}, {}).material(where == 0 ? too_long : "m").object(where == 1 ? too_long : "o");
        p.group(where == 2 ? too_long : "g", where == 3 ? too_long : "m", {}).end();
        SCOPED_TRACE(where);
        expect_rejected(p, MeshDecodeError::name_too_long);
    }
}

TEST(DecodeMeshRejects, MoreThanEightLightMarkers) {
    auto lights = [](int count) {
        PackedBytes p;
        p.header(1, {{1, 2, 3}}, {{0, 0, 1}}).material("d");
        for (int i = 0; i < count; ++i) p.object("point" + std::to_string(i)).group("g", "d", {face_of({0})});
        return p.end();
    };
    Mesh m;
    ASSERT_TRUE(lights(8).decode(m).ok());
    EXPECT_EQ(list_of(m.objects).size(), 8u);
    expect_rejected(lights(9), MeshDecodeError::too_many_lights);
}

TEST(DecodeMeshRejects, MarkersDrawingCouldNotUse) {
    PackedBytes pivot_without_group;
    pivot_without_group.header(1, {}, {}).material("d").object("pivot_x").end();
    expect_rejected(pivot_without_group, MeshDecodeError::pivot_marker_without_group);

    PackedBytes light_without_group;
    light_without_group.header(1, {}, {}).material("d").object("point1").end();
    expect_rejected(light_without_group, MeshDecodeError::light_marker_without_corner);

    PackedBytes light_without_faces;
    light_without_faces.header(1, {}, {}).material("d").object("point1").group("g", "d", {}).end();
    expect_rejected(light_without_faces, MeshDecodeError::light_marker_without_corner);

    PackedBytes light_with_empty_first_face;  // the first face in list order is the last written
    light_with_empty_first_face.header(1, {{0, 0, 0}}, {{0, 0, 1}}).material("d").object("point1");
    light_with_empty_first_face.group("g", "d", {face_of({0}), face_of({})}).end();
    expect_rejected(light_with_empty_first_face, MeshDecodeError::light_marker_without_corner);
}

TEST(DecodeMeshRejects, ReasonsAreDistinctAndReadable) {
    const MeshDecodeError errors[] = {
        MeshDecodeError::truncated, MeshDecodeError::missing_end, MeshDecodeError::zero_scale,
        MeshDecodeError::group_before_object, MeshDecodeError::unknown_material,
        MeshDecodeError::vertex_index_out_of_range, MeshDecodeError::normal_index_out_of_range,
        MeshDecodeError::name_too_long, MeshDecodeError::too_many_lights,
        MeshDecodeError::pivot_marker_without_group, MeshDecodeError::light_marker_without_corner};
    for (MeshDecodeError a : errors) {
        EXPECT_GT(std::strlen(mesh_decode_error_text(a)), 10u);
        for (MeshDecodeError b : errors)
            if (a != b) {
                EXPECT_STRNE(mesh_decode_error_text(a), mesh_decode_error_text(b));
            }
    }
}
