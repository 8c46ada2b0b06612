// The packed mesh decoder on hand-made bytes: fields and list order, object
// kinds, materials, the pivot pass and linking, and the malformed data it
// must refuse without reading outside the bytes.
#include <gtest/gtest.h>

#include "embedded/toy_figure_packed.h"
#include "mesh_test_support.h"

namespace {

using Faces = std::vector<PackedBytes::FaceIndices>;

PackedBytes small_mesh() {  // scale 10, one triangle of object "obj"
    PackedBytes p;
    p.header(10, {{0, 0, 0}, {10, 0, 0}, {0, 10, 0}}, {{0, 0, 10}});
    return p.material("mat").object("obj").group("obj_mat", "mat", {face_of({0, 1, 2})}).end();
}

Mesh decoded(const PackedBytes& p) {
    Mesh m;
    const MeshDecodeResult r = p.decode(m);
    EXPECT_TRUE(r.ok()) << mesh_decode_error_text(r.error) << " at " << r.offset;
    return m;
}

bool is_empty(const Mesh& m) {
    return m.vertex_count == 0 && m.normal_count == 0 && m.vertices.empty() && m.normals.empty() && !m.objects &&
           !m.materials && !m.has_lights;
}

// Decodes over a mesh that held something, so a refusal must also clear it.
MeshDecodeError refusal(const PackedBytes& p) {
    Mesh m = decoded(small_mesh());
    const MeshDecodeResult r = p.decode(m);
    EXPECT_FALSE(r.ok());
    EXPECT_LE(r.offset, p.bytes.size());
    EXPECT_TRUE(is_empty(m));
    return r.error;
}

}  // namespace

TEST(DecodeMesh, ScalesTheArraysAndListsRecordsInReverseOrder) {
    PackedBytes p;
    p.header(4, {{4, -8, 2}, {-32768, 32767, 0}, {0, 4, 0}, {4, 4, 0}}, {{4, 0, 0}, {1, 2, 3}});
    p.material("first", 0.5f).material("second");
    p.object("a").group("a1", "first", {face_of({0, 1, 2})});
    p.group("a2", "second", {{{0, 1, 2}, {1, 0, 1}}, face_of({0, 1, 3, 2}), face_of({3, 2, 1})});
    p.object("b").group("b1", "first", {}).end();
    const Mesh m = decoded(p);
    ASSERT_EQ(m.vertex_count, 4);
    ASSERT_EQ(m.normal_count, 2);
    EXPECT_EQ(std::vector<float>(m.vertices.begin(), m.vertices.begin() + 6),
              (std::vector<float>{1, -2, 0.5f, -8192, 8191.75f, 0}));
    EXPECT_EQ(std::vector<float>(m.normals.begin() + 3, m.normals.end()), (std::vector<float>{0.25f, 0.5f, 0.75f}));

    const auto materials = list_of(m.materials);
    ASSERT_EQ(materials.size(), 2u);
    EXPECT_STREQ(materials[0]->name, "second");
    const Material& first = *materials[1];
    EXPECT_EQ(std::vector<float>(first.ambient, first.ambient + 4), (std::vector<float>{0.5f, 1.5f, 2.5f, 1}));
    EXPECT_EQ(std::vector<float>(first.diffuse, first.diffuse + 4), (std::vector<float>{3.5f, 4.5f, 5.5f, 1}));
    EXPECT_EQ(std::vector<float>(first.specular, first.specular + 4), (std::vector<float>{6.5f, 7.5f, 8.5f, 1}));
    EXPECT_EQ(first.reserved, 9.5f);
    EXPECT_EQ(first.shininess, 10.5f);
    EXPECT_EQ(first.name[sizeof first.name - 1], 0);

    const auto objects = list_of(m.objects);
    ASSERT_EQ(objects.size(), 2u);
    EXPECT_STREQ(objects[0]->name, "b");
    EXPECT_EQ(objects[0]->groups->faces, nullptr);  // a group of no faces
    const auto groups = list_of(objects[1]->groups);
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_STREQ(groups[0]->name, "a2");
    EXPECT_EQ(groups[0]->material, materials[0]);
    EXPECT_EQ(groups[1]->material, materials[1]);
    const auto faces = list_of(groups[0]->faces);
    ASSERT_EQ(faces.size(), 3u);
    EXPECT_EQ(std::vector<int32_t>(faces[0]->vertex_indices, faces[0]->vertex_indices + 3),
              (std::vector<int32_t>{3, 2, 1}));
    EXPECT_EQ(faces[1]->count, 4);
    EXPECT_EQ(std::vector<int32_t>(faces[2]->normal_indices, faces[2]->normal_indices + 3),
              (std::vector<int32_t>{1, 0, 1}));
}

