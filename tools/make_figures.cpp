// tumbo-figures: build-time tool that models the two figures and writes them
// as packed meshes, for data/ to embed.
//
//   tumbo-figures <toy_figure.mesh> <blocky_figure.mesh>
//
// Each mesh is encoded with the scale rule of the format (the largest
// integer not above 32767 / (m + 1), m the largest absolute coordinate) and
// decoded again before it is written, so a figure the demo could not load
// fails the build. Each file is written under a temporary name and renamed
// when complete (capture/output_file.h).
#include <cstdio>
#include <string>
#include <vector>

#include "capture/output_file.h"
#include "figures/figure_models.h"
#include "mesh/mesh.h"
#include "mesh/mesh_encode.h"

namespace {
bool write_mesh(const MeshSource& source, const char* path) {
    std::vector<uint8_t> bytes;
    std::string error;
    if (!encode_mesh(source, bytes, error)) {
        std::fprintf(stderr, "tumbo-figures: cannot encode %s: %s\n", path, error.c_str());
        return false;
    }
    Mesh check;
    const MeshDecodeResult result = decode_mesh(check, bytes.data(), bytes.size());
    if (!result.ok()) {
        std::fprintf(stderr, "tumbo-figures: %s does not decode: %s at byte %zu\n", path,
                     mesh_decode_error_text(result.error), result.offset);
        return false;
    }
    OutputFile out;
    if (!open_output(out, path, "wb") ||
        !commit_output(out, std::fwrite(bytes.data(), 1, bytes.size(), out.file) == bytes.size())) {
        std::fprintf(stderr, "tumbo-figures: cannot write %s\n", path);
        return false;
    }
    return true;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: tumbo-figures <toy_figure.mesh> <blocky_figure.mesh>\n");
        return 2;
    }
    return write_mesh(build_toy_figure(), argv[1]) && write_mesh(build_blocky_figure(), argv[2]) ? 0 : 1;
}
