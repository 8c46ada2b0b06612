// Writes packed mesh bytes field by field, so tests can make well-formed
// and malformed meshes by hand (the encoder refuses malformed ones).
#pragma once
#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "mesh/mesh.h"

struct PackedBytes {
    std::vector<uint8_t> bytes;

    PackedBytes& u8(uint8_t v) {
        bytes.push_back(v);
        return *this;
    }
    PackedBytes& u16(uint16_t v) { return u8(v & 0xff).u8(v >> 8); }
    PackedBytes& u32(uint32_t v) { return u16(v & 0xffff).u16(v >> 16); }
    PackedBytes& f32(float v) {
        uint32_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        return u32(bits);
    }
    PackedBytes& name(const std::string& s) {
        bytes.insert(bytes.end(), s.begin(), s.end());
        return u8(0);
    }
    using Triple = std::array<int16_t, 3>;
    PackedBytes& header(uint16_t scale, const std::vector<Triple>& vertices, const std::vector<Triple>& normals) {
        u16(scale).u32(static_cast<uint32_t>(vertices.size()));
        for (const auto& v : vertices)
            for (int16_t c : v) u16(static_cast<uint16_t>(c));
        u32(static_cast<uint32_t>(normals.size()));
        for (const auto& n : normals)
            for (int16_t c : n) u16(static_cast<uint16_t>(c));
        return *this;
    }
    // A material whose eleven floats are first, first + 1, ... first + 10.
    PackedBytes& material(const std::string& n, float first = 0) {
        u8('m').name(n);
        for (int i = 0; i < 11; ++i) f32(first + static_cast<float>(i));
        return *this;
    }
    PackedBytes& object(const std::string& n) { return u8('o').name(n); }
    // A face: vertex indices and normal indices, corner by corner.
    using FaceIndices = std::pair<std::vector<uint16_t>, std::vector<uint16_t>>;
    PackedBytes& group(const std::string& n, const std::string& material, const std::vector<FaceIndices>& faces) {
        u8('g').name(n).name(material).u16(static_cast<uint16_t>(faces.size()));
        for (const auto& [vs, ns] : faces) {
            u8(static_cast<uint8_t>(vs.size()));
            for (uint16_t v : vs) u16(v);
            for (uint16_t k : ns) u16(k);
        }
        return *this;
    }
    PackedBytes& end() { return u8('q'); }

    MeshDecodeResult decode(Mesh& mesh) const { return decode_mesh(mesh, bytes.data(), bytes.size()); }
};

// A face whose normal indices are all 0.
inline PackedBytes::FaceIndices face_of(std::vector<uint16_t> vertices) {
    std::vector<uint16_t> normals(vertices.size(), 0);
    return {std::move(vertices), std::move(normals)};
}

// Walks a list from its head.
template <typename Node>
std::vector<const Node*> list_of(const Node* head) {
    std::vector<const Node*> nodes;
    for (const Node* n = head; n; n = n->next) nodes.push_back(n);
    return nodes;
}