TEST(DecodeMesh, SkipsStrayBytesEmptyFacesAndReadsNothingAfterTheEnd) {
    PackedBytes p;
    p.header(1, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 0, 1}}).u8('\n').u8(0).u8(0xff).u8('M');
    p.material("d").u8('x').object("o").u8('\r').u8('\n');
    p.group("o_d", "d", {face_of({0, 1, 2}), face_of({}), face_of({2, 1, 0})}).u8('Q').end();
    p.u8('o');  // a record cut short, after "q"
    const Mesh m = decoded(p);
    ASSERT_EQ(list_of(m.objects).size(), 1u);
    const auto faces = list_of(m.objects->groups->faces);
    ASSERT_EQ(faces.size(), 3u);
    EXPECT_EQ(faces[0]->vertex_indices[0], 2);  // read in step after the empty face
    EXPECT_EQ(faces[1]->count, 0);
}

TEST(DecodeMesh, DuplicateMaterialNamesResolveToTheFirstRecord) {
    PackedBytes p;
    p.header(1, {}, {}).material("same", 1).material("other", 50).material("same", 100);
    const Mesh m = decoded(p.object("o").group("o_same", "same", {}).end());
    EXPECT_EQ(m.objects->groups->material->ambient[0], 1.0f);
}

TEST(DecodeMesh, ObjectKindFollowsTheNamePrefixes) {
    const std::pair<const char*, MeshObjectKind> cases[] = {
        {"pivot", MeshObjectKind::solid},         {"pivot_", MeshObjectKind::pivot_marker},
        {"pivot_arm", MeshObjectKind::pivot_marker}, {"pivotal", MeshObjectKind::solid},
        {"point", MeshObjectKind::light_marker},  {"pointless", MeshObjectKind::light_marker},
        {"apoint", MeshObjectKind::solid},        {"Point1", MeshObjectKind::solid}};
    PackedBytes p;
    p.header(1, {{0, 0, 0}}, {{0, 0, 1}}).material("d");
    for (const auto& [name, kind] : cases) {
        p.object(name);
        if (kind != MeshObjectKind::solid) p.group("g", "d", {face_of({0})});
    }
    const Mesh m = decoded(p.end());
    for (const auto& [name, kind] : cases) EXPECT_EQ(find_mesh_object(m, name)->kind, kind) << name;
    EXPECT_EQ(m.has_lights, 1);
    EXPECT_EQ(decoded(small_mesh()).has_lights, 0);
}

