// Fuzzes the packed mesh decoder: any bytes must decode or be refused
// cleanly, never read outside the input (ASan) or do undefined arithmetic
// (UBSan). A mesh that decodes must hold together: every index in range,
// every group with a material, every name terminated; and turned back into
// a source it must encode and decode again to the same bytes.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "mesh/mesh.h"
#include "mesh/mesh_encode.h"

namespace {
void check(bool condition) {
    if (!condition) std::abort();
}

void check_mesh(const Mesh& m) {
    check(m.vertices.size() == 3 * static_cast<size_t>(m.vertex_count));
    check(m.normals.size() == 3 * static_cast<size_t>(m.normal_count));
    int lights = 0;
    for (const MeshObject* o = m.objects; o; o = o->next) {
        check(std::memchr(o->name, 0, sizeof o->name) != nullptr);
        lights += o->kind == MeshObjectKind::light_marker;
        if (o->pivot) check(o->pivot->kind == MeshObjectKind::pivot_marker);
        for (const MeshGroup* g = o->groups; g; g = g->next) {
            check(g->material != nullptr);
            for (const Face* f = g->faces; f; f = f->next)
                for (int32_t k = 0; k < f->count; ++k) {
                    check(f->vertex_indices[k] >= 0 && f->vertex_indices[k] < m.vertex_count);
                    check(f->normal_indices[k] >= 0 && f->normal_indices[k] < m.normal_count);
                }
        }
    }
    check(lights <= max_mesh_lights);
    check(m.has_lights == (lights > 0 ? 1 : 0));
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Mesh mesh;
    const MeshDecodeResult result = decode_mesh(mesh, data, size);
    if (!result.ok()) {
        check(mesh.objects == nullptr && mesh.materials == nullptr && mesh.vertex_count == 0);
        check(result.offset <= size);
        return 0;
    }
    check_mesh(mesh);
    const uint16_t scale = static_cast<uint16_t>(data[0] | (data[1] << 8));
    std::vector<uint8_t> bytes, again;
    std::string error;
    check(encode_mesh(mesh_to_source(mesh), scale, bytes, error));
    Mesh second;
    check(decode_mesh(second, bytes.data(), bytes.size()).ok());
    check(encode_mesh(mesh_to_source(second), scale, again, error));
    check(again == bytes);
    return 0;
}
