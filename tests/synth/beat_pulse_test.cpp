// The note-trigger pulse: when it starts, its shape, and what it ignores.
#include <gtest/gtest.h>

#include <cmath>

#include "synth_test_util.h"

namespace {
constexpr float peak_time = 0.0411f;  // (pi / 2)^2 / 60 s
constexpr float end_time = 0.1645f;   // pi^2 / 60 s

// What the callback does on a note step and on other steps.
void note(int32_t voice) { synth.voices[voice].trigger_count.store(0); }
void steps(int32_t voice, int32_t n) { synth.voices[voice].trigger_count.fetch_add(n); }
}  // namespace

TEST(BeatPulse, NoPulseBeforeTheVoicesFirstNote) {
    load_score("");
    for (int i = 0; i < 50; ++i) {
        steps(4, 1);  // 10000001, 10000002, ...
        EXPECT_EQ(beat_pulse(4, 0.01f * i), 0.0f);
    }
}

TEST(BeatPulse, StartsAtTheFirstQueryAfterANoteRisesToOneAndEnds) {
    load_score("");
    EXPECT_EQ(beat_pulse(3, 1.0f), 0.0f);
    note(3);
    EXPECT_EQ(beat_pulse(3, 2.0f), 0.0f);  // noticed now: sin 0
    EXPECT_NEAR(beat_pulse(3, 2.0f + 0.01f), std::sin(std::sqrt(0.6)), 1e-4);
    EXPECT_NEAR(beat_pulse(3, 2.0f + peak_time), 1.0f, 1e-4f);
    EXPECT_NEAR(beat_pulse(3, 2.1f), std::sin(std::sqrt(6.0)), 1e-3);  // falling, slower than it rose
    EXPECT_GT(beat_pulse(3, 2.0f + end_time - 0.002f), 0.0f);
    EXPECT_EQ(beat_pulse(3, 2.0f + end_time + 0.001f), 0.0f);
    EXPECT_EQ(beat_pulse(3, 2.0f + 0.05f), 0.0f);  // ended: an earlier time does not revive it
}

TEST(BeatPulse, NotesOnConsecutiveStepsGiveOnePulse) {
    load_score("");
    beat_pulse(4, 0.0f);
    note(4);
    EXPECT_EQ(beat_pulse(4, 1.0f), 0.0f);
    note(4);  // the next step is a note again: the count reads 0 once more
    EXPECT_GT(beat_pulse(4, 1.02f), 0.0f);
    EXPECT_EQ(beat_pulse(4, 1.2f), 0.0f);  // pulse over
    steps(4, 1);
    EXPECT_EQ(beat_pulse(4, 1.3f), 0.0f);  // no new note, no new pulse
}

TEST(BeatPulse, ANoteDuringARunningPulseIsDropped) {
    load_score("");
    beat_pulse(4, 0.0f);
    note(4);
    beat_pulse(4, 1.0f);
    steps(4, 3);
    beat_pulse(4, 1.05f);
    note(4);  // arrives while the first pulse still runs
    EXPECT_GT(beat_pulse(4, 1.1f), 0.0f);
    EXPECT_EQ(beat_pulse(4, 1.0f + end_time + 0.001f), 0.0f);  // the first one ends on time
    EXPECT_EQ(beat_pulse(4, 1.3f), 0.0f);  // and nothing follows
}

TEST(BeatPulse, TheFirstQueryAfterEarlierNotesDoesNotStartAPulse) {
    load_score("");
    note(3);
    steps(3, 5);  // a note some steps ago, never queried
    EXPECT_EQ(beat_pulse(3, 10.0f), 0.0f);
    EXPECT_EQ(beat_pulse(3, 10.02f), 0.0f);
    note(3);
    EXPECT_EQ(beat_pulse(3, 11.0f), 0.0f);
    EXPECT_GT(beat_pulse(3, 11.02f), 0.0f);
}

TEST(BeatPulse, CallersWithDifferentClocksShareOnePulse) {
    load_score("");
    beat_pulse(4, 0.0f);
    note(4);
    EXPECT_EQ(beat_pulse(4, 5.0f), 0.0f);                     // caller A notices, on its clock
    EXPECT_NEAR(beat_pulse(4, 5.0f + peak_time), 1.0f, 1e-4f);  // caller B on the same clock sees the peak
    EXPECT_EQ(beat_pulse(4, 3.5f), 0.0f);                     // a caller whose clock is behind ends it
    EXPECT_EQ(beat_pulse(4, 5.05f), 0.0f);
}

TEST(BeatPulse, VoicesHaveTheirOwnPulsesAndOthersGiveZero) {
    load_score("");
    beat_pulse(3, 0.0f);
    beat_pulse(4, 0.0f);
    note(3);
    beat_pulse(3, 1.0f);
    beat_pulse(4, 1.0f);
    EXPECT_GT(beat_pulse(3, 1.03f), 0.0f);
    EXPECT_EQ(beat_pulse(4, 1.03f), 0.0f);
    EXPECT_EQ(beat_pulse(-1, 1.0f), 0.0f);
    EXPECT_EQ(beat_pulse(30, 1.0f), 0.0f);
}

TEST(BeatPulse, FollowsTheSongsSnareThroughTheCallback) {
    // Voice 4 of the song hits on steps 4 and 12. Query once per 4096-frame
    // buffer with the buffer's time, as a frame loop would.
    std::srand(1);
    init_synth();
    parse_score();
    int pulses = 0;
    float previous = 0;
    for (int buffer = 0; buffer < 42; ++buffer) {  // two bars
        render(4096);
        const float t = (buffer + 1) * 4096 / 44100.0f;
        const float p = beat_pulse(4, t);
        if (p > 0 && previous == 0) ++pulses;
        previous = p;
        // Any value is a swell: between 0 and 1.
        ASSERT_GE(p, 0.0f);
        ASSERT_LE(p, 1.0f);
    }
    EXPECT_EQ(pulses, 4);
}
