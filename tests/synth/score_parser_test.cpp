// The score parser: what each kind of line stores, and how it copes with
// text outside the language.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "synth_test_util.h"

using Entries = std::vector<int32_t>;

namespace {
constexpr int32_t c4 = 261, C4 = 277, d4 = 293, a3 = 220, c5 = 523, b6 = 1976, c1 = 32;

// Every voice can be played by the callback: a buffer to read and an echo
// ring of the song's echo length.
void expect_every_voice_playable() {
    for (int32_t n = 0; n < voice_count; ++n) {
        const Voice& v = synth.voices[n];
        ASSERT_NE(v.wave_buffer, nullptr) << "voice " << n;
        ASSERT_GE(v.wave_length, 1) << "voice " << n;
        ASSERT_NE(v.echo_ring, nullptr) << "voice " << n;
        ASSERT_EQ(v.echo_ring_length, synth.clock.echo_length) << "voice " << n;
    }
}
}  // namespace

TEST(PitchAndTokenTables, LowerOctavesAreHalvedFromOctaveSixInTableOrder) {
    load_score("");
    const int32_t octave1[12] = {32, 34, 36, 38, 41, 43, 46, 49, 51, 55, 58, 61};
    const int32_t octave3[12] = {130, 138, 146, 155, 164, 174, 185, 196, 207, 220, 233, 247};
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(synth.fixed.pitch_table[i], octave1[i]) << i;
        EXPECT_EQ(synth.fixed.pitch_table[24 + i], octave3[i]) << i;
    }
    const char* names[12] = {"c", "C", "d", "D", "e", "f", "F", "g", "G", "a", "A", "b"};
    for (int n = 0; n < note_count; ++n) {
        const std::string expected = std::string(names[n % 12]) + std::to_string(n / 12 + 1);
        EXPECT_EQ(synth.fixed.token_table[n].name, expected);
        EXPECT_EQ(synth.fixed.token_table[n].value, synth.fixed.pitch_table[n]);
    }
    const Token commands[6] = {{"echo1", -4}, {"echo0", -5}, {"stop", -6}, {"vol", -7}, {"sld", -8}, {"0", 0}};
    for (int i = 0; i < 6; ++i) {
        EXPECT_STREQ(synth.fixed.token_table[72 + i].name, commands[i].name);
        EXPECT_EQ(synth.fixed.token_table[72 + i].value, commands[i].value);
    }
}

TEST(ScoreTempo, BpmSetsStepAndEchoLengths) {
    load_score("bpm:125\n");
    EXPECT_EQ(synth.clock.samples_per_step, 5292);
    EXPECT_EQ(synth.clock.echo_length, 15876);
    load_score("bpm:120\n");
    EXPECT_EQ(synth.clock.samples_per_step, 5512);  // 264600 / 48
    EXPECT_EQ(synth.clock.echo_length, 3 * 5512);
    load_score("bpm:3\n");  // the slowest tempo with a step: 264600 / 1
    EXPECT_EQ(synth.clock.samples_per_step, 264600);
}

TEST(ScoreTempo, TempoWithoutAStepLengthIsIgnored) {
    // Below 3 bpm the divisor (B * 10) / 25 is 0 or negative; far above, the
    // step is shorter than one sample. None of these may divide by zero or
    // leave a step of 0 samples.
    for (const char* line : {"bpm:2\n", "bpm:0\n", "bpm:-300\n", "bpm:\n", "bpm\n", "bpm:x\n",
                             "bpm:700000\n", "bpm:99999999999999999999\n"}) {
        load_score(std::string("bpm:100\n") + line);
        EXPECT_EQ(synth.clock.samples_per_step, 6615) << line;  // 100 bpm stays
        EXPECT_EQ(synth.clock.echo_length, 3 * 6615) << line;
    }
    load_score("i1:kantti,1,1,1,1,0\n");  // no tempo line at all
    EXPECT_EQ(synth.clock.samples_per_step, default_samples_per_step);
    EXPECT_EQ(synth.clock.echo_length, default_echo_length);
}

