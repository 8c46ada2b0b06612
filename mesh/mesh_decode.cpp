// Packed mesh decoder: bounds-checked reading, list building, pivot pass.
#include <algorithm>
#include <cstring>

#include "mesh/mesh.h"

namespace {

constexpr uint8_t tag_material = 'm';
constexpr uint8_t tag_object = 'o';
constexpr uint8_t tag_group = 'g';
constexpr uint8_t tag_end = 'q';

constexpr char pivot_prefix[] = "pivot_";  // six bytes, underscore included
constexpr char light_prefix[] = "point";   // five bytes

constexpr size_t vertex_bytes = 6;  // x, y, z as signed 16-bit
constexpr size_t index_bytes = 2;   // unsigned 16-bit vertex or normal number

bool starts_with(const char* name, const char* prefix) {
    return std::strncmp(name, prefix, std::strlen(prefix)) == 0;
}

// Reads little-endian fields from [data, data + size). Every read is
// preceded by a check of the bytes left; `pos` never passes `size`.
struct Reader {
    const uint8_t* data;
    size_t size;
    size_t pos = 0;

    size_t left() const { return size - pos; }
    bool has(size_t n) const { return left() >= n; }
    uint8_t u8() { return data[pos++]; }
    uint16_t u16() {
        const uint16_t v = static_cast<uint16_t>(data[pos] | (data[pos + 1] << 8));
        pos += 2;
        return v;
    }
    uint32_t u32() {
        const uint32_t v = static_cast<uint32_t>(data[pos]) | (static_cast<uint32_t>(data[pos + 1]) << 8) |
                           (static_cast<uint32_t>(data[pos + 2]) << 16) |
                           (static_cast<uint32_t>(data[pos + 3]) << 24);
        pos += 4;
        return v;
    }
    int16_t i16() { return static_cast<int16_t>(u16()); }
    float f32() {
        const uint32_t bits = u32();
        float v;
        std::memcpy(&v, &bits, sizeof v);
        return v;
    }
};

class Decoder {
public:
    Decoder(Mesh& mesh, const uint8_t* packed, size_t size) : mesh_(mesh), in_{packed, size} {}

    MeshDecodeResult run() {
        if (!read_arrays() || !read_records() || !check_markers()) return fail_result();
        pivot_pass();
        return {};
    }

private:
    bool fail(MeshDecodeError error, size_t offset) {
        error_ = error;
        offset_ = offset;
        return false;
    }
    bool fail(MeshDecodeError error) { return fail(error, in_.pos); }

    MeshDecodeResult fail_result() {
        mesh_ = Mesh{};
        return {error_, offset_};
    }

    // Reads a count and 3 * count signed 16-bit values, each divided by
    // `scale`. The count is checked against the bytes left before anything
    // is allocated, so a corrupt count cannot ask for gigabytes.
    bool read_array(int32_t& count, std::vector<float>& values, uint16_t scale) {
        if (!in_.has(4)) return fail(MeshDecodeError::truncated);
        const uint32_t n = in_.u32();
        if (n > in_.left() / vertex_bytes) return fail(MeshDecodeError::truncated);
        count = static_cast<int32_t>(n);
        values.resize(3 * static_cast<size_t>(n));
        const float divisor = scale;
        for (float& v : values) v = static_cast<float>(in_.i16()) / divisor;
        return true;
    }

    bool read_arrays() {
        if (!in_.has(2)) return fail(MeshDecodeError::truncated);
        const uint16_t scale = in_.u16();
        if (scale == 0) return fail(MeshDecodeError::zero_scale, 0);
        if (!read_array(mesh_.vertex_count, mesh_.vertices, scale)) return false;
        if (!read_array(mesh_.normal_count, mesh_.normals, scale)) return false;
        // Every index takes two bytes of input and every name byte one, so
        // these bound them all and the pointers faces and records keep into
        // the arrays stay valid.
        mesh_.storage.indices.reserve(in_.left() / index_bytes);
        mesh_.storage.names.reserve(in_.left());
        return true;
    }

    // Reads a zero-terminated name of at most mesh_name_size - 1 bytes and
    // points `name` at it, still in the input; nothing is copied.
    bool read_name(const char*& name) {
        const size_t limit = std::min(in_.left(), static_cast<size_t>(mesh_name_size));
        const void* end = std::memchr(in_.data + in_.pos, 0, limit);
        if (!end) {
            return fail(in_.left() >= static_cast<size_t>(mesh_name_size) ? MeshDecodeError::name_too_long
                                                                           : MeshDecodeError::truncated);
        }
        name = reinterpret_cast<const char*>(in_.data + in_.pos);
        in_.pos = static_cast<size_t>(static_cast<const uint8_t*>(end) - in_.data) + 1;
        return true;
    }

