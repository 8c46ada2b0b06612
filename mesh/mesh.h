// Packed meshes and the in-memory mesh model.
//
// A packed mesh is a compact little-endian byte format: a header with a
// `scale` divisor, quantised vertex positions and normals (signed 16-bit,
// value / scale), then tagged records: "m" material, "o" object, "g" group
// of the most recent object (with its faces), "q" end. Any other byte
// between records is skipped.
//
// decode_mesh() turns packed bytes into a `Mesh`: singly linked lists of
// objects, groups, faces and materials, each list in the reverse of record
// order (every record is pushed at the head of its list). While decoding it
// sorts objects into solids, pivot markers (names starting "pivot_") and
// light markers (names starting "point"), works out each pivot marker's
// rotation centre and axis from its pyramid, and links every other object
// to the first marker (in list order) whose name contains "_" + its name.
//
// The decoder is bounds-checked: it is given the byte length and rejects
// malformed data (truncation, a missing "q", indices out of range, unknown
// material names, a group before any object, names of 1000 bytes or more,
// more than eight light markers, markers the drawing could not use) with
// an empty mesh and a reason; it never reads outside the bytes it is given.
//
// Threads: main thread only (decoded at start-up, drawn by the frame loop).
// Ownership: a Mesh owns every record, name and array it points to (see
// MeshStorage); nothing refers back into the packed bytes. Meshes move but
// do not copy, since their lists point into their own storage.
//
// Memory: what a decode allocates grows with the input, not with the limits
// of the format: every record, name and array is sized by bytes that the
// input really holds, at most mesh_decode_bytes_per_input_byte bytes for each
// byte of input (see below), so hostile data cannot cost much more than its
// own size.
#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

// Longest name plus its terminating zero: names are 999 bytes at most.
constexpr int mesh_name_size = 1000;

// Most bytes a decode allocates per byte of input, for any input (beyond
// mesh_decode_fixed_bytes): the cheapest records are a two-byte "o" record
// (a MeshObject, 72 bytes) and a one-byte face of no corners (a Face, 32
// bytes); names cost their own length, indices and coordinates twice theirs.
constexpr size_t mesh_decode_bytes_per_input_byte = 48;
constexpr size_t mesh_decode_fixed_bytes = 16384;  // deque maps and first blocks

// The kind of an object follows from its name alone.
enum class MeshObjectKind : int32_t {
    solid = 1,         // drawn geometry
    pivot_marker = 2,  // name starts "pivot_": never drawn; rotation centre and axis
    light_marker = 3,  // name starts "point": becomes an OpenGL light when drawn
};

struct Material {
    float ambient[4] = {};   // R, G, B from the record; A shared by the three colours (1.0)
    float diffuse[4] = {};   // R, G, B, A
    float specular[4] = {};  // R, G, B, A
    float reserved = 0;      // tenth float of the record; kept, read by nothing
    float shininess = 0;     // specular exponent handed to OpenGL
    const char* name = "";     // zero-terminated, at most 999 bytes; in MeshStorage::names
    Material* next = nullptr;  // next material in list order
};

struct Face {
    int32_t count = 0;                  // number of corners, 0..255
    int32_t* vertex_indices = nullptr;  // `count` vertex numbers (each < vertex_count)
    int32_t* normal_indices = nullptr;  // `count` normal numbers (each < normal_count)
    Face* next = nullptr;               // next face of the same group
};

struct MeshGroup {
    Face* faces = nullptr;         // head of the face list (last face entry first)
    Material* material = nullptr;  // never null in a decoded mesh
    const char* name = "";         // zero-terminated; in MeshStorage::names
    MeshGroup* next = nullptr;     // next group of the same object
};

struct MeshObject {
    MeshObjectKind kind = MeshObjectKind::solid;
    MeshGroup* groups = nullptr;   // head of the group list (last "g" record first)
    const char* name = "";         // zero-terminated; in MeshStorage::names
    MeshObject* next = nullptr;    // next object in list order
    MeshObject* pivot = nullptr;   // pivot marker that rotates this object, or null
    float angle = 0;               // degrees about pivot->axis; set by the walk pose only
    float axis[3] = {};            // pivot markers only: rotation axis (base centre - apex)
    float pivot_point[3] = {};     // pivot markers only: rotation centre (the apex)
};

// Backing store for the records a Mesh points to. Deques keep element
// addresses stable as they grow; the index and name arrays are reserved once
// for the most the packed bytes could hold, so they never reallocate.
struct MeshStorage {
    std::deque<MeshObject> objects;
    std::deque<MeshGroup> groups;
    std::deque<Material> materials;
    std::deque<Face> faces;
    std::vector<int32_t> indices;  // Face index arrays point in here
    std::vector<char> names;       // every kept name with its zero, one after another; names point in here
};

struct Mesh {
    std::vector<float> vertices;  // 3 * vertex_count: x, y, z per vertex
    std::vector<float> normals;   // 3 * normal_count, as stored (not normalised)
    int32_t vertex_count = 0;
    int32_t normal_count = 0;
    int32_t has_lights = 0;          // 1 when any object is a light marker
    MeshObject* objects = nullptr;   // head of the object list (last "o" record first)
    Material* materials = nullptr;   // head of the material list (last "m" record first)
    MeshStorage storage;             // owns everything the lists point to

    Mesh() = default;
    Mesh(Mesh&&) = default;
    Mesh& operator=(Mesh&&) = default;
    Mesh(const Mesh&) = delete;
    Mesh& operator=(const Mesh&) = delete;
};

// Why a packed mesh was rejected.
enum class MeshDecodeError {
    none,
    truncated,                   // the bytes end inside the header, an array or a record
    missing_end,                 // the bytes end where a record tag is expected: no "q"
    zero_scale,                  // `scale` is 0, which would divide by zero
    group_before_object,         // a "g" record with no "o" record before it
    unknown_material,            // a group names a material with no earlier "m" record
    vertex_index_out_of_range,   // a face refers to a vertex >= vertex_count
    normal_index_out_of_range,   // a face refers to a normal >= normal_count
    name_too_long,               // a name of 1000 bytes or more
    too_many_lights,             // more than eight light markers
    pivot_marker_without_group,  // a pivot marker has no group to take its pyramid from
    light_marker_without_corner, // a light marker's first face has no corner to aim by
};

struct MeshDecodeResult {
    MeshDecodeError error = MeshDecodeError::none;
    size_t offset = 0;  // byte offset at which the fault was found (0 on success)
    bool ok() const { return error == MeshDecodeError::none; }
};

// Short English description of a decode error, for messages and tests.
const char* mesh_decode_error_text(MeshDecodeError error);

// Most light markers one mesh may hold: there are eight OpenGL lights.
constexpr int max_mesh_lights = 8;

// Fills `mesh` from the `size` bytes at `packed`, which are only read and
// need not outlive the call. On failure `mesh` is left empty (no arrays, no
// objects, no materials, has_lights 0) and the result says why and where.
// Bytes after the "q" record are not read.
MeshDecodeResult decode_mesh(Mesh& mesh, const uint8_t* packed, size_t size);

// Finds the first object in list order with exactly this name, or null.
MeshObject* find_mesh_object(const Mesh& mesh, const char* name);
