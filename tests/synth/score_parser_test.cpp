// The score parser, the base waves and the instrument renderer: what each
// kind of line stores, how text outside the language is made harmless, and
// the rendered sounds.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <sstream>

#include "synth_test_util.h"

TEST(ScoreParser, TempoSetsStepAndEchoLengthsAndTemposWithoutAStepAreIgnored) {
    const std::pair<const char*, int32_t> cases[] = {
        {"bpm:125", 5292}, {"bpm:120", 5512}, {"b p m : 3", 264600}, {"p1:c4\nbpmx:100", 5292},  // no tempo line
        {"bpm:100\nbpm:2", 6615}, {"bpm:100\nbpm:-300", 6615}, {"bpm:100\nbpm:700000", 6615}};
    for (const auto& [text, step] : cases) {
        load_score(text);
        EXPECT_EQ(synth.clock.samples_per_step, step) << text;
        EXPECT_EQ(synth.clock.echo_length, 3 * step) << text;
    }
    // Instruments before and between tempo lines, and voices without an
    // instrument: every voice can still be played.
    load_score("i1:kantti,1,1,1,1,0\nbpm:60\ni2:sini,1,1,1,1,0\nbpm:250\nt1:p1\nt2:p1\nt3:p1\n");
    EXPECT_EQ(synth.clock.samples_per_step, 2646);
    EXPECT_TRUE(std::ranges::all_of(synth.voices, [](const Voice& v) {
        return v.wave_buffer && v.wave_length >= 1 && v.echo_ring && v.echo_ring_length == synth.clock.echo_length;
    }));
}

TEST(ScoreParser, PatternTokensAndTrackItemsAreStoredAsNamedAndListsAreCutToTheTables) {
    std::string notes, holds, items;
    for (int i = 0; i < 150; ++i) notes += "c4,", items += "p1,";
    for (int i = 0; i < 98; ++i) holds += "0,";
    load_score("p7: c4,C4 ,0,, echo1,echo0,stop,v o l,70,sld,-0012x,b6,c1,Echo1,x9,c7,\ta3\r\n"
               "p2:c4,vol\np3:vol,abc,vol,99999999999\np4:c4,c4\np4:d4\nt1:p7,x7,p23,p0,loop,p5\n"
               "t2:loop,p1000,p-2,p-3,q,p999,loop\np5:" + notes + "\np6:" + holds + "vol,50,c4\nt3:" + items + "\n");
    EXPECT_EQ(pattern(7), (Entries{261, 277, 0, -4, -5, -6, -7, 70, -8, -12, 1976, 32, 0, 0, 0, 0}));
    // A missing argument reads 0; p4 is redefined from its first entry on.
    EXPECT_EQ((std::vector<Entries>{pattern(2), pattern(3), pattern(4)}),
              (std::vector<Entries>{{261, -7, 0}, {-7, 0, -7, INT32_MAX}, {293}}));
    // A leading loop would loop on nothing; items naming no pattern are skipped.
    EXPECT_EQ(track(1), (Entries{7, 7, 23, 0, entry_loop, 5}));
    EXPECT_EQ(track(2), (Entries{0, 999, entry_loop}));
    EXPECT_EQ(track(3).size() + pattern(5).size(), 99u + 99u);
    EXPECT_EQ(pattern(6), Entries(98, 0));  // no room for vol and its argument
}

TEST(ScoreParser, CommentsUnknownKeysNumbersOutOfRangeAndLinesAfterTheThousandthChangeNothing) {
    std::string text = "#p1:c4\n  # p2:c4\np3:c4#\nx4:c4\n:::\n::p8:c4,d4\np9::c4\np1000:c4\np-1:c4\n"
                       "t30:p1\nt-1:p1\ni30:saha,1,1,1,1,0\n";
    for (int i = 0; i < 987; ++i) text += "\n\np10:c4\n";  // empty lines do not count
    load_score(text + "p10:d4\np10:a3\n");                 // lines 1000 and 1001
    for (int n : {1, 2, 4}) EXPECT_EQ(synth.score.pattern_table[n][0], 0) << n;  // spaces go first: a comment too
    // p9's list ":c4" names nothing; only p10's 1000th line counts.
    EXPECT_EQ((std::vector<Entries>{pattern(3), pattern(8), pattern(9), pattern(10)}),
              (std::vector<Entries>{{0}, {261, 293}, {0}, {293}}));
    for (int32_t n = 0; n < voice_count; ++n) EXPECT_EQ(track(n), Entries{}) << n;
}

