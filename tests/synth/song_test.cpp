// The song embedded in the program: the properties that the scenes rely on,
// and that it plays as a song. Then golden audio: short scores through the
// callback against recordings in tests/synth/golden/ (raw stereo, signed
// 16-bit little-endian), each looked at (spectrogram, levels) and listened to
// before it was checked in. To re-record after an intended change of sound:
// TUMBO_UPDATE_GOLDEN=1 ctest -R GoldenAudio, then look and listen again
// before committing them.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <numeric>

#include "embedded/embedded_score.h"
#include "synth/audio_driver.h"
#include "synth_test_util.h"

namespace {
constexpr int32_t a3 = 220, c3 = 130;

// The steps that `patterns` play in turn: each step's entry (a note, 0, or a
// command; a vol or sld shares one step with its argument) and the volume in
// effect after it.
std::vector<std::pair<int32_t, int32_t>> play(const Entries& patterns) {
    std::vector<std::pair<int32_t, int32_t>> out;
    int32_t volume = 100;
    for (int32_t p : patterns) {
        const Entries e = pattern(p);
        for (size_t i = 0; i < e.size(); i += 1 + (e[i] == command_volume || e[i] == command_slide))
            out.push_back({e[i], volume = e[i] == command_volume ? e[i + 1] : volume});
    }
    return out;
}
}  // namespace

TEST(EmbeddedScore, HasEveryPropertyTheScenesRelyOnAndPlaysToBar72AsASong) {
    const std::string text(reinterpret_cast<const char*>(embedded_score), embedded_score_size);
    EXPECT_EQ(text.rfind("bpm:125\n" + song_instruments, 0), 0u);  // the text starts with them
    EXPECT_EQ(text.find_first_of("# \r"), std::string::npos);       // no comments, blanks or CRs
    EXPECT_EQ(text.find("loop"), std::string::npos);
    std::string copy = text;
    std::vector<ScoreProblem> problems;  // every line is used as written
    init_synth();
    parse_score(copy.data(), &problems);
    EXPECT_TRUE(problems.empty()) << problems.size() << " problems, first at line " << problems[0].line << ": "
                                  << problems[0].reason;
    load_song();
    EXPECT_EQ(played_voice_count(), 18);
    const int32_t bars[] = {0, 64, 64, 64, 68, 68, 48, 48, 72, 68, 68, 56, 56, 56, 64, 64, 64, 56, 56};
    for (int32_t t = 1; t <= 18; ++t) EXPECT_EQ(play(track(t)).size(), 16u * bars[t]) << "t" << t;
    for (int32_t p = 1; p <= 38; ++p) {
        const size_t steps = play({p}).size();  // p38 is not defined: 100 holds
        EXPECT_TRUE(p < 38 ? steps == 16 || steps == 32 || steps == 64 : steps == 100) << "p" << p << ": " << steps;
    }
    EXPECT_EQ(pattern(16), Entries(64, 0));
    const Entries figure = {-4, 523, -7, 20, 523, 0, -7, 60, 523, 0, 0, 523, 523, 0, 0, -7, 20, 523, 0};
    EXPECT_EQ(pattern(3).size(), 4 * figure.size());
    for (size_t i = 0; i < pattern(3).size(); ++i) EXPECT_EQ(pattern(3)[i], figure[i % 19]) << i;
    const auto kick = play(track(3));  // p4's bar (a3 on steps 0, 7, 10) in bars 8-39 and 48-63, silent around it
    for (int32_t s = 0; s < 64 * 16; ++s) {
        const bool hit = (s / 16 + 32) % 40 < 32 && (s % 16 == 0 || s % 16 == 7 || s % 16 == 10);
        ASSERT_EQ(std::max(kick[s].first, 0), hit ? a3 : 0) << "bar " << s / 16 << " step " << s % 16;
    }
    // Voice 4: p5 alternating with p36 and p37 in turn; c3 on steps 4 and 12
    // of every bar at volume 70, and two more late hits in each variant.
    const Entries items = track(4);
    for (size_t i = 0; i < items.size(); ++i) EXPECT_EQ(items[i], i % 2 ? (i % 4 == 1 ? 36 : 37) : 5) << i;
    const auto snare = play(items);
    for (int32_t s = 0; s < 68 * 16; ++s) {
        const bool main_hit = s % 16 == 4 || s % 16 == 12, late_in_a_variant = s % 16 >= 13 && (s / 32) % 2 == 1;
        ASSERT_TRUE(main_hit ? snare[s] == std::make_pair(c3, 70) : snare[s].first <= 0 || late_in_a_variant) << s;
    }
    for (int32_t p : {36, 37}) EXPECT_EQ(std::ranges::count(pattern(p), c3), 6) << p;
    // It plays to the end of bar 72 without clipping, every section sounds,
    // nothing starts again, and the tails die away.
    ASSERT_EQ(frames_through_bar(72), 6181056);
    const Samples s = render(6181056);
    EXPECT_LE(std::count_if(s.begin(), s.end(), [](int16_t x) { return std::abs(x) == 32766; }), 6181);  // 0.1%
    const int32_t sections[] = {0, 8, 20, 32, 48, 56, 64, 68, 72};  // the scenes' bars: RMS above 300
    for (int i = 0; i + 1 < 9; ++i) {
        const auto from = s.begin() + 2 * sections[i] * bar_frames, to = s.begin() + 2 * sections[i + 1] * bar_frames;
        EXPECT_GT(std::sqrt(std::inner_product(from, to, from, 0.0) / (to - from)), 300) << "bar " << sections[i];
    }
    EXPECT_EQ(song_bar.load(), 72);
    const Samples after = render(10 * bar_frames);
    const auto [low, high] = std::minmax_element(after.end() - 2 * bar_frames, after.end());
    EXPECT_LT(std::max(-*low, int(*high)), 33);  // below -60 dB
}

