// Golden audio: short scores rendered through the callback, compared with
// recordings checked in under tests/synth/golden/ (raw interleaved stereo,
// signed 16-bit little-endian). Each recording was looked at (spectrogram,
// levels) before it was checked in.
//
// To re-record after an intended change of the sound:
//   TUMBO_UPDATE_GOLDEN=1 ctest --test-dir build -R Golden
// then look at and listen to the new files before committing them.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "synth_test_util.h"

namespace {
std::string golden_path(const char* name) { return std::string(TUMBO_TEST_SOURCE_DIR) + "/synth/golden/" + name + ".raw"; }

std::vector<int16_t> read_raw(const std::string& path) {
    std::vector<int16_t> out;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return out;
    uint8_t b[2];
    while (std::fread(b, 1, 2, f) == 2) out.push_back(static_cast<int16_t>(b[0] | (b[1] << 8)));
    std::fclose(f);
    return out;
}

void write_raw(const std::string& path, const std::vector<int16_t>& samples) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    for (int16_t s : samples) {
        const uint16_t v = static_cast<uint16_t>(s);
        const uint8_t b[2] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)};
        std::fwrite(b, 1, 2, f);
    }
    std::fclose(f);
}

// Renders `score` for `frames` frames and compares it with the recording,
// sample by sample. Rendering is deterministic single-precision arithmetic,
// so the only slack allowed is one step of 16-bit rounding.
void expect_golden(const char* name, const std::string& score, int64_t frames) {
    load_score(score);
    const std::vector<int16_t> rendered = render(frames, 1000);
    if (std::getenv("TUMBO_UPDATE_GOLDEN")) {
        write_raw(golden_path(name), rendered);
        GTEST_SKIP() << "re-recorded " << golden_path(name);
    }
    const std::vector<int16_t> golden = read_raw(golden_path(name));
    ASSERT_EQ(golden.size(), rendered.size()) << golden_path(name);
    int worst = 0;
    size_t worst_at = 0;
    for (size_t i = 0; i < golden.size(); ++i) {
        const int d = std::abs(golden[i] - rendered[i]);
        if (d > worst) worst = d, worst_at = i;
    }
    EXPECT_LE(worst, 1) << "sample " << worst_at << " (frame " << worst_at / 2 << ")";
}

const int64_t golden_frames = 16384;  // 0.37 s
}  // namespace

TEST(GoldenAudio, DrumKitWithEchoedHats) {
    // Bass, kick, snare, noise hat and the click hat with its echo, at
    // 500 bpm (1323-sample steps) so a whole bar fits.
    expect_golden("drum_kit",
                  std::string("bpm:500\n") + song_instruments() +
                      "p1:vol,40,c2,0,0,0,0,0,0,0,g1,0,0,0,0,0,0\n"
                      "p2:0,vol,25,a3,0,0,0,0,0,0,a3,0,0,a3,0,0,0\n"
                      "p3:vol,40,0,0,0,c3,0,0,0,0,0,0,0,c3,0,0,c3\n"
                      "p4:vol,8,0,c5,0,0,0,g4,0,0,0,c5,0,0,0,g4,0\n"
                      "p5:vol,20,echo1,c5,0,c5,0,vol,60,c5,0,0,c5,c5,0,0,vol,20,c5,0\n"
                      "t1:p1\nt2:p4\nt3:p2\nt4:p3\nt5:p5\n",
                  golden_frames);
}

TEST(GoldenAudio, BassAndLeadsWithVolumeAndSlide) {
    // The square bass, the two ring-modulated leads, a slide and volume
    // changes, at 250 bpm.
    expect_golden("bass_and_leads",
                  std::string("bpm:250\n") + song_instruments() +
                      "p1:vol,40,c2,0,c3,0,g2,0,c3,0,a1,0,a2,0\n"
                      "p2:0,0\n"
                      "p3:e5,0,g5,0,sld,4,c6,0,0,b5,0,0\n"
                      "p4:vol,35,e4,0,g4,0,c5,0,sld,-3,0,b4,0,0\n"
                      "t1:p1\nt2:p2\nt3:p2\nt4:p2\nt5:p2\nt6:p3\nt7:p4\n",
                  golden_frames);
}

TEST(GoldenAudio, PluckChordBellEchoAndStop) {
    // Four plucks on one chord, the bell with echo, then stop: the echo
    // tail goes on alone.
    expect_golden("pluck_chord_bell",
                  std::string("bpm:300\n") + song_instruments() +
                      "p1:0\n"
                      "p2:vol,40,e5,0,echo1,g5,0,c6,0,stop,0,0,0,0\n"
                      "p3:vol,30,c4,0,0,c4,0,0,c4\n"
                      "p4:vol,30,e4,0,0,e4,0,0,e4\n"
                      "p5:vol,30,g4,0,0,g4,0,0,g4\n"
                      "p6:vol,30,c5,0,0,c5,0,0,c5\n"
                      "t1:p1\nt2:p1\nt3:p1\nt4:p1\nt5:p1\nt6:p1\nt7:p1\nt8:p1\nt9:p1\nt10:p1\nt11:p2\n"
                      "t12:p1\nt13:p1\nt14:p3\nt15:p4\nt16:p5\nt17:p6\n",
                  golden_frames);
}