TEST(ScoreTempo, EchoRingsFollowTheFinalTempoWhateverTheLineOrder) {
    // An instrument before the tempo line, and a second tempo line after
    // the instruments: every ring still has the length the callback uses.
    load_score("i1:kantti,1,1,1,1,0\nbpm:60\ni2:sini,1,1,1,1,0\nbpm:250\n");
    EXPECT_EQ(synth.clock.samples_per_step, 2646);
    expect_every_voice_playable();
}

TEST(ScorePatterns, NotesCommandsAndHoldsAreStoredByName) {
    load_score("p7:c4,C4,0,echo1,echo0,stop,vol,70,sld,-25,b6,c1,Echo1,x9,c7,c\n");
    EXPECT_EQ(pattern_entries_of(7),
              (Entries{c4, C4, 0, -4, -5, -6, -7, 70, -8, -25, b6, c1, 0, 0, 0, 0}));
    EXPECT_EQ(synth.score.pattern_table[7][16], entry_end);
    EXPECT_EQ(pattern_steps(pattern_entries_of(7)), 14);  // vol 70 and sld -25 are one step each
}

TEST(ScorePatterns, SpacesAndCarriageReturnsDoNotCount) {
    load_score("p1:c4,d4,vol,70,a3\np2: c4 , d4, v o l ,7 0,\ta3\r\n p 3 : c 4\r\n");
    EXPECT_EQ(pattern_entries_of(1), (Entries{c4, d4, -7, 70, a3}));
    // A tab stays part of its token, so "\ta3" is no note name.
    EXPECT_EQ(pattern_entries_of(2), (Entries{c4, d4, -7, 70, 0}));
    EXPECT_EQ(pattern_entries_of(3), (Entries{c4}));
}

TEST(ScorePatterns, EmptyPiecesBetweenCommasAreSkipped) {
    load_score("p1:,c4,,d4,,,a3,\np2:\n");
    EXPECT_EQ(pattern_entries_of(1), (Entries{c4, d4, a3}));
    EXPECT_EQ(synth.score.pattern_table[2][0], entry_end);  // a pattern with no steps
}

TEST(ScorePatterns, CommandArgumentsAreReadLikeStrtol) {
    load_score("p1:vol,+45xyz,sld,-0012,vol,abc,vol,99999999999\np2:c4,vol\np3:sld\n");
    EXPECT_EQ(pattern_entries_of(1), (Entries{-7, 45, -8, -12, -7, 0, -7, INT32_MAX}));
    // A command without its argument gets 0, and the end marker follows it.
    EXPECT_EQ(pattern_entries_of(2), (Entries{c4, -7, 0}));
    EXPECT_EQ(pattern_entries_of(3), (Entries{-8, 0}));
}

TEST(ScorePatterns, APatternHoldsAtMost99EntriesBeforeItsEnd) {
    std::string line = "p5:";
    for (int i = 0; i < 150; ++i) line += "c4,";
    load_score(line + "\n");
    EXPECT_EQ(pattern_entries_of(5).size(), 99u);
    EXPECT_EQ(synth.score.pattern_table[5][99], entry_end);

    // A command whose argument would take the last slot is left out whole,
    // so no argument is ever separated from its command.
    line = "p6:";
    for (int i = 0; i < 98; ++i) line += "0,";
    load_score(line + "vol,50,c4\n");
    EXPECT_EQ(pattern_entries_of(6).size(), 98u);
    EXPECT_EQ(synth.score.pattern_table[6][98], entry_end);
}

TEST(ScorePatterns, NumbersOutsideTheTableDropTheLine) {
    load_score("p1000:c4\np-1:c4\np999:d4\np:a3\n");
    EXPECT_EQ(pattern_entries_of(999), (Entries{d4}));
    EXPECT_EQ(pattern_entries_of(0), (Entries{a3}));  // "p" alone reads number 0
    for (int32_t n = 1; n < 999; ++n) ASSERT_EQ(synth.score.pattern_table[n][0], 0) << n;
}