TEST(PivotPass, ApexAndAxisComeFromTheFirstGroupsFacesInListOrder) {
    struct Case {
        const char* what;
        std::vector<PackedBytes::Triple> vertices;
        std::vector<Faces> groups;  // record order
        std::array<float, 3> point, axis;
    } cases[] = {
        {"d0 shortest: p2", {{0, 0, 0}, {10, 0, 0}, {0, 20, 0}}, {{face_of({0, 1, 2})}}, {0, 20, 0}, {0, -20, 0}},
        {"d1 shortest: p0", {{0, 0, 0}, {10, 0, 0}, {0, 20, 0}}, {{face_of({2, 0, 1})}}, {0, 20, 0}, {0, -20, 0}},
        {"d2 shortest: p1", {{0, 0, 0}, {30, 0, 0}, {0, 5, 0}}, {{face_of({0, 1, 2})}}, {30, 0, 0}, {-30, 0, 0}},
        {"tie d0 = d2: p0", {{0, 0, 0}, {10, 0, 0}, {0, 10, 0}}, {{face_of({0, 1, 2})}}, {0, 0, 0}, {0, 0, 0}},
        {"tie d1 = d2: p0", {{0, 0, 0}, {10, 0, 0}, {0, 10, 0}}, {{face_of({1, 2, 0})}}, {10, 0, 0}, {-10, 0, 0}},
        {"pyramid",
         {{2, 4, 0}, {1, 10, -1}, {3, 10, -1}, {3, 10, 1}, {1, 10, 1}},
         {{face_of({0, 1, 2}), face_of({0, 2, 3}), face_of({0, 3, 4}), face_of({0, 4, 1}), face_of({1, 2, 3, 4})}},
         {2, 4, 0},
         {0, 6, 0}},
        {"last triangle written counts",
         {{0, 50, 0}, {-1, 0, 0}, {1, 0, 0}, {0, -50, 0}},
         {{face_of({0, 1, 2}), face_of({3, 2, 1})}},
         {0, -50, 0},
         {0, 50, 0}},
        // List order: pentagon (sum (50,0,0)) / 5, then + quad (sum (0,0,40)), / 4.
        {"bases accumulate", {{0, 0, 10}, {10, 0, 0}}, {{face_of({0, 0, 0, 0}), face_of({1, 1, 1, 1, 1})}},
         {0, 0, 0}, {2.5f, 0, 10}},
        {"short faces ignored", {{5, 7, 0}, {0, 0, 0}, {1, 0, 0}}, {{face_of({1, 2}), face_of({0, 1, 2}), face_of({})}},
         {5, 7, 0}, {-5, -7, 0}},
        {"only the last group written",
         {{0, 50, 0}, {-1, 0, 0}, {1, 0, 0}, {0, -50, 0}, {9, 9, 9}},
         {{face_of({3, 2, 1}), face_of({4, 4, 4, 4})}, {face_of({0, 1, 2})}},
         {0, 50, 0},
         {0, -50, 0}},
    };
    for (const Case& c : cases) {
        PackedBytes p;
        p.header(1, c.vertices, {{0, 0, 1}}).material("d").object("pivot_m");
        for (const Faces& faces : c.groups) p.group("pivot_m_d", "d", faces);
        const Mesh m = decoded(p.end());
        ASSERT_NE(m.objects, nullptr);
        EXPECT_EQ(std::vector<float>(m.objects->pivot_point, m.objects->pivot_point + 3),
                  std::vector<float>(c.point.begin(), c.point.end()))
            << c.what;
        EXPECT_EQ(std::vector<float>(m.objects->axis, m.objects->axis + 3),
                  std::vector<float>(c.axis.begin(), c.axis.end()))
            << c.what;
    }
}

TEST(PivotLinks, UnderscoreAndWholeNameInTheMarkerNameFirstMarkerInListOrder) {
    PackedBytes p;
    const Faces tri{face_of({0, 1, 2})};
    p.header(1, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 0, 1}}).material("d");
    p.object("pivot_pivot_larm").group("g", "d", tri);  // also holds "_larm", but is later in list order
    p.object("l").object("arm").object("larm").object("a").object("a2");
    p.object("pivot_larm").group("g", "d", tri);
    p.object("point1").group("g", "d", tri).object("pivot_point1").group("g", "d", tri);
    p.object("pivot_a").group("g", "d", tri).object("pivot_a2").group("g", "d", tri);
    const Mesh m = decoded(p.end());
    auto pivot_of = [&](const char* name) {
        const MeshObject* o = find_mesh_object(m, name)->pivot;
        return std::string(o ? o->name : "none");
    };
    EXPECT_EQ(pivot_of("l"), "pivot_larm");
    EXPECT_EQ(pivot_of("larm"), "pivot_larm");
    EXPECT_EQ(pivot_of("arm"), "none");  // "_arm" is not in "pivot_larm"
    EXPECT_EQ(pivot_of("point1"), "pivot_point1");  // light markers link like solids
    EXPECT_EQ(pivot_of("a"), "pivot_a2");  // "_a" is in "pivot_a" too: the last written wins
    EXPECT_EQ(pivot_of("a2"), "pivot_a2");
    EXPECT_EQ(pivot_of("pivot_larm"), "none");  // markers are never linked
}

