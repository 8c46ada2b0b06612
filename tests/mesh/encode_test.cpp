// The encoder: the scale rule, encode-then-decode round trips, and the
// sources it refuses.
#include <gtest/gtest.h>

#include <cstring>

#include "embedded/blocky_figure_packed.h"
#include "embedded/toy_figure_packed.h"
#include "mesh/mesh_encode.h"
#include "packed_bytes.h"

namespace {

MeshSource two_object_source() {
    MeshSource s;
    s.vertices = {{0, 0, 0}, {1.5f, 0, 0}, {0, -2.25f, 0}, {0.1f, 0.2f, 3}};
    s.normals = {{0, 0, 1}, {0, 0.6f, -0.8f}};
    s.materials = {{"red", {0.1f, 0.2f, 0.3f}, {0.9f, 0, 0}, {1, 1, 1}, 1.0f, 100.0f},
                   {"blue", {0, 0, 0}, {0, 0, 1}, {0.5f, 0.5f, 0.5f}, 2.0f, 8.0f}};
    s.objects = {{"box", {{"box_red", "red", {{{0, 1, 2}, {0, 0, 0}}, {{0, 1, 3, 2}, {1, 1, 0, 0}}}},
                          {"box_blue", "blue", {{{}, {}}}}}},
                 {"point9", {{"point9_blue", "blue", {{{3, 2, 1}, {1, 1, 1}}}}}}};
    return s;
}

uint16_t stored_scale(const unsigned char* packed) { return static_cast<uint16_t>(packed[0] | (packed[1] << 8)); }

}  // namespace

TEST(MeshScale, LargestIntegerNotAbove32767OverLargestCoordinatePlusOne) {
    MeshSource s;
    s.vertices = {{1, -8.112f, 2}};
    EXPECT_EQ(mesh_scale_for(s), 3596);  // 32767 / 9.112 = 3596.03
    s.vertices = {{0, 6.970f, 0}, {-3.5f, 0, 0}};
    EXPECT_EQ(mesh_scale_for(s), 4111);  // 32767 / 7.97 = 4111.29
    s.vertices = {{0, 0, -1}};
    EXPECT_EQ(mesh_scale_for(s), 16383);  // 32767 / 2 = 16383.5: rounded down
    s.vertices = {};
    EXPECT_EQ(mesh_scale_for(s), 32767);
    s.vertices = {{0, 0, 40000}};
    EXPECT_EQ(mesh_scale_for(s), 1);  // never 0
}

TEST(MeshEncode, RoundTripKeepsEveryRecordAndQuantisesToTheScale) {
    const MeshSource s = two_object_source();
    std::vector<uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(encode_mesh(s, 1000, bytes, error)) << error;
    EXPECT_EQ(bytes.back(), 'q');
    EXPECT_EQ(stored_scale(bytes.data()), 1000);

    Mesh m;
    ASSERT_TRUE(decode_mesh(m, bytes.data(), bytes.size()).ok());
    ASSERT_EQ(m.vertex_count, 4);
    ASSERT_EQ(m.normal_count, 2);
    for (int i = 0; i < 4; ++i)
        for (int c = 0; c < 3; ++c) EXPECT_NEAR(m.vertices[3 * i + c], s.vertices[i][c], 0.5 / 1000);
    EXPECT_FLOAT_EQ(m.normals[4], 0.6f);
    EXPECT_FLOAT_EQ(m.normals[5], -0.8f);

    // Record order comes back reversed in every list.
    const auto materials = list_of(m.materials);
    ASSERT_EQ(materials.size(), 2u);
    EXPECT_STREQ(materials[0]->name, "blue");
    EXPECT_FLOAT_EQ(materials[0]->specular[1], 0.5f);
    EXPECT_FLOAT_EQ(materials[0]->reserved, 2.0f);
    EXPECT_FLOAT_EQ(materials[0]->shininess, 8.0f);
    EXPECT_FLOAT_EQ(materials[1]->ambient[2], 0.3f);
    const auto objects = list_of(m.objects);
    ASSERT_EQ(objects.size(), 2u);
    EXPECT_STREQ(objects[0]->name, "point9");
    EXPECT_EQ(objects[0]->kind, MeshObjectKind::light_marker);
    EXPECT_EQ(m.has_lights, 1);
    const auto groups = list_of(objects[1]->groups);
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_STREQ(groups[0]->name, "box_blue");
    EXPECT_EQ(groups[0]->faces->count, 0);
    EXPECT_EQ(groups[1]->material, materials[1]);
    const auto faces = list_of(groups[1]->faces);
    ASSERT_EQ(faces.size(), 2u);
    ASSERT_EQ(faces[0]->count, 4);
    const int32_t corners[4] = {0, 1, 3, 2}, normals[4] = {1, 1, 0, 0};
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(faces[0]->vertex_indices[k], corners[k]);
        EXPECT_EQ(faces[0]->normal_indices[k], normals[k]);
    }

    // Back to a source and out again: the same bytes.
    std::vector<uint8_t> again;
    ASSERT_TRUE(encode_mesh(mesh_to_source(m), 1000, again, error)) << error;
    EXPECT_EQ(again, bytes);
}