TEST(ScorePatterns, ALaterDefinitionOverwritesFromItsFirstEntry) {
    load_score("p4:c4,c4,c4,c4\np4:d4\n");
    EXPECT_EQ(pattern_entries_of(4), (Entries{d4}));
    EXPECT_EQ(synth.score.pattern_table[4][2], c4);  // beyond the new end marker: not played
}

TEST(ScoreTracks, ItemsNamePatternsFromTheirSecondCharacter) {
    load_score("t1:p7,x7,p23,p0,loop,p5\n");
    EXPECT_EQ(track_items_of(1), (Entries{7, 7, 23, 0, entry_loop, 5}));
}

TEST(ScoreTracks, ItemsThatNameNoPatternAreSkipped) {
    // A leading loop would send the track back to itself for ever.
    load_score("t2:loop,p1000,p-2,p-3,q,p999,loop\n");
    EXPECT_EQ(track_items_of(2), (Entries{0, 999, entry_loop}));
}

TEST(ScoreTracks, ATrackHoldsAtMost99Items) {
    std::string line = "t3:";
    for (int i = 0; i < 120; ++i) line += "p1,";
    load_score(line + "\n");
    EXPECT_EQ(track_items_of(3).size(), 99u);
    EXPECT_EQ(synth.score.track_table[3][99], entry_end);
}

TEST(ScoreTracks, TrackAndInstrumentNumbersOutsideTheVoicesAreIgnored) {
    load_score("t30:p1\nt-1:p1\ni30:kantti,1,1,1,1,0\ni-4:kantti,1,1,1,1,0\nt29:p2\n");
    EXPECT_EQ(track_items_of(29), (Entries{2}));
    for (int32_t n = 0; n < 29; ++n) EXPECT_EQ(synth.score.track_table[n][0], entry_end) << n;
    expect_every_voice_playable();
    for (int32_t n = 0; n < voice_count; ++n) EXPECT_EQ(synth.voices[n].wave_length, 1) << n;
}

TEST(ScoreLines, CommentsNeedTheHashFirstAndUnknownKeysAreIgnored) {
    load_score("#p1:c4\n  # p2:c4\np3:c4#\nx4:c4\nbpmx:10\nq:\n");
    EXPECT_EQ(synth.score.pattern_table[1][0], 0);
    EXPECT_EQ(synth.score.pattern_table[2][0], 0);  // spaces go first, so this is a comment too
    EXPECT_EQ(pattern_entries_of(3), (Entries{0}));  // "c4#" is not a note name
    EXPECT_EQ(synth.clock.samples_per_step, default_samples_per_step);
}

TEST(ScoreLines, TheKeyIsTheFirstPieceThatIsNotEmpty) {
    load_score("::p1:c4,d4\n:::\n:bpm:250\np2\np3::c4\n");
    EXPECT_EQ(pattern_entries_of(1), (Entries{c4, d4}));
    EXPECT_EQ(synth.clock.samples_per_step, 2646);
    EXPECT_EQ(synth.score.pattern_table[2][0], entry_end);  // a key with no list
    EXPECT_EQ(pattern_entries_of(3), (Entries{0}));          // the list is ":c4", no note name
}

TEST(ScoreLines, OnlyTheFirst1000LinesAreReadAndEmptyLinesDoNotCount) {
    std::string text = "\n\n\n";
    for (int i = 0; i < 999; ++i) text += "p" + std::to_string(i) + ":c4\n\n";
    text += "p999:d4\np998:a3\n";
    load_score(text);
    EXPECT_EQ(pattern_entries_of(999), (Entries{d4}));  // line 1000
    EXPECT_EQ(pattern_entries_of(998), (Entries{c4}));  // line 1001 was not read
}

TEST(ScoreLines, NoTextAtAllLeavesEveryVoicePlayable) {
    load_score("");
    expect_every_voice_playable();
    std::srand(1);
    init_synth();
    parse_score(nullptr);
    expect_every_voice_playable();
    EXPECT_TRUE(synth.ready);
}