TEST(DecodeMeshRejects, EveryTruncation) {
    const PackedBytes whole = small_mesh();
    for (size_t n = 0; n < whole.bytes.size(); ++n) {
        PackedBytes cut;
        cut.bytes.assign(whole.bytes.begin(), whole.bytes.begin() + static_cast<long>(n));
        const MeshDecodeError e = refusal(cut);
        EXPECT_TRUE(e == MeshDecodeError::truncated || e == MeshDecodeError::missing_end) << n;
    }
    for (size_t n = 0; n < toy_figure_packed_size; n += (n < 4096 ? 1 : 7)) {  // header, arrays and records
        Mesh m;
        ASSERT_FALSE(decode_mesh(m, toy_figure_packed, n).ok()) << n;
        ASSERT_TRUE(is_empty(m));
    }
    Mesh m;
    EXPECT_EQ(decode_mesh(m, nullptr, 0).error, MeshDecodeError::truncated);
}

TEST(DecodeMeshRejects, MalformedRecords) {
    auto base = [] {
        PackedBytes p;
        return p.header(1, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 0, 1}}).material("d");
    };
    const std::string too_long(1000, 'n');
    const std::pair<PackedBytes, MeshDecodeError> cases[] = {
        {base().object("o").u8('\n'), MeshDecodeError::missing_end},
        {PackedBytes().header(0, {{1, 2, 3}}, {}).end(), MeshDecodeError::zero_scale},
        {PackedBytes().u16(1).u32(0xffffffffu).u16(0).u16(0).u16(0), MeshDecodeError::truncated},
        {PackedBytes().u16(1).u32(0).u32(0x40000000u).end(), MeshDecodeError::truncated},
        {base().object("o").u8('g').name("g").name("d").u16(500).u8(0).end(), MeshDecodeError::truncated},
        {base().group("g", "d", {}).object("o").end(), MeshDecodeError::group_before_object},
        {base().object("o").group("g", "red", {}).material("red").end(), MeshDecodeError::unknown_material},
        {base().object("o").group("g", "d", {face_of({0, 1, 3})}).end(), MeshDecodeError::vertex_index_out_of_range},
        {base().object("o").group("g", "d", {{{0, 1, 2}, {0, 1, 0}}}).end(),
         MeshDecodeError::normal_index_out_of_range},
        {base().material(too_long).end(), MeshDecodeError::name_too_long},
        {base().object(too_long).end(), MeshDecodeError::name_too_long},
        {base().object("o").group(too_long, "d", {}).end(), MeshDecodeError::name_too_long},
        {base().object("o").group("g", too_long, {}).end(), MeshDecodeError::name_too_long},
        {base().object("pivot_x").end(), MeshDecodeError::pivot_marker_without_group},
        {base().object("point1").end(), MeshDecodeError::light_marker_without_corner},
        {base().object("point1").group("g", "d", {}).end(), MeshDecodeError::light_marker_without_corner},
        {base().object("point1").group("g", "d", {face_of({0}), face_of({})}).end(),
         MeshDecodeError::light_marker_without_corner},  // its first face in list order is the empty one
    };
    for (const auto& [bytes, error] : cases)
        EXPECT_EQ(refusal(bytes), error) << "expected: " << mesh_decode_error_text(error);
}

TEST(DecodeMeshRejects, LongNamesAndLightsOnlyBeyondTheLimits) {
    const std::string longest(999, 'n');
    PackedBytes names;
    const Mesh m = decoded(names.header(1, {}, {}).material(longest).object(longest).group(longest, longest, {}).end());
    EXPECT_EQ(std::strlen(m.objects->groups->name), 999u);
    EXPECT_EQ(m.objects->groups->material, m.materials);
    auto lights = [](int count) {
        PackedBytes p;
        p.header(1, {{1, 2, 3}}, {{0, 0, 1}}).material("d");
        for (int i = 0; i < count; ++i) p.object("point" + std::to_string(i)).group("g", "d", {face_of({0})});
        return p.end();
    };
    EXPECT_EQ(list_of(decoded(lights(8)).objects).size(), 8u);
    EXPECT_EQ(refusal(lights(9)), MeshDecodeError::too_many_lights);
}