    // Reads a name as above and copies it, with its zero, into the mesh's
    // name store, where `name` then points.
    bool keep_name(const char*& name) {
        const size_t start = in_.pos;
        if (!read_name(name)) return false;
        std::vector<char>& names = mesh_.storage.names;
        // Cannot fail (the reserve covers every byte the input has left);
        // checked so that a slip could never leave dangling pointers.
        if (names.capacity() - names.size() < in_.pos - start) return fail(MeshDecodeError::truncated, start);
        const size_t at = names.size();
        names.insert(names.end(), name, name + (in_.pos - start));
        name = names.data() + at;
        return true;
    }

    bool read_records() {
        for (;;) {
            if (!in_.has(1)) return fail(MeshDecodeError::missing_end);
            const size_t tag_offset = in_.pos;
            switch (in_.u8()) {
                case tag_material:
                    if (!read_material()) return false;
                    break;
                case tag_object:
                    if (!read_object()) return false;
                    break;
                case tag_group:
                    if (!current_object_) return fail(MeshDecodeError::group_before_object, tag_offset);
                    if (!read_group()) return false;
                    break;
                case tag_end:
                    return true;
                default:
                    break;  // not a record: skip the byte
            }
        }
    }

    bool read_material() {
        Material& m = mesh_.storage.materials.emplace_back();
        if (!keep_name(m.name)) return false;
        constexpr size_t material_floats = 11;
        if (!in_.has(material_floats * 4)) return fail(MeshDecodeError::truncated);
        for (float* colour : {m.ambient, m.diffuse, m.specular}) {
            for (int c = 0; c < 3; ++c) colour[c] = in_.f32();
            colour[3] = 1.0f;  // the format carries no alpha; nothing blends
        }
        m.reserved = in_.f32();
        m.shininess = in_.f32();
        m.next = mesh_.materials;
        mesh_.materials = &m;
        return true;
    }

    bool read_object() {
        MeshObject& o = mesh_.storage.objects.emplace_back();
        if (!keep_name(o.name)) return false;
        o.kind = starts_with(o.name, pivot_prefix) ? MeshObjectKind::pivot_marker : MeshObjectKind::solid;
        if (starts_with(o.name, light_prefix)) {
            if (light_count_ == max_mesh_lights) return fail(MeshDecodeError::too_many_lights);
            ++light_count_;
            o.kind = MeshObjectKind::light_marker;
            mesh_.has_lights = 1;
        }
        o.next = mesh_.objects;
        mesh_.objects = &o;
        current_object_ = &o;
        return true;
    }

    bool read_group() {
        MeshGroup& g = mesh_.storage.groups.emplace_back();
        if (!keep_name(g.name)) return false;
        const char* material_name = nullptr;  // in the input: only looked up
        const size_t material_offset = in_.pos;
        if (!read_name(material_name)) return false;
        // Every match along the list replaces the last, so among materials
        // of the same name the one whose record came first wins.
        for (Material* m = mesh_.materials; m; m = m->next)
            if (std::strcmp(m->name, material_name) == 0) g.material = m;
        if (!g.material) return fail(MeshDecodeError::unknown_material, material_offset);
        g.next = current_object_->groups;
        current_object_->groups = &g;

        if (!in_.has(2)) return fail(MeshDecodeError::truncated);
        const uint16_t face_count = in_.u16();
        for (uint16_t f = 0; f < face_count; ++f)
            if (!read_face(g)) return false;
        return true;
    }

    bool read_indices(int32_t* out, int count, int32_t limit, MeshDecodeError out_of_range) {
        for (int k = 0; k < count; ++k) {
            const size_t at = in_.pos;
            const uint16_t index = in_.u16();
            if (index >= limit) return fail(out_of_range, at);
            out[k] = index;
        }
        return true;
    }

    bool read_face(MeshGroup& g) {
        if (!in_.has(1)) return fail(MeshDecodeError::truncated);
        const int count = in_.u8();
        if (!in_.has(2 * index_bytes * static_cast<size_t>(count))) return fail(MeshDecodeError::truncated);
        std::vector<int32_t>& indices = mesh_.storage.indices;
        // Cannot happen (the reserve covers every index the bytes can hold);
        // checked so that a logic slip could never leave dangling pointers.
        if (indices.capacity() - indices.size() < 2 * static_cast<size_t>(count))
            return fail(MeshDecodeError::truncated);
        Face& face = mesh_.storage.faces.emplace_back();
        face.count = count;
        const size_t first = indices.size();
        indices.resize(first + 2 * static_cast<size_t>(count));
        face.vertex_indices = indices.data() + first;
        face.normal_indices = face.vertex_indices + count;
        if (!read_indices(face.vertex_indices, count, mesh_.vertex_count, MeshDecodeError::vertex_index_out_of_range))
            return false;
        if (!read_indices(face.normal_indices, count, mesh_.normal_count, MeshDecodeError::normal_index_out_of_range))
            return false;
        face.next = g.faces;
        g.faces = &face;
        return true;
    }

