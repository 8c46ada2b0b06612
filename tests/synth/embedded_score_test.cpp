// The song embedded in the program: the properties that the scenes and the
// rest of the show rely on, and that it plays as a song.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "embedded/embedded_score.h"
#include "synth/audio_driver.h"
#include "synth_test_util.h"

namespace {
constexpr int32_t a3 = 220, c3 = 130, c2 = 65;

std::string score_text() {
    return std::string(reinterpret_cast<const char*>(embedded_score), embedded_score_size);
}

std::vector<std::string> score_lines() {
    std::vector<std::string> lines;
    std::istringstream in(score_text());
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

void load_song() {
    std::srand(1);
    init_synth();
    parse_score();
}

// One played step of a track: the entry executed, the volume in effect
// after it, and the pattern it belongs to.
struct PlayedStep {
    int32_t entry;
    int32_t volume;  // hundredths
    int32_t pattern;
};

// The steps a track plays, in order, as the sequencer walks it (no loops).
std::vector<PlayedStep> play_track(int32_t track) {
    std::vector<PlayedStep> out;
    int32_t volume = 100;
    for (int32_t pattern : track_items_of(track)) {
        const std::vector<int32_t> entries = pattern_entries_of(pattern);
        for (size_t i = 0; i < entries.size(); ++i) {
            if (entries[i] == command_volume) volume = entries[i + 1];
            out.push_back({entries[i], volume, pattern});
            if (entries[i] == command_volume || entries[i] == command_slide) ++i;
        }
    }
    return out;
}

int32_t track_bars(int32_t track) { return static_cast<int32_t>(play_track(track).size()) / 16; }
}  // namespace

TEST(EmbeddedScore, TextIsTempoInstrumentsPatternsAndTracksOnly) {
    const std::vector<std::string> lines = score_lines();
    ASSERT_EQ(lines.size(), 1u + 19 + 37 + 18);
    EXPECT_EQ(lines[0], "bpm:125");
    std::istringstream instruments(song_instruments());
    std::string expected;
    for (int n = 1; n <= 19; ++n) {
        std::getline(instruments, expected);
        EXPECT_EQ(lines[n], expected) << "instrument " << n;
    }
    std::set<int> patterns, tracks;
    for (size_t i = 20; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        ASSERT_TRUE(line[0] == 'p' || line[0] == 't') << line;
        (line[0] == 'p' ? patterns : tracks).insert(std::stoi(line.substr(1)));
        EXPECT_EQ(line.find("loop"), std::string::npos) << line;
    }
    EXPECT_EQ(patterns.size(), 37u);
    EXPECT_EQ(*patterns.begin(), 1);
    EXPECT_EQ(*patterns.rbegin(), 37);
    EXPECT_EQ(tracks.size(), 18u);
    EXPECT_EQ(*tracks.rbegin(), 18);
    EXPECT_EQ(score_text().find('#'), std::string::npos);
    EXPECT_EQ(score_text().find('\r'), std::string::npos);
}

TEST(EmbeddedScore, StaysInOneKey) {
    // Every note name is a natural: C major, with A minor as its relative.
    load_song();
    std::set<int32_t> sharps;
    for (int n = 0; n < note_count; ++n)
        if (synth.fixed.note_names[n][0] >= 'A' && synth.fixed.note_names[n][0] <= 'Z')
            sharps.insert(synth.fixed.pitch_table[n]);
    for (int32_t p = 1; p <= 37; ++p) {
        const std::vector<int32_t> e = pattern_entries_of(p);
        for (size_t i = 0; i < e.size(); ++i) {
            if (e[i] == command_volume || e[i] == command_slide) {
                ++i;
                continue;
            }
            EXPECT_EQ(sharps.count(e[i]), 0u) << "pattern " << p << " entry " << i;
        }
    }
}

TEST(EmbeddedScore, InstrumentsAreRenderedAsListed) {
    load_song();
    const int32_t lengths[20] = {0,     4037,  2024,  4024,   2521,   72,     50083,  30026,  6024,   900003,
                                 900003, 20016, 380002, 380002, 3007,   3007,   3007,   3007,   380002, 380002};
    const int32_t pans[20] = {0, 50, 30, 50, 50, 70, 20, 80, 50, 1, 99, 50, 10, 90, 20, 80, 30, 70, 10, 90};
    const int32_t lowpasses[20] = {0, 99, 10, 90, 50, 5, 75, 75, 20, 90, 90, 50, 93, 93, 2, 2, 2, 2, 96, 96};
    for (int32_t n = 1; n <= 19; ++n) {
        EXPECT_EQ(synth.voices[n].wave_length, lengths[n]) << n;
        EXPECT_FLOAT_EQ(synth.voices[n].pan, pans[n] / 100.0f) << n;
        EXPECT_FLOAT_EQ(synth.voices[n].lowpass, lowpasses[n] / 100.0f) << n;
    }
    EXPECT_EQ(synth.clock.samples_per_step, 5292);
    EXPECT_EQ(played_voice_count(), 18);
}

TEST(EmbeddedScore, PatternsAreWholeBarsAndSixteenIsAFourBarRest) {
    load_song();
    for (int32_t p = 1; p <= 37; ++p) {
        const int32_t steps = pattern_steps(pattern_entries_of(p));
        EXPECT_TRUE(steps == 16 || steps == 32 || steps == 64) << "p" << p << ": " << steps << " steps";
    }
    EXPECT_EQ(pattern_entries_of(16), std::vector<int32_t>(64, 0));
}

TEST(EmbeddedScore, PatternThreeIsTheEchoedFigureFourTimes) {
    load_song();
    const std::vector<int32_t> figure = {-4, 523, -7, 20, 523, 0, -7, 60, 523, 0, 0, 523, 523, 0, 0, -7, 20, 523, 0};
    std::vector<int32_t> expected;
    for (int i = 0; i < 4; ++i) expected.insert(expected.end(), figure.begin(), figure.end());
    EXPECT_EQ(pattern_entries_of(3), expected);
    EXPECT_EQ(pattern_steps(expected), 64);
}

TEST(EmbeddedScore, PatternFourIsThreeA3NotesOnSteps0And7And10OfEachBar) {
    load_song();
    const std::vector<int32_t> e = pattern_entries_of(4);
    ASSERT_EQ(e.size(), 64u);
    for (int s = 0; s < 64; ++s) {
        const bool hit = s % 16 == 0 || s % 16 == 7 || s % 16 == 10;
        EXPECT_EQ(e[s], hit ? a3 : 0) << "step " << s;
    }
}

TEST(EmbeddedScore, SnarePatternsHitSteps4And12AtVolume70AndTwoLateExtras) {
    load_song();
    for (int32_t p : {5, 36, 37}) {
        int32_t volume = -1;
        std::vector<int32_t> hits;
        const std::vector<int32_t> e = pattern_entries_of(p);
        int32_t step = 0;
        for (size_t i = 0; i < e.size(); ++i, ++step) {
            if (e[i] == command_volume) {
                volume = e[++i];
                continue;
            }
            if (e[i] == 0) continue;
            ASSERT_EQ(e[i], c3) << "p" << p << " step " << step;
            EXPECT_EQ(volume, 70) << "p" << p << " step " << step;
            hits.push_back(step);
        }
        EXPECT_EQ(step, 32) << "p" << p;
        std::vector<int32_t> extra;
        for (int32_t s : {4, 12, 20, 28}) {
            auto it = std::find(hits.begin(), hits.end(), s);
            ASSERT_NE(it, hits.end()) << "p" << p << " misses step " << s;
            hits.erase(it);
        }
        EXPECT_EQ(hits.size(), p == 5 ? 0u : 2u) << "p" << p;
        for (int32_t s : hits) EXPECT_GE(s % 16, 13) << "p" << p << ": extra hit on step " << s;
    }
    EXPECT_NE(pattern_entries_of(36), pattern_entries_of(37));
}

TEST(EmbeddedScore, TracksHaveTheirLengthsInBars) {
    load_song();
    const int32_t bars[19] = {0, 64, 64, 64, 68, 68, 48, 48, 72, 68, 68, 56, 56, 56, 64, 64, 64, 56, 56};
    for (int32_t t = 1; t <= 18; ++t) {
        EXPECT_EQ(static_cast<int32_t>(play_track(t).size()) % 16, 0) << "t" << t;
        EXPECT_EQ(track_bars(t), bars[t]) << "t" << t;
    }
    EXPECT_EQ(synth.score.track_table[19][0], entry_end);
}

TEST(EmbeddedScore, VoiceOneStartsTheSongOnC2) {
    load_song();
    EXPECT_EQ(play_track(1)[0].entry, c2);
}

TEST(EmbeddedScore, VoiceThreePlaysItsFigureWithSilentBarsBetween) {
    load_song();
    const std::vector<PlayedStep> steps = play_track(3);
    ASSERT_EQ(steps.size(), 64u * 16);
    for (int32_t bar = 0; bar < 64; ++bar) {
        const bool figure = (bar >= 8 && bar < 40) || bar >= 48;
        for (int32_t s = 0; s < 16; ++s) {
            const PlayedStep& step = steps[bar * 16 + s];
            const bool hit = figure && (s == 0 || s == 7 || s == 10);
            EXPECT_EQ(step.entry > 0, hit) << "bar " << bar << " step " << s;
            if (hit) {
                EXPECT_EQ(step.entry, a3);
                EXPECT_EQ(step.pattern, 4) << "bar " << bar;
            }
        }
    }
}

TEST(EmbeddedScore, VoiceFourAlternatesTheSnareWithItsTwoVariants) {
    load_song();
    const std::vector<int32_t> items = track_items_of(4);
    ASSERT_EQ(items.size(), 34u);
    for (size_t i = 0; i < items.size(); ++i)
        EXPECT_EQ(items[i], i % 2 == 0 ? 5 : (i % 4 == 1 ? 36 : 37)) << "item " << i;
    const std::vector<PlayedStep> steps = play_track(4);
    for (int32_t bar = 0; bar < 68; ++bar)
        for (int32_t s : {4, 12}) {
            EXPECT_EQ(steps[bar * 16 + s].entry, c3) << "bar " << bar;
            EXPECT_EQ(steps[bar * 16 + s].volume, 70) << "bar " << bar;
        }
}

TEST(EmbeddedScore, PlaysToBar72WithoutClippingAndEveryPartSounds) {
    load_song();
    const int64_t frames = frames_through_bar(72);
    ASSERT_EQ(frames, 6181056);
    const std::vector<int16_t> s = render(frames);
    int64_t clamped = 0;
    for (int64_t f = 0; f < frames; ++f)
        if (std::abs(s[2 * f]) == 32766 || std::abs(s[2 * f + 1]) == 32766) ++clamped;
    EXPECT_LE(clamped, frames / 1000) << "frames at full scale";

    // Each scene's stretch of the song has sound in both channels.
    auto rms = [&](int32_t from_bar, int32_t to_bar, int channel) {
        double sum = 0;
        const int64_t a = from_bar * bar_frames, b = to_bar * bar_frames;
        for (int64_t f = a; f < b; ++f) sum += double(s[2 * f + channel]) * s[2 * f + channel];
        return std::sqrt(sum / double(b - a)) / 32768.0;
    };
    const int32_t sections[] = {0, 8, 20, 32, 48, 56, 64, 68, 72};
    for (size_t i = 0; i + 1 < std::size(sections); ++i)
        for (int channel : {0, 1})
            EXPECT_GT(rms(sections[i], sections[i + 1], channel), 0.01)
                << "bars " << sections[i] << "-" << sections[i + 1] << " channel " << channel;
    EXPECT_EQ(song_bar.load(), 72);
    // The tracks are over: nothing starts again, and the tail dies away.
    const std::vector<int16_t> after = render(10 * bar_frames);
    double tail = 0;
    for (size_t i = after.size() - 2 * bar_frames; i < after.size(); ++i) tail = std::max(tail, std::fabs(double(after[i])));
    EXPECT_LT(tail, 33);  // below -60 dB
}
