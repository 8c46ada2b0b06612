// The song embedded in the program: the properties that the scenes rely on,
// and that it plays as a song.
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <sstream>

#include "embedded/embedded_score.h"
#include "synth/audio_driver.h"
#include "synth_test_util.h"

namespace {
constexpr int32_t a3 = 220, c3 = 130;

// The steps a track plays, in order: each step's entry (a note, 0, or a
// command) and the volume in effect after it.
std::vector<std::pair<int32_t, int32_t>> play_track(int32_t t) {
    std::vector<std::pair<int32_t, int32_t>> out;
    int32_t volume = 100;
    for (int32_t p : track(t)) {
        const Entries e = pattern(p);
        for (size_t i = 0; i < e.size(); i += 1 + (e[i] == command_volume || e[i] == command_slide)) {
            if (e[i] == command_volume) volume = e[i + 1];
            out.push_back({e[i], volume});
        }
    }
    return out;
}
}  // namespace

TEST(EmbeddedScore, IsTempoNineteenInstrumentsThirtySevenPatternsEighteenTracks) {
    std::istringstream text(std::string(reinterpret_cast<const char*>(embedded_score), embedded_score_size));
    std::string expected = "bpm:125\n" + song_instruments(), lines;
    for (std::string line; std::getline(text, line);) {
        EXPECT_EQ(line.find_first_of("# \r"), std::string::npos) << line;  // no comments, blanks or CRs
        EXPECT_EQ(line.find("loop"), std::string::npos) << line;
        lines += (line[0] == 'p' || line[0] == 't' ? line.substr(0, line.find(':') + 1) : line) + "\n";
    }
    for (int n = 1; n <= 37; ++n) expected += "p" + std::to_string(n) + ":\n";
    for (int n = 1; n <= 18; ++n) expected += "t" + std::to_string(n) + ":\n";
    EXPECT_EQ(lines, expected);
}

TEST(EmbeddedScore, PatternsAreWholeBarsInOneKeyWithTheFiguresTheScenesFollow) {
    load_song();
    for (int32_t p = 1; p <= 37; ++p) {
        const Entries e = pattern(p);
        const int32_t steps = pattern_steps(e);
        EXPECT_TRUE(steps == 16 || steps == 32 || steps == 64) << "p" << p << ": " << steps;
        for (size_t i = 0; i < e.size(); i += 1 + (e[i] == command_volume || e[i] == command_slide))
            for (int n = 0; n < note_count; ++n)  // no sharps: C major and its relative A minor
                EXPECT_TRUE(e[i] != synth.fixed.pitch_table[n] || std::islower(synth.fixed.note_names[n][0])) << "p" << p;
    }
    EXPECT_EQ(pattern(16), Entries(64, 0));
    const Entries figure = {-4, 523, -7, 20, 523, 0, -7, 60, 523, 0, 0, 523, 523, 0, 0, -7, 20, 523, 0};
    for (int i = 0; i < 4 * 19; ++i) EXPECT_EQ(pattern(3).at(i), figure[i % 19]) << i;
    EXPECT_EQ(pattern(3).size(), 4u * 19);
    for (int s = 0; s < 64; ++s) EXPECT_EQ(pattern(4).at(s), s % 16 == 0 || s % 16 == 7 || s % 16 == 10 ? a3 : 0) << s;
}

TEST(EmbeddedScore, TracksHaveTheirLengthsAndTheDrumVoicesTheirFigures) {
    load_song();
    const int32_t bars[] = {0, 64, 64, 64, 68, 68, 48, 48, 72, 68, 68, 56, 56, 56, 64, 64, 64, 56, 56};
    for (int32_t t = 1; t <= 18; ++t) EXPECT_EQ(play_track(t).size(), 16u * bars[t]) << "t" << t;
    EXPECT_EQ(played_voice_count(), 18);
    EXPECT_EQ(play_track(1)[0].first, 65);  // c2 on the first step
    const auto kick = play_track(3);  // p4's figure in bars 8-39 and 48-63, silent around it
    for (int32_t s = 0; s < 64 * 16; ++s) {
        const bool hit = ((s >= 8 * 16 && s < 40 * 16) || s >= 48 * 16) && (s % 16 == 0 || s % 16 == 7 || s % 16 == 10);
        EXPECT_EQ(std::max(kick[s].first, 0), hit ? a3 : 0) << "bar " << s / 16 << " step " << s % 16;
    }
    // Voice 4: p5 alternating with p36 and p37 in turn; c3 on steps 4 and 12
    // of every bar at volume 70, and two more late hits in each variant.
    const Entries items = track(4);
    for (size_t i = 0; i < items.size(); ++i) EXPECT_EQ(items[i], i % 2 ? (i % 4 == 1 ? 36 : 37) : 5) << i;
    const auto snare = play_track(4);
    for (int32_t s = 0; s < 68 * 16; ++s) {
        const bool main_hit = s % 16 == 4 || s % 16 == 12, late_in_a_variant = s % 16 >= 13 && (s / 32) % 2 == 1;
        EXPECT_TRUE(main_hit ? snare[s] == std::make_pair(c3, 70) : snare[s].first <= 0 || late_in_a_variant) << s;
    }
    for (int32_t p : {36, 37}) {
        const Entries e = pattern(p);
        EXPECT_EQ(std::count(e.begin(), e.end(), c3), 6) << p;
    }
}

TEST(EmbeddedScore, PlaysToBar72WithoutClippingAndEverySectionSounds) {
    load_song();
    ASSERT_EQ(frames_through_bar(72), 6181056);
    const std::vector<int16_t> s = render(6181056);
    EXPECT_LE(std::count_if(s.begin(), s.end(), [](int16_t x) { return std::abs(x) == 32766; }), 6181);  // 0.1%
    const int32_t sections[] = {0, 8, 20, 32, 48, 56, 64, 68, 72};  // the scenes' bars
    for (int i = 0; i + 1 < 9; ++i) {
        double energy = 0;
        for (int64_t k = 2 * sections[i] * bar_frames; k < 2 * sections[i + 1] * bar_frames; ++k) energy += double(s[k]) * s[k];
        EXPECT_GT(std::sqrt(energy / (2 * (sections[i + 1] - sections[i]) * bar_frames)), 300) << "from bar " << sections[i];
    }
    EXPECT_EQ(song_bar.load(), 72);
    const std::vector<int16_t> after = render(10 * bar_frames);  // nothing starts again; the tails die
    int tail = 0;
    for (auto it = after.end() - 2 * bar_frames; it != after.end(); ++it) tail = std::max(tail, std::abs(int(*it)));
    EXPECT_LT(tail, 33);  // below -60 dB
}
