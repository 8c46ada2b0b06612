// Packed mesh encoder: the inverse of decode_mesh(), used at build time by
// the figure generator (tools/) and by tests.
//
// A MeshSource holds a mesh in record order, as plain vectors: what the
// encoder writes first comes first here. The encoder quantises every
// coordinate and normal component to a signed 16-bit value (value * scale,
// to the nearest integer) and writes the header, the two arrays, every
// material, then each object followed by its groups, then "q". It writes no
// bytes between records.
//
// Any thread; no global state. The caller owns everything.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "mesh/mesh.h"

struct SourceMaterial {
    std::string name;
    std::array<float, 3> ambient{}, diffuse{}, specular{};  // R, G, B
    float reserved = 1.0f;
    float shininess = 0;
};

struct SourceFace {
    std::vector<int32_t> vertices;  // corner order, counter-clockwise seen from the front
    std::vector<int32_t> normals;   // one per corner
};

struct SourceGroup {
    std::string name;
    std::string material;  // name of a material of the same source
    std::vector<SourceFace> faces;
};

struct SourceObject {
    std::string name;
    std::vector<SourceGroup> groups;
};

struct MeshSource {
    std::vector<std::array<float, 3>> vertices;
    std::vector<std::array<float, 3>> normals;
    std::vector<SourceMaterial> materials;  // record order
    std::vector<SourceObject> objects;      // record order
};

// The scale both stored meshes use: the largest integer not above
// 32767 / (m + 1), m the largest absolute vertex coordinate. The + 1 leaves
// room for unit normal components. At least 1.
uint16_t mesh_scale_for(const MeshSource& source);

// Encodes `source` with the given scale. Returns false with a message in
// `error` (and `out` empty) when the source cannot be written: scale 0, a
// value outside the signed 16-bit range once scaled, a name of 1000 bytes or
// more or with a zero byte in it, a group naming a material the source does
// not have, an index out of range (faces reach only the first 65536
// vertices and normals), more than 255 corners or 65535 faces.
bool encode_mesh(const MeshSource& source, uint16_t scale, std::vector<uint8_t>& out, std::string& error);

// The same with mesh_scale_for(source).
bool encode_mesh(const MeshSource& source, std::vector<uint8_t>& out, std::string& error);

// Turns a decoded mesh back into record order (the reverse of every list),
// so that encoding it with the scale it was decoded with gives back the same
// bytes when the packed mesh had no bytes between records.
MeshSource mesh_to_source(const Mesh& mesh);
