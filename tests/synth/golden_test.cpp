// Golden audio: short scores through the callback against recordings in
// tests/synth/golden/ (raw stereo, signed 16-bit little-endian), each looked
// at (spectrogram, levels) before it was checked in. To re-record after an
// intended change of sound: TUMBO_UPDATE_GOLDEN=1 ctest -R GoldenAudio, then
// look at and listen to the files before committing them.
// Also the WAV header that the capture tool puts before the song.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>

#include "synth_test_util.h"
#include "tools/wav_writer.h"

TEST(GoldenAudio, ShortScoresSoundAsRecorded) {
    const std::pair<const char*, const char*> scores[] = {
        {"drum_kit",  // bass, kick, snare and both hats with echo, 500 bpm
         "bpm:500\np1:vol,40,c2,0,0,0,0,0,0,0,g1,0,0,0,0,0,0\np2:0,vol,25,a3,0,0,0,0,0,0,a3,0,0,a3,0,0,0\n"
         "p3:vol,40,0,0,0,c3,0,0,0,0,0,0,0,c3,0,0,c3\np4:vol,8,0,c5,0,0,0,g4,0,0,0,c5,0,0,0,g4,0\n"
         "p5:vol,20,echo1,c5,0,c5,0,vol,60,c5,0,0,c5,c5,0,0,vol,20,c5,0\nt1:p1\nt2:p4\nt3:p2\nt4:p3\nt5:p5\n"},
        {"bass_and_leads",  // square bass, the ring-modulated leads, slides, 250 bpm
         "bpm:250\np1:vol,40,c2,0,c3,0,g2,0,c3,0,a1,0,a2,0\np2:0,0\np3:e5,0,g5,0,sld,4,c6,0,0,b5,0,0\n"
         "p4:vol,35,e4,0,g4,0,c5,0,sld,-3,0,b4,0,0\nt1:p1\nt2:p2\nt3:p2\nt4:p2\nt5:p2\nt6:p3\nt7:p4\n"},
        {"pluck_chord_bell",  // a four-pluck chord, the bell with echo, stop, 300 bpm
         "bpm:300\np1:0\np2:vol,40,e5,0,echo1,g5,0,c6,0,stop,0,0,0,0\np3:vol,30,c4,0,0,c4,0,0,c4\n"
         "p4:vol,30,e4,0,0,e4,0,0,e4\np5:vol,30,g4,0,0,g4,0,0,g4\np6:vol,30,c5,0,0,c5,0,0,c5\nt1:p1\nt2:p1\nt3:p1\n"
         "t4:p1\nt5:p1\nt6:p1\nt7:p1\nt8:p1\nt9:p1\nt10:p1\nt11:p2\nt12:p1\nt13:p1\nt14:p3\nt15:p4\nt16:p5\nt17:p6\n"}};
    for (const auto& [name, score] : scores) {
        load_score(song_instruments() + score);
        const std::vector<int16_t> rendered = render(16384, 1000);  // 0.37 s
        const std::string path = std::string(TUMBO_TEST_SOURCE_DIR) + "/synth/golden/" + name + ".raw";
        if (std::getenv("TUMBO_UPDATE_GOLDEN")) {
            std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(rendered.data()), rendered.size() * 2);
            continue;
        }
        std::ifstream file(path, std::ios::binary);
        const std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        ASSERT_EQ(bytes.size(), rendered.size() * 2) << path;
        int worst = 0;  // deterministic float arithmetic: at most one step of 16-bit rounding
        for (size_t i = 0; i < rendered.size(); ++i)
            worst = std::max(worst, std::abs(int16_t(uint8_t(bytes[2 * i]) | uint8_t(bytes[2 * i + 1]) << 8) - rendered[i]));
        EXPECT_LE(worst, 1) << name;
    }
}

TEST(CaptureWav, HeaderDescribesTheSongAsSixteenBitStereo) {
    const std::vector<uint8_t> h = wav_header(6181056, 44100);
    auto u32 = [&](int at) { return h[at] | h[at + 1] << 8 | h[at + 2] << 16 | uint32_t(h[at + 3]) << 24; };
    auto tag = [&](int at) { return std::string(h.begin() + at, h.begin() + at + 4); };
    ASSERT_EQ(h.size(), 44u);
    EXPECT_EQ(tag(0) + tag(8) + tag(12) + tag(36), "RIFFWAVEfmt data");
    EXPECT_EQ(u32(4), 36u + 6181056 * 4);
    EXPECT_EQ(u32(20), 1u | 2u << 16);  // PCM, two channels
    EXPECT_EQ(u32(24), 44100u);
    EXPECT_EQ(u32(28), 44100u * 4);     // bytes per second
    EXPECT_EQ(u32(32), 4u | 16u << 16);  // 4 bytes per frame, 16 bits per sample
    EXPECT_EQ(u32(40), 6181056u * 4);
    EXPECT_EQ(wav_header(int64_t{1} << 32, 44100)[43], 0xFF);  // too long for the format: capped
}