TEST(BaseWaves, HaveTheirShapesAndNoiseTakesTheFirst44100RandValues) {
    std::srand(1);  // the unseeded sequence
    std::vector<int> r(noise_length + 1);
    for (int& x : r) x = std::rand();
    load_score("");
    const FixedTables& w = synth.fixed;
    EXPECT_EQ((std::vector<float>{w.square[83], w.square[84], w.saw[0], w.saw[83], w.saw[84], w.saw[167], w.sine[42]}),
              (std::vector<float>{-1, 1, 0, 83.0f / 84, -1, -1.0f / 84, 1}));
    EXPECT_NEAR(w.sine[84], 0.0f, 1e-6f);
    for (int j = 0; j < noise_length; ++j) ASSERT_EQ(w.noise[j], (r[j] % 2000 - 1000) / 1000.0f) << j;
    EXPECT_EQ(std::rand(), r[noise_length]);  // later start-up steps continue the sequence
}

TEST(Instruments, LinesSetLengthPanFilterAndWaveAndTheEnvelopeRampsDecaysSustainsAndEndsInSilence) {
    const Voice* v = synth.voices;
    load_score("i3:sini,1,12,10,4000,0,-70,50,90\ni4:saha,2,3,4,5,6\ni5:saha,2,3,4,5,6,7,8\ni6:kantti,5\n"
               "i7:kohina,1,0,200,1,0\ni8:bogus,1,0,200,1,0\n");
    // Even voices default to the left; missing numbers read 0.
    EXPECT_EQ((Entries{v[3].wave_length, v[4].wave_length, v[6].wave_length}), (Entries{4024, 15, 6}));
    EXPECT_EQ((std::vector<float>{v[1].pan, v[3].pan, v[3].lowpass, v[4].pan, v[5].pan, v[5].lowpass}),
              (std::vector<float>{0.25f, 0.5f, 0.9f, 0.75f, 0.08f, 0.0f}));
    // An unknown wave word repeats the previous line's wave; before any, square.
    for (int j = 1; j < 168; ++j) ASSERT_EQ(v[8].wave_buffer[j], synth.fixed.noise[j]) << j;
    load_score("i1:Saha,1,0,200,1,0\n");
    for (int j = 1; j < 168; ++j) ASSERT_EQ(v[1].wave_buffer[j], synth.fixed.square[j]) << j;
    // The song's instrument 5 (a 1, b 30, c 20, d 20) on a saw ring-modulated
    // at 0.1 cycle per 168 samples: level 0, 1, then down by 1 per sample to
    // -29, held, released to 0 in 20 samples; the last sample stays 0.
    load_song();
    ASSERT_EQ(v[5].wave_length, 72);
    for (int j = 1; j <= 70; ++j) {
        const double level = j <= 50 ? std::max(2.0 - j, -29.0) : -29 + 1.45 * (j - 51);
        ASSERT_NEAR(v[5].wave_buffer[j] / (synth.fixed.saw[j] * std::sin(j * 0.2 * M_PI / 168)), level, 0.01) << j;
    }
    EXPECT_EQ(v[5].wave_buffer[71], 0.0f);
    render_instrument(1, wave_square, 0, 2, 3, 0, 0, 0);                    // zero attack and release: a sample each
    render_instrument(2, wave_saw, -5, -1, 7, -100, 0, 0);                  // negative lengths count as 0
    render_instrument(3, wave_square, 1, 0, 2000000000, 2000000000, 0, 0);  // cut to the limit
    EXPECT_EQ((Entries{v[1].wave_length, v[2].wave_length, v[3].wave_length}), (Entries{6, 8, (1 << 20) + 1}));
    EXPECT_EQ(v[3].wave_buffer[max_instrument_samples], 0.0f);
    // f = -2000: the read increment falls through 0 at sample 84, the read
    // position below 0 near sample 168, and on to about -4900 by sample 1000.
    render_instrument(10, wave_square, 1, 0, 1000, 1, 0, -2000);
    render_instrument(11, wave_noise, 1, 0, 100000, 1, 300, -2000000000);
    for (int j = 1; j <= 1000; ++j) ASSERT_EQ(std::fabs(v[10].wave_buffer[j]), 1.0f) << j;
    for (int j = 0; j < v[11].wave_length; ++j) ASSERT_LE(std::fabs(v[11].wave_buffer[j]), 1.0f) << j;
}