TEST(MeshEncode, StoredFiguresReencodeToTheirOwnBytes) {
    struct Stored {
        const unsigned char* bytes;
        size_t size;
    };
    for (const Stored& stored : {Stored{toy_figure_packed, toy_figure_packed_size},
                                 Stored{blocky_figure_packed, blocky_figure_packed_size}}) {
        Mesh m;
        ASSERT_TRUE(decode_mesh(m, stored.bytes, stored.size).ok());
        std::vector<uint8_t> again;
        std::string error;
        ASSERT_TRUE(encode_mesh(mesh_to_source(m), stored_scale(stored.bytes), again, error)) << error;
        ASSERT_EQ(again.size(), stored.size);
        EXPECT_EQ(std::memcmp(again.data(), stored.bytes, stored.size), 0);
    }
}

TEST(MeshEncode, RefusesWhatThePackedFormatCannotHold) {
    std::vector<uint8_t> out;
    std::string error;
    MeshSource s = two_object_source();
    EXPECT_FALSE(encode_mesh(s, 0, out, error));
    EXPECT_FALSE(encode_mesh(s, 20000, out, error));  // 3 * 20000 > 32767
    EXPECT_NE(error.find("16 bits"), std::string::npos);
    EXPECT_TRUE(out.empty());
    EXPECT_TRUE(encode_mesh(s, 10922, out, error));  // 3 * 10922 = 32766 fits

    s = two_object_source();
    s.objects[0].groups[0].faces[0].vertices[1] = 4;  // only 4 vertices
    EXPECT_FALSE(encode_mesh(s, 100, out, error));
    s = two_object_source();
    s.objects[0].groups[0].faces[0].normals[0] = 2;
    EXPECT_FALSE(encode_mesh(s, 100, out, error));
    s = two_object_source();
    s.objects[0].groups[0].faces[0].normals.pop_back();
    EXPECT_FALSE(encode_mesh(s, 100, out, error));
    s = two_object_source();
    s.objects[0].groups[1].material = "green";
    EXPECT_FALSE(encode_mesh(s, 100, out, error));
    s = two_object_source();
    s.objects[1].name = std::string(1000, 'p');
    EXPECT_FALSE(encode_mesh(s, 100, out, error));
    s = two_object_source();
    s.objects[1].name = std::string("poi\0nt", 6);
    EXPECT_FALSE(encode_mesh(s, 100, out, error));
    s = two_object_source();
    s.objects[0].groups[0].faces[1].vertices.assign(256, 0);
    s.objects[0].groups[0].faces[1].normals.assign(256, 0);
    EXPECT_FALSE(encode_mesh(s, 100, out, error));
    EXPECT_TRUE(out.empty());
}
