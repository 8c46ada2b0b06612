// The note-trigger pulse: when it starts, its shape, what it ignores.
#include <gtest/gtest.h>

#include <cmath>

#include "synth_test_util.h"

namespace {
constexpr float peak_time = 0.0411f, end_time = 0.1645f;  // (pi/2)^2 / 60 and pi^2 / 60 seconds
void note(int32_t voice) { synth.voices[voice].trigger_count.store(0); }        // as the callback does
void steps(int32_t voice, int n) { synth.voices[voice].trigger_count += n; }  // steps without a note
}  // namespace

TEST(BeatPulse, StartsAtTheFirstQueryAfterANoteRisesToOneAndEnds) {
    load_score("");
    for (int i = 0; i < 20; ++i, steps(3, 1)) EXPECT_EQ(beat_pulse(3, 0.01f * i), 0.0f);  // no note yet
    note(3);
    EXPECT_EQ(beat_pulse(3, 2.0f), 0.0f);  // noticed now: sin 0
    EXPECT_NEAR(beat_pulse(3, 2.01f), std::sin(std::sqrt(0.6)), 1e-4);
    EXPECT_NEAR(beat_pulse(3, 2.0f + peak_time), 1.0f, 1e-4f);
    EXPECT_NEAR(beat_pulse(3, 2.1f), std::sin(std::sqrt(6.0)), 1e-3);
    EXPECT_GT(beat_pulse(3, 2.0f + end_time - 0.002f), 0.0f);
    EXPECT_EQ(beat_pulse(3, 2.0f + end_time + 0.001f), 0.0f);
    EXPECT_EQ(beat_pulse(3, 2.05f), 0.0f);  // ended for good
    EXPECT_EQ(beat_pulse(4, 2.05f) + beat_pulse(30, 2.05f), 0.0f);  // other voices: their own pulse, or none
}

TEST(BeatPulse, OnePulsePerRunAndNotesBeforeTheFirstQueryGoUnnoticed) {
    load_score("");
    note(4);
    steps(4, 5);
    EXPECT_EQ(beat_pulse(4, 0.0f) + beat_pulse(4, 0.02f), 0.0f);  // that note was before any query
    note(4);
    beat_pulse(4, 1.0f);
    note(4);  // notes on consecutive steps, and one during the pulse: dropped
    steps(4, 3);
    beat_pulse(4, 1.05f);
    note(4);
    EXPECT_GT(beat_pulse(4, 1.1f), 0.0f);
    EXPECT_EQ(beat_pulse(4, 1.0f + end_time + 0.001f) + beat_pulse(4, 1.3f), 0.0f);
    steps(4, 2);
    beat_pulse(4, 4.0f);
    note(4);  // callers on different clocks share the pulse
    EXPECT_EQ(beat_pulse(4, 5.0f), 0.0f);
    EXPECT_NEAR(beat_pulse(4, 5.0f + peak_time), 1.0f, 1e-4f);
    EXPECT_EQ(beat_pulse(4, 3.0f) + beat_pulse(4, 5.05f), 0.0f);  // a clock behind the start ends it
}

TEST(BeatPulse, FollowsTheSongsSnare) {
    load_song();  // voice 4 hits on steps 4 and 12; one query per buffer
    int pulses = 0;
    for (int buffer = 0; buffer < 42; ++buffer) {  // two bars
        render(4096);
        const float p = beat_pulse(4, (buffer + 1) * 4096 / 44100.0f);
        ASSERT_TRUE(p >= 0.0f && p <= 1.0f);
        pulses += p > 0;  // a pulse spans two queries and shows in the second
    }
    EXPECT_EQ(pulses, 4);
}