namespace {
// One instrument rendered alone in one pass, sample after sample, straight
// from its line's numbers: what the threaded renderer must give bit for bit.
std::vector<float> render_alone(const char* wave_name, std::vector<int32_t> n) {
    const char* names[] = {"kantti", "sini", "saha", "kohina"};
    const float* waves[] = {synth.fixed.square, synth.fixed.sine, synth.fixed.saw, synth.fixed.noise};
    const int32_t type =
        int32_t(std::find_if(names, names + 4, [&](const char* w) { return !std::strcmp(w, wave_name); }) - names);
    const double modulus = type == 3 ? noise_length : base_wave_length;
    const int32_t a = std::max(n[0], 0), b = std::max(n[1], 0), c = std::max(n[2], 0), d = std::max(n[3], 0);
    std::vector<float> out(size_t(a + b + c + d + 1));
    const int32_t lengths[] = {std::max(a, 1), b, c, std::max(d, 1)};
    const float slope = 1.0f / float(lengths[0]);
    const float drift = float(n[5] / 1000.0 / 168), ring = float(n[4] / 100.0 * 2.0 * M_PI / 168);
    float p = 0, g = 0, h = 0, k = 1;
    size_t s = 0;
    for (int segment = 0; segment < 4; ++segment) {
        const float delta = segment == 0 ? slope : segment == 1 ? -slope : segment == 2 ? 0 : -(g / float(lengths[3]));
        for (int32_t i = 0; i < lengths[segment] && s < out.size(); ++i) {
            double index = std::fmod(std::trunc(double(p)), modulus);
            float x = waves[type][int32_t(index < 0 ? index + modulus : index)] * g;
            out[s++] = n[4] ? float(std::sin(double(h)) * x) : x;
            p += k, k += drift, h += ring, g += delta;
        }
    }
    return out;
}
}  // namespace

TEST(Instruments, RenderedTogetherOnThreadsTheyEqualEachOneAloneAndEqualLinesShareABufferThatOutlivesItsOwner) {
    load_song();  // ring groups of up to six voices, two pairs of equal lines, 3.4 million samples
    std::istringstream lines(song_instruments);
    for (std::string line; std::getline(lines, line);) {
        char wave[8] = {};
        int32_t voice = 0;
        std::vector<int32_t> n(6);
        ASSERT_EQ(std::sscanf(line.c_str(), "i%d:%7[a-z],%d,%d,%d,%d,%d,%d", &voice, wave, &n[0], &n[1], &n[2], &n[3],
                              &n[4], &n[5]), 8) << line;
        const Voice& v = synth.voices[voice];
        ASSERT_TRUE(std::vector<float>(v.wave_buffer, v.wave_buffer + v.wave_length) == render_alone(wave, n)) << line;
    }
    // i12 and i13 have the same numbers, and so do i18 and i19. A new line
    // for the voice that owns the buffer leaves it to the other.
    const Voice* v = synth.voices;
    EXPECT_TRUE(v[12].wave_buffer == v[13].wave_buffer && v[18].wave_buffer == v[19].wave_buffer);
    const std::vector<float> shared(v[13].wave_buffer, v[13].wave_buffer + v[13].wave_length);
    render_instrument(12, wave_square, 5, 0, 5, 5, 0, 0);
    render_instrument(18, wave_square, 5, 0, 5, 5, 0, 0);
    EXPECT_EQ(std::vector<float>(v[13].wave_buffer, v[13].wave_buffer + v[13].wave_length), shared);
    EXPECT_EQ(std::vector<float>(v[12].wave_buffer, v[12].wave_buffer + 16),
              render_alone("kantti", {5, 0, 5, 5, 0, 0}));
    load_song();  // every buffer given up once, whoever owned it
    EXPECT_EQ(std::vector<float>(v[13].wave_buffer, v[13].wave_buffer + v[13].wave_length), shared);
}

