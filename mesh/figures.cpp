#include "mesh/figures.h"

#include <cstdio>

#include "embedded/blocky_figure_packed.h"
#include "embedded/toy_figure_packed.h"

Mesh toy_figure;
Mesh blocky_figure;

namespace {
void decode_figure(Mesh& mesh, const unsigned char* packed, size_t size, const char* name) {
    const MeshDecodeResult result = decode_mesh(mesh, packed, size);
    if (!result.ok())
        std::fprintf(stderr, "tumbo: the embedded %s does not decode: %s at byte %zu\n", name,
                     mesh_decode_error_text(result.error), result.offset);
}
}  // namespace

void decode_figures() {
    decode_figure(toy_figure, toy_figure_packed, toy_figure_packed_size, "toy figure");
    decode_figure(blocky_figure, blocky_figure_packed, blocky_figure_packed_size, "blocky figure");
}
