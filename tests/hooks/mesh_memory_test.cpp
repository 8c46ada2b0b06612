// What a mesh decode may allocate: at most a fixed share per byte of input,
// for the cheapest records a hostile input can repeat.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "alloc_lock_hook.h"
#include "mesh/mesh.h"

namespace {
using Bytes = std::vector<uint8_t>;

void put(Bytes& b, const std::string& s) { b.insert(b.end(), s.begin(), s.end()); }
void put16(Bytes& b, uint16_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}

// Scale 1, one vertex and one normal, then `records` repeated `times`
// times after `first`, then "q".
Bytes packed(const std::string& first, const std::string& records, int times) {
    Bytes b;
    put16(b, 1);
    for (int array = 0; array < 2; ++array) put(b, std::string("\1\0\0\0", 4) + std::string(6, '\0'));
    put(b, first);
    for (int i = 0; i < times; ++i) put(b, records);
    put(b, "q");
    return b;
}

const std::string material = "m" + std::string(1 + 44, '\0');  // unnamed, eleven zero floats
}  // namespace

TEST(MeshDecode, AllocatesAtMostAFixedShareOfItsInputSize) {
    const std::string long_name(999, 'n');
    const std::pair<const char*, Bytes> inputs[] = {
        {"objects", packed("", std::string("o\0", 2), 32768)},
        {"long names", packed("", "o" + long_name + '\0', 64)},
        {"materials", packed("", material, 1400)},
        {"groups", packed(material + std::string("o\0", 2), std::string("g\0\0\0\0", 5), 13000)},
        {"faces", packed(material + std::string("o\0g\0\0\xff\xff", 7), std::string(1, '\0'), 65535)},
        {"skipped bytes", packed("", "z", 65536)},
    };
    for (const auto& [what, bytes] : inputs) {
        Mesh mesh;
        arm_hook();
        const bool ok = decode_mesh(mesh, bytes.data(), bytes.size()).ok();
        const HookCounts seen = disarm_hook();
        EXPECT_TRUE(ok) << what;
        EXPECT_LE(seen.bytes, int64_t(mesh_decode_bytes_per_input_byte * bytes.size() + mesh_decode_fixed_bytes))
            << what << ": " << double(seen.bytes) / bytes.size() << " bytes per input byte";
    }
}