    // What drawing and the pivot pass need of markers: a pivot marker takes
    // its pyramid from its first group; a light marker aims by corner 0 of
    // the first face of its first group.
    bool check_markers() {
        for (MeshObject* o = mesh_.objects; o; o = o->next) {
            if (o->kind == MeshObjectKind::pivot_marker && !o->groups)
                return fail(MeshDecodeError::pivot_marker_without_group, in_.pos);
            if (o->kind == MeshObjectKind::light_marker &&
                (!o->groups || !o->groups->faces || o->groups->faces->count == 0))
                return fail(MeshDecodeError::light_marker_without_corner, in_.pos);
        }
        return true;
    }

    const float* position(int32_t vertex) const { return &mesh_.vertices[3 * static_cast<size_t>(vertex)]; }

    // Rotation centre and axis of one pivot marker, from the faces of its
    // first group: the apex of the first triangle (the corner opposite its
    // strictly shortest edge, else corner 0) and the centroid of the base.
    void place_pivot(MeshObject& marker) const {
        float a[3] = {0, 0, 0};
        float p[3] = {0, 0, 0};
        bool triangle_seen = false;
        for (const Face* f = marker.groups->faces; f; f = f->next) {
            if (f->count > 3) {
                for (int k = 0; k < f->count; ++k)
                    for (int c = 0; c < 3; ++c) a[c] += position(f->vertex_indices[k])[c];
                for (float& v : a) v /= static_cast<float>(f->count);
            } else if (f->count == 3 && !triangle_seen) {
                const float* p0 = position(f->vertex_indices[0]);
                const float* p1 = position(f->vertex_indices[1]);
                const float* p2 = position(f->vertex_indices[2]);
                auto squared = [](const float* u, const float* v) {
                    float s = 0;
                    for (int c = 0; c < 3; ++c) s += (u[c] - v[c]) * (u[c] - v[c]);
                    return s;
                };
                const float d0 = squared(p0, p1), d1 = squared(p1, p2), d2 = squared(p2, p0);
                const float* apex = p0;
                if (d0 < d1 && d0 < d2)
                    apex = p2;
                else if (d2 < d0 && d2 < d1)
                    apex = p1;
                std::memcpy(p, apex, sizeof p);
                triangle_seen = true;
            }
        }
        for (int c = 0; c < 3; ++c) {
            marker.pivot_point[c] = p[c];
            marker.axis[c] = a[c] - p[c];
        }
    }

    // Markers in list order; each links the unlinked non-markers whose
    // "_" + name occurs in its own name, so an object matching several
    // markers goes to the first of them in list order.
    void pivot_pass() {
        char needle[mesh_name_size + 1];
        for (MeshObject* marker = mesh_.objects; marker; marker = marker->next) {
            if (marker->kind != MeshObjectKind::pivot_marker) continue;
            place_pivot(*marker);
            for (MeshObject* o = mesh_.objects; o; o = o->next) {
                if (o->kind == MeshObjectKind::pivot_marker || o->pivot) continue;
                needle[0] = '_';
                std::memcpy(needle + 1, o->name, std::strlen(o->name) + 1);  // at most mesh_name_size bytes
                if (std::strstr(marker->name, needle)) o->pivot = marker;
            }
        }
    }

    Mesh& mesh_;
    Reader in_;
    MeshObject* current_object_ = nullptr;
    int light_count_ = 0;
    MeshDecodeError error_ = MeshDecodeError::none;
    size_t offset_ = 0;
};

}  // namespace

const char* mesh_decode_error_text(MeshDecodeError error) {
    switch (error) {
        case MeshDecodeError::none: return "no error";
        case MeshDecodeError::truncated: return "the data ends inside the header, an array or a record";
        case MeshDecodeError::missing_end: return "the data ends without its \"q\" record";
        case MeshDecodeError::zero_scale: return "the scale is zero";
        case MeshDecodeError::group_before_object: return "a group comes before any object";
        case MeshDecodeError::unknown_material: return "a group names a material not defined before it";
        case MeshDecodeError::vertex_index_out_of_range: return "a vertex index is out of range";
        case MeshDecodeError::normal_index_out_of_range: return "a normal index is out of range";
        case MeshDecodeError::name_too_long: return "a name is 1000 bytes or longer";
        case MeshDecodeError::too_many_lights: return "more than eight light markers";
        case MeshDecodeError::pivot_marker_without_group: return "a pivot marker has no group";
        case MeshDecodeError::light_marker_without_corner: return "a light marker has no corner to aim by";
    }
    return "unknown error";
}

MeshDecodeResult decode_mesh(Mesh& mesh, const uint8_t* packed, size_t size) {
    mesh = Mesh{};
    if (!packed) size = 0;
    return Decoder(mesh, packed, size).run();
}

MeshObject* find_mesh_object(const Mesh& mesh, const char* name) {
    for (MeshObject* o = mesh.objects; o; o = o->next)
        if (std::strcmp(o->name, name) == 0) return o;
    return nullptr;
}
