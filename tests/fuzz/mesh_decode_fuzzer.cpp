// Fuzzes the packed mesh decoder: any bytes must decode or be refused
// cleanly, never reading outside the input (ASan) or doing undefined
// arithmetic (UBSan). A refusal leaves the mesh empty; a decoded mesh holds
// together (arrays as long as their counts, every index in range, at most
// eight lights) and, turned back into a source, encodes and decodes again
// to the same bytes.
#include <cstdlib>
#include <string>
#include <vector>

#include "mesh/mesh.h"
#include "mesh/mesh_encode.h"

static void check(bool condition) {
    if (!condition) std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Mesh m, second;
    const MeshDecodeResult result = decode_mesh(m, data, size);
    if (!result.ok()) return check(result.offset <= size && !m.objects && !m.materials && m.vertices.empty()), 0;
    check(m.vertices.size() == 3 * size_t(m.vertex_count) && m.normals.size() == 3 * size_t(m.normal_count));
    int lights = 0;
    for (const MeshObject* o = m.objects; o; o = o->next) {
        lights += o->kind == MeshObjectKind::light_marker;
        for (const MeshGroup* g = o->groups; g; g = g->next)
            for (const Face* f = g->faces; f; f = f->next)
                for (int32_t k = 0; k < f->count; ++k)  // unsigned: negative indices fail too
                    check(uint32_t(f->vertex_indices[k]) < uint32_t(m.vertex_count) &&
                          uint32_t(f->normal_indices[k]) < uint32_t(m.normal_count));
    }
    check(lights <= max_mesh_lights && m.has_lights == (lights > 0));
    const uint16_t scale = static_cast<uint16_t>(data[0] | data[1] << 8);
    std::vector<uint8_t> bytes, again;
    std::string error;
    check(encode_mesh(mesh_to_source(m), scale, bytes, error) && decode_mesh(second, bytes.data(), bytes.size()).ok());
    check(encode_mesh(mesh_to_source(second), scale, again, error) && again == bytes);
    return 0;
}