TEST(ScoreParser, ProblemsAreListedWithTheirLinesAndStoreExactlyWhatParsingWithoutAListStores) {
    std::string long_pattern = "p5:";
    for (int i = 0; i < 100; ++i) long_pattern += "c4,";
    const std::string text = "bpm:125\n\n# a comment\ni1:saw,1,2\ni2:saha,1,1,1,1,0,0,50,9,4\nx3:c4\n:::\n"
                             "p1:c4,c#4,h4,0,vol,abc,sld\np1000:c4\n" + long_pattern + "\nt1:loop,p1,p2,7,p1001\n"
                             "t3:p1\ni-1:sini,1,1,1,1,0\nbpm:2\ni4:sini,-5,1,1,2000000,0\nt0:p1\n";
    std::vector<ScoreProblem> problems;
    std::string copy = text;
    std::srand(1);
    init_synth();
    parse_score(copy.data(), &problems);
    // Everything the parser fills, kept before parsing the same text again without a list.
    const ScoreTables tables = synth.score;
    const SongClock clock = synth.clock;
    std::vector<std::vector<float>> waves;
    for (const Voice& v : synth.voices) waves.emplace_back(v.wave_buffer, v.wave_buffer + v.wave_length);
    load_score(text);
    EXPECT_EQ(std::memcmp(&tables, &synth.score, sizeof tables), 0);
    EXPECT_EQ(std::tuple(clock.samples_per_step, clock.echo_length),
              std::tuple(synth.clock.samples_per_step, synth.clock.echo_length));
    for (int32_t n = 0; n < voice_count; ++n) {
        const Voice& v = synth.voices[n];
        EXPECT_EQ(waves[n], std::vector<float>(v.wave_buffer, v.wave_buffer + v.wave_length)) << n;
    }
    const std::pair<int32_t, const char*> expected[] = {
        {4, "unknown wave 'saw'"}, {4, "the 3 missing read 0"}, {5, "at most 8 numbers"}, {6, "unknown key 'x3'"},
        {7, "no key"}, {8, "unknown token 'c#4'"}, {8, "unknown token 'h4'"}, {8, "'abc' is not a whole number"},
        {8, "'sld' at the end of the line has no number"}, {9, "pattern 1000 is outside"},
        {10, "at most 99 entries"}, {11, "a loop before any pattern"}, {11, "item '7' is not a letter and a number"},
        {11, "item 'p1001' names no pattern"}, {11, "p2 is not defined"}, {11, "p0 is not defined"},
        {12, "track 3 is never played: track 2 is empty"}, {13, "instrument -1 is outside"},
        {14, "a tempo of 2 bpm gives no step length"}, {15, "negative envelope length"},
        {15, "cut to 1048576"}, {16, "track 0 is never played"}};
    ASSERT_EQ(problems.size(), std::size(expected));
    for (size_t i = 0; i < problems.size(); ++i) {
        EXPECT_EQ(problems[i].line, expected[i].first) << problems[i].reason;
        EXPECT_NE(problems[i].reason.find(expected[i].second), std::string::npos) << problems[i].reason;
    }
    // Past the 1000th non-empty line nothing is read, and that is said once.
    std::string many;
    for (int i = 0; i < 1002; ++i) many += "\np1:c4\n";
    problems.clear();
    init_synth();
    parse_score(many.data(), &problems);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].line, 2002);
}
