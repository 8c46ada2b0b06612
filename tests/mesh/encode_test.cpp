// The encoder: the scale rule, encode-then-decode round trips, and the
// sources it refuses.
#include <gtest/gtest.h>

#include "embedded/blocky_figure_packed.h"
#include "embedded/toy_figure_packed.h"
#include "mesh/mesh_encode.h"
#include "mesh_test_support.h"

namespace {
MeshSource sample_source() {
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
    const std::pair<std::vector<std::array<float, 3>>, int> cases[] = {
        {{{1, -8.112f, 2}}, 3596}, {{{0, 6.970f, 0}, {-3.5f, 0, 0}}, 4111}, {{{0, 0, -1}}, 16383}, {{}, 32767},
        {{{0, 0, 40000}}, 1}};  // never 0
    for (const auto& [vertices, scale] : cases) {
        MeshSource s;
        s.vertices = vertices;
        EXPECT_EQ(mesh_scale_for(s), scale);
    }
}

TEST(MeshEncode, RoundTripKeepsEveryRecordAndQuantisesToTheScale) {
    const MeshSource s = sample_source();
    std::vector<uint8_t> bytes, again;
    std::string error;
    ASSERT_TRUE(encode_mesh(s, 1000, bytes, error)) << error;
    EXPECT_EQ(stored_scale(bytes.data()), 1000);
    Mesh m;
    ASSERT_TRUE(decode_mesh(m, bytes.data(), bytes.size()).ok());
    ASSERT_EQ(m.vertex_count, 4);
    for (int i = 0; i < 12; ++i) EXPECT_NEAR(m.vertices[i], s.vertices[i / 3][i % 3], 0.5 / 1000);
    EXPECT_EQ(m.normals[5], -0.8f);
    const auto materials = list_of(m.materials);
    ASSERT_EQ(materials.size(), 2u);
    EXPECT_STREQ(materials[0]->name, "blue");
    EXPECT_EQ(materials[0]->specular[1], 0.5f);
    EXPECT_EQ(materials[0]->reserved, 2.0f);
    EXPECT_EQ(materials[1]->ambient[2], 0.3f);
    const auto objects = list_of(m.objects);
    ASSERT_EQ(objects.size(), 2u);
    EXPECT_EQ(objects[0]->kind, MeshObjectKind::light_marker);
    const auto groups = list_of(objects[1]->groups);
    EXPECT_EQ(groups[0]->faces->count, 0);
    const Face& quad = *groups[1]->faces;
    EXPECT_EQ(std::vector<int32_t>(quad.vertex_indices, quad.vertex_indices + 4), (std::vector<int32_t>{0, 1, 3, 2}));
    EXPECT_EQ(std::vector<int32_t>(quad.normal_indices, quad.normal_indices + 4), (std::vector<int32_t>{1, 1, 0, 0}));
    ASSERT_TRUE(encode_mesh(mesh_to_source(m), 1000, again, error)) << error;
    EXPECT_EQ(again, bytes);
}

TEST(MeshEncode, StoredFiguresReencodeToTheirOwnBytes) {
    using Stored = std::pair<const unsigned char*, size_t>;
    for (const auto& [packed, size] : {Stored{toy_figure_packed, toy_figure_packed_size},
                                       Stored{blocky_figure_packed, blocky_figure_packed_size}}) {
        Mesh m;
        ASSERT_TRUE(decode_mesh(m, packed, size).ok());
        std::vector<uint8_t> again;
        std::string error;
        ASSERT_TRUE(encode_mesh(mesh_to_source(m), stored_scale(packed), again, error)) << error;
        EXPECT_EQ(again, std::vector<uint8_t>(packed, packed + size));
    }
}

TEST(MeshEncode, RefusesWhatThePackedFormatCannotHold) {
    std::vector<uint8_t> out;
    std::string error;
    EXPECT_TRUE(encode_mesh(sample_source(), 10922, out, error));   // 3 * 10922 = 32766 fits in 16 bits
    EXPECT_FALSE(encode_mesh(sample_source(), 10923, out, error));  // 3 * 10923 does not
    EXPECT_TRUE(out.empty());
    MeshSource s = sample_source();
    s.objects[0].groups[0].faces[0].vertices[1] = 4;  // only 4 vertices
    EXPECT_FALSE(encode_mesh(s, 100, out, error));
    s = sample_source();
    s.objects[0].groups[1].material = "green";
    EXPECT_FALSE(encode_mesh(s, 100, out, error));
}
