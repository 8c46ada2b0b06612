// The score parser: what each kind of line stores, and how it copes with
// text outside the language.
#include <gtest/gtest.h>

#include "synth_test_util.h"

namespace {
void expect_every_voice_playable() {
    for (const Voice& v : synth.voices) {
        ASSERT_TRUE(v.wave_buffer && v.wave_length >= 1 && v.echo_ring);
        ASSERT_EQ(v.echo_ring_length, synth.clock.echo_length);
    }
}
}  // namespace

TEST(ScoreParser, TempoSetsStepAndEchoLengthsAndTemposWithoutAStepAreIgnored) {
    const std::pair<const char*, int32_t> cases[] = {
        {"bpm:125", 5292}, {"bpm:120", 5512}, {"b p m : 3", 264600}, {"p1:c4", 5292},  // no tempo: 125 bpm
        {"bpm:100\nbpm:2", 6615}, {"bpm:100\nbpm:-300", 6615}, {"bpm:100\nbpm", 6615},
        {"bpm:100\nbpm:700000", 6615}, {"bpm:100\nbpm:99999999999999999999", 6615}};
    for (const auto& [text, step] : cases) {
        load_score(text);
        EXPECT_EQ(synth.clock.samples_per_step, step) << text;
        EXPECT_EQ(synth.clock.echo_length, 3 * step) << text;
    }
    // Instruments before the tempo line and a second tempo line: the rings
    // still have the length the callback uses.
    load_score("i1:kantti,1,1,1,1,0\nbpm:60\ni2:sini,1,1,1,1,0\nbpm:250\n");
    EXPECT_EQ(synth.clock.samples_per_step, 2646);
    expect_every_voice_playable();
}

TEST(ScoreParser, PatternTokensAreExactNamesAndCommandsTakeTheNextToken) {
    load_score("p7: c4,C4 ,0,, echo1,echo0,stop,v o l,70,sld,-0012x,b6,c1,Echo1,x9,c7,\ta3\r\n"
               "p2:c4,vol\np3:vol,abc,vol,99999999999\np4:c4,c4\np4:d4\n");
    EXPECT_EQ(pattern(7), (Entries{261, 277, 0, -4, -5, -6, -7, 70, -8, -12, 1976, 32, 0, 0, 0, 0}));
    EXPECT_EQ(pattern_steps(pattern(7)), 14);
    EXPECT_EQ(pattern(2), (Entries{261, -7, 0}));  // a missing argument reads 0
    EXPECT_EQ(pattern(3), (Entries{-7, 0, -7, INT32_MAX}));
    EXPECT_EQ(pattern(4), (Entries{293}));  // redefined from its first entry on
}

TEST(ScoreParser, ListsAreCutToTheTablesWithoutSplittingACommand) {
    std::string notes, holds, items;
    for (int i = 0; i < 150; ++i) notes += "c4,", items += "p1,";
    for (int i = 0; i < 98; ++i) holds += "0,";
    load_score("p5:" + notes + "\np6:" + holds + "vol,50,c4\nt3:" + items + "\n");
    EXPECT_EQ(pattern(5).size(), 99u);
    EXPECT_EQ(synth.score.pattern_table[5][99], entry_end);
    EXPECT_EQ(pattern(6), Entries(98, 0));
    EXPECT_EQ(track(3).size(), 99u);
    EXPECT_EQ(synth.score.track_table[3][99], entry_end);
}

TEST(ScoreParser, TrackItemsNamePatternsFromTheirSecondCharacter) {
    // A leading loop would loop on nothing; items naming no pattern are skipped.
    load_score("t1:p7,x7,p23,p0,loop,p5\nt2:loop,p1000,p-2,p-3,q,p999,loop\n");
    EXPECT_EQ(track(1), (Entries{7, 7, 23, 0, entry_loop, 5}));
    EXPECT_EQ(track(2), (Entries{0, 999, entry_loop}));
}

TEST(ScoreParser, LinesOutsideTheLanguageChangeNothing) {
    std::string text = "#p1:c4\n  # p2:c4\np3:c4#\nx4:c4\nbpmx:10\n:::\n::p8:c4,d4\np9::c4\np1000:c4\np-1:c4\n"
                       "t30:p1\nt-1:p1\ni30:saha,1,1,1,1,0\n";
    for (int i = 0; i < 986; ++i) text += "\n\np10:c4\n";  // empty lines do not count
    load_score(text + "p10:d4\np10:a3\n");                 // lines 1000 and 1001
    EXPECT_EQ(synth.score.pattern_table[1][0], 0);
    EXPECT_EQ(synth.score.pattern_table[2][0], 0);  // spaces go first: a comment too
    EXPECT_EQ(pattern(3), Entries{0});
    EXPECT_EQ(pattern(8), (Entries{261, 293}));
    EXPECT_EQ(pattern(9), Entries{0});  // the list ":c4" names nothing
    EXPECT_EQ(pattern(10), Entries{293});
    EXPECT_EQ(synth.clock.samples_per_step, 5292);
    for (int32_t n = 0; n < voice_count; ++n) EXPECT_EQ(track(n), Entries{}) << n;
    expect_every_voice_playable();
}

TEST(ScoreParser, InstrumentLinesSetLengthPanFilterAndWave) {
    load_score("i3:sini,1,12,10,4000,0,-70,50,90\ni4:saha,2,3,4,5,6\ni5:saha,2,3,4,5,6,7,8\ni6:kantti,5\n"
               "i7:kohina,1,0,200,1,0\ni8:bogus,1,0,200,1,0\n");
    EXPECT_EQ(synth.voices[3].wave_length, 4024);
    EXPECT_FLOAT_EQ(synth.voices[3].pan, 0.5f);
    EXPECT_FLOAT_EQ(synth.voices[3].lowpass, 0.9f);
    EXPECT_EQ(synth.voices[4].wave_length, 15);
    EXPECT_FLOAT_EQ(synth.voices[4].pan, 0.75f);  // even voices default to the left
    EXPECT_FLOAT_EQ(synth.voices[5].pan, 0.08f);
    EXPECT_FLOAT_EQ(synth.voices[5].lowpass, 0.0f);
    EXPECT_EQ(synth.voices[6].wave_length, 6);  // missing numbers read 0
    EXPECT_FLOAT_EQ(synth.voices[1].pan, 0.25f);
    // An unknown wave word repeats the previous line's wave; before any, square.
    for (int j = 1; j < 168; ++j) ASSERT_EQ(synth.voices[8].wave_buffer[j], synth.fixed.noise[j]) << j;
    load_score("i1:Saha,1,0,200,1,0\n");
    for (int j = 1; j < 168; ++j) ASSERT_EQ(synth.voices[1].wave_buffer[j], synth.fixed.square[j]) << j;
    expect_every_voice_playable();
    parse_score(nullptr);
    expect_every_voice_playable();
}
