// libFuzzer target: any text as a score. The parser must keep every table
// access in bounds and leave every voice playable, and the callback must
// then play the result without faults, whatever the sequencer finds in the
// tables. ASan and UBSan report any slip.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "synth/synth.h"
#include "synth/synth_state.h"

namespace {
// Inputs beyond this are not tried: the cost of a score grows with its
// instrument lines (each may render up to 4 million samples), and longer
// texts add nothing the parser does not already meet in shorter ones.
constexpr size_t max_input = 1024;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > max_input) return 0;
    std::vector<char> text(data, data + size);
    text.push_back('\0');
    std::srand(1);  // the same noise table for every input
    init_synth();
    std::vector<uint8_t> buffer(5293 * 4);
    audio_callback(nullptr, buffer.data(), 4096 * 4);  // before any score: silence, nothing read
    parse_score(text.data());

    // Play a little: whole device buffers, then odd sizes.
    for (int len : {4096 * 4, 4096 * 4, 3, 4, 1001 * 4 + 2, 5293 * 4})
        audio_callback(nullptr, buffer.data(), len);
    (void)beat_pulse(3, 0.5f);
    (void)beat_pulse(4, 0.6f);
    return 0;
}