TEST(ScoreInstruments, FieldsSetLengthPanAndFilter) {
    load_score("bpm:125\ni3:sini,1,12,10,4000,0,-70,50,90\ni4:saha,2,3,4,5,6\ni5:saha,2,3,4,5,6,7,8\n");
    EXPECT_EQ(synth.voices[3].wave_length, 1 + 12 + 10 + 4000 + 1);
    EXPECT_FLOAT_EQ(synth.voices[3].pan, 0.5f);
    EXPECT_FLOAT_EQ(synth.voices[3].lowpass, 0.9f);
    // Without g and h the voice keeps its defaults.
    EXPECT_EQ(synth.voices[4].wave_length, 15);
    EXPECT_FLOAT_EQ(synth.voices[4].pan, 0.75f);
    EXPECT_FLOAT_EQ(synth.voices[4].lowpass, 0.0f);
    EXPECT_FLOAT_EQ(synth.voices[5].pan, 0.08f);
    EXPECT_FLOAT_EQ(synth.voices[5].lowpass, 0.0f);  // only the pan was given
    EXPECT_FLOAT_EQ(synth.voices[1].pan, 0.25f);     // odd voices default to the right
    EXPECT_EQ(synth.voices[3].echo_ring_length, 15876);
}

TEST(ScoreInstruments, BlanksAroundNumbersChangeNothing) {
    load_score("i1:saha,1,4,1,3000,200,5,20,2\n");
    const std::vector<float> plain(synth.voices[1].wave_buffer,
                                   synth.voices[1].wave_buffer + synth.voices[1].wave_length);
    load_score("i1: saha , 1 ,4, 1,  3 000 ,200 , 5,2 0, 2 \r\n");
    const std::vector<float> spaced(synth.voices[1].wave_buffer,
                                    synth.voices[1].wave_buffer + synth.voices[1].wave_length);
    EXPECT_EQ(plain, spaced);
    EXPECT_FLOAT_EQ(synth.voices[1].pan, 0.2f);
}

TEST(ScoreInstruments, AnUnknownWaveWordRepeatsThePreviousWave) {
    // e = 0 and a sustain of level 1 make the buffer the base wave itself:
    // attack 1 (level 0 -> 1), no decay, sustain 200.
    load_score("i1:saha,1,0,200,1,0\ni2:Saha,1,0,200,1,0\ni3:kohina,1,0,200,1,0\n"
               "i5:whatever,1,0,200,1,0\n");
    for (int j = 1; j < 168; ++j) {
        ASSERT_EQ(synth.voices[2].wave_buffer[j], synth.fixed.saw[j]) << j;
        ASSERT_EQ(synth.voices[5].wave_buffer[j], synth.fixed.noise[j]) << j;
    }
    // Before any instrument line there is nothing to repeat: square.
    load_score("i1:sinus,1,0,200,1,0\n");
    for (int j = 1; j < 168; ++j) ASSERT_EQ(synth.voices[1].wave_buffer[j], synth.fixed.square[j]) << j;
}

TEST(ScoreInstruments, MissingRequiredNumbersReadAsZero) {
    load_score("i1:kantti,5\ni:sini\n");
    EXPECT_EQ(synth.voices[1].wave_length, 6);  // 5 + 0 + 0 + 0 + 1
    EXPECT_EQ(synth.voices[0].wave_length, 1);  // "i" alone is instrument 0
    expect_every_voice_playable();
}

TEST(ScoreInstruments, ARedefinedInstrumentReplacesItsBufferAndSilencesTheVoice) {
    load_score("i2:kantti,10,0,0,10,0\n");
    synth.voices[2].phase = 15.0f;  // as if a note were playing
    std::string again = "i2:kantti,2,0,0,2,0\n";
    parse_score(again.data());
    EXPECT_EQ(synth.voices[2].wave_length, 5);
    EXPECT_LT(synth.voices[2].phase, 0.0f);  // no note may read past the new buffer
}