TEST(GoldenAudio, ShortScoresSoundAsRecorded) {
    const std::pair<const char*, const char*> scores[] = {
        {"drum_kit",  // bass, kick, snare and both hats with echo, 500 bpm
         "bpm:500\np1:vol,40,c2,0,0,0,0,0,0,0,g1,0,0,0,0,0,0\np2:0,vol,25,a3,0,0,0,0,0,0,a3,0,0,a3,0,0,0\n"
         "p3:vol,40,0,0,0,c3,0,0,0,0,0,0,0,c3,0,0,c3\np4:vol,8,0,c5,0,0,0,g4,0,0,0,c5,0,0,0,g4,0\n"
         "p5:vol,20,echo1,c5,0,c5,0,vol,60,c5,0,0,c5,c5,0,0,vol,20,c5,0\nt1:p1\nt2:p4\nt3:p2\nt4:p3\nt5:p5\n"},
        {"bass_and_leads",  // square bass, the ring-modulated leads, slides, 250 bpm
         "bpm:250\np1:vol,40,c2,0,c3,0,g2,0,c3,0,a1,0,a2,0\np2:0,0\np3:e5,0,g5,0,sld,4,c6,0,0,b5,0,0\n"
         "p4:vol,35,e4,0,g4,0,c5,0,sld,-3,0,b4,0,0\nt1:p1\nt2:p2\nt3:p2\nt4:p2\nt5:p2\nt6:p3\nt7:p4\n"}};
    for (const auto& [name, score] : scores) {
        load_score(song_instruments + score);
        const Samples rendered = render(16384, 1000);  // 0.37 s
        const std::string path = TUMBO_TEST_SOURCE_DIR "/synth/golden/" + std::string(name) + ".raw";
        if (std::getenv("TUMBO_UPDATE_GOLDEN"))
            std::ofstream(path).write(reinterpret_cast<const char*>(rendered.data()), 2 * rendered.size());
        std::ifstream file(path);
        Samples recorded(rendered.size() + 1);  // one more, to notice a longer file
        ASSERT_EQ(file.read(reinterpret_cast<char*>(recorded.data()), 2 * recorded.size()).gcount(),
                  std::streamsize(2 * rendered.size())) << path;
        for (size_t i = 0; i < rendered.size(); ++i)  // deterministic float arithmetic: at most one step of rounding
            ASSERT_LE(std::abs(recorded[i] - rendered[i]), 1) << name << ", sample " << i;
    }
}
