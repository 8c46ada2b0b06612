// The audio callback: buffer handling, the sequencer step, the mix and its
// mapping to 16-bit samples, song_bar and the trigger counts.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "synth_test_util.h"

#if defined(__SSE__)
#include <xmmintrin.h>
#endif

namespace {
// One held saw note on voice 1, all on the left, no filter: the left sum is
// the buffer's own value, which the tests can set.
const char* flat_voice = "bpm:125\ni1:kantti,1,0,100000,1,0,0,100,0\np1:c4\nt1:p1\n";

int16_t left_sample_for_sum(float sum) {
    load_score(flat_voice);
    for (int32_t i = 0; i < synth.voices[1].wave_length; ++i) synth.voices[1].wave_buffer[i] = sum;
    return render(1)[0];
}

double peak(const std::vector<int16_t>& s, int64_t from_frame, int64_t to_frame, int channel) {
    double p = 0;
    for (int64_t f = from_frame; f < to_frame; ++f) p = std::max(p, std::fabs(double(s[2 * f + channel])));
    return p;
}
}  // namespace

TEST(AudioCallback, ShortLengthsWriteWholeFramesOnly) {
    load_score(std::string("bpm:125\n") + song_instruments() + "p1:c2\nt1:p1\n");
    uint8_t bytes[12];
    for (uint8_t& b : bytes) b = 0xAB;
    for (int len : {-4, 0, 1, 3}) audio_callback(nullptr, bytes, len);
    for (uint8_t b : bytes) ASSERT_EQ(b, 0xAB);
    EXPECT_EQ(synth.clock.sample_counter, 0);
    EXPECT_EQ(synth.voices[1].track_pos, -1);  // not even the first step was taken
    EXPECT_EQ(synth.voices[1].trigger_count.load(), 10000000);

    audio_callback(nullptr, bytes, 7);  // one frame; the three spare bytes stay untouched
    EXPECT_EQ(synth.clock.sample_counter, 1);
    for (int i = 4; i < 12; ++i) EXPECT_EQ(bytes[i], 0xAB) << i;
    EXPECT_EQ(synth.voices[1].track_pos, 0);
    audio_callback(nullptr, bytes, 8);
    EXPECT_EQ(synth.clock.sample_counter, 3);
}

TEST(AudioCallback, BeforeAnyScoreItWritesSilenceAndTheSongDoesNotMove) {
    uint8_t bytes[64];
    for (uint8_t& b : bytes) b = 0xAB;
    audio_callback(nullptr, bytes, sizeof bytes);
    for (uint8_t b : bytes) ASSERT_EQ(b, 0);
    EXPECT_EQ(synth.clock.sample_counter, 0);
    EXPECT_EQ(song_bar.load(), 0);
}

TEST(AudioCallback, FirstFrameStartsEveryTrackAndTheSongsBassNote) {
    std::srand(1);
    init_synth();
    parse_score();
    render(1);
    EXPECT_FLOAT_EQ(synth.voices[1].step, 65.0f / 262.0f);  // c2
    EXPECT_NEAR(synth.voices[1].step, 0.2481f, 1e-4f);
    EXPECT_FLOAT_EQ(synth.voices[1].phase, synth.voices[1].step);  // one frame played
    EXPECT_EQ(synth.voices[1].trigger_count.load(), 0);
    for (int32_t j = 1; j <= 18; ++j) EXPECT_EQ(synth.voices[j].track_pos, 0) << "voice " << j;
    EXPECT_EQ(synth.voices[19].track_pos, -1);  // instrument 19 has no track
}

TEST(AudioCallback, ACommandStepStartsNoNoteAndAVolumeAppliesAtOnce) {
    const std::string head = "bpm:125\ni1:saha,1,0,100000,1,0,0,100,0\n";
    load_score(head + "p1:c4,0,0,0\nt1:p1\n");
    const std::vector<int16_t> plain = render(3 * step_frames);
    load_score(head + "p1:c4,vol,50,echo1,0\nt1:p1\n");
    const std::vector<int16_t> quiet = render(3 * step_frames);
    for (int64_t f = 0; f < step_frames; ++f) ASSERT_EQ(quiet[2 * f], plain[2 * f]) << f;
    // From step 1 on, the same note goes on at half the level.
    for (int64_t f = step_frames; f < 3 * step_frames; ++f) ASSERT_NEAR(quiet[2 * f], plain[2 * f] / 2, 1) << f;
    EXPECT_GT(peak(quiet, 2 * step_frames, 3 * step_frames, 0), 1000);  // still sounding
    EXPECT_EQ(synth.voices[1].trigger_count.load(), 2);  // steps since the note
    EXPECT_EQ(synth.voices[1].echo_on, 1);
    EXPECT_FLOAT_EQ(synth.voices[1].volume, 0.5f);
}

TEST(AudioCallback, ANoteOnASoundingVoiceRestartsItsBuffer) {
    load_score("bpm:125\ni1:saha,1,0,100000,1,0\np1:c4,c4\nt1:p1\n");
    render(step_frames + 1);
    EXPECT_FLOAT_EQ(synth.voices[1].phase, synth.voices[1].step);  // back at 0, then one frame
    EXPECT_EQ(synth.voices[1].trigger_count.load(), 0);
}

TEST(AudioCallback, StopSilencesTheVoiceButItsEchoGoesOnDecaying) {
    // Voice 1 sounds with echo on during steps 1 and 2, then stops. No
    // filter, all left: the left channel is the echo alone afterwards.
    load_score("bpm:125\ni1:saha,1,0,100000,1,0,0,100,0\np1:echo1,c4,0,stop,0,0,0,0,0,0,0,0\nt1:p1\n");
    const std::vector<int16_t> s = render(12 * step_frames);
    EXPECT_LT(synth.voices[1].phase, 0.0f);
    const int64_t delay = 15876 - 1;  // the echo comes back after echo_length - 1 frames
    const double first = peak(s, 3 * step_frames + step_frames, 3 * step_frames + 2 * step_frames, 0);
    const double second = peak(s, 3 * step_frames + step_frames + delay, 3 * step_frames + 2 * step_frames + delay, 0);
    EXPECT_GT(first, 500);  // silent voice, audible echo
    EXPECT_NEAR(second / first, 0.6, 0.01);  // each pass 0.6 of the last
    EXPECT_EQ(s[2 * 3 * step_frames + 1], 0);  // nothing on the right
}

TEST(AudioCallback, EchoOffStopsFeedingTheRing) {
    load_score("bpm:125\ni1:saha,1,0,100000,1,0,0,100,0\np1:c4,0,0,stop,0,0,0,0\nt1:p1\n");
    const std::vector<int16_t> s = render(8 * step_frames);
    // Without echo1 the ring never takes sound: silence once stopped.
    for (int64_t f = 3 * step_frames; f < 8 * step_frames; ++f) ASSERT_EQ(s[2 * f], 0) << f;
}

TEST(AudioCallback, SumsMapToSamplesWithFullScaleAtThree) {
    EXPECT_EQ(left_sample_for_sum(3.5f), 32766);
    EXPECT_EQ(left_sample_for_sum(-3.5f), -32766);
    EXPECT_EQ(left_sample_for_sum(3.0f), 32766);
    EXPECT_EQ(left_sample_for_sum(-3.0f), -32766);
    EXPECT_EQ(left_sample_for_sum(1.0f), 10922);
    EXPECT_EQ(left_sample_for_sum(-1.0f), -10922);
    EXPECT_EQ(left_sample_for_sum(-0.00005f), 0);  // truncation toward zero
    EXPECT_EQ(left_sample_for_sum(0.5f), 5461);
    EXPECT_EQ(left_sample_for_sum(std::numeric_limits<float>::infinity()), 32766);
    EXPECT_EQ(left_sample_for_sum(-std::numeric_limits<float>::infinity()), -32766);
    EXPECT_EQ(left_sample_for_sum(std::numeric_limits<float>::quiet_NaN()), 0);
}

TEST(AudioCallback, PanSplitsAVoiceBetweenTheChannels) {
    load_score("bpm:125\ni1:kantti,1,0,100000,1,0,0,75,0\np1:c4\nt1:p1\n");
    for (int32_t i = 0; i < synth.voices[1].wave_length; ++i) synth.voices[1].wave_buffer[i] = 1.0f;
    const std::vector<int16_t> s = render(2);
    EXPECT_EQ(s[0], 8191);  // 0.75 x 10922, truncated
    EXPECT_EQ(s[1], 2730);  // 0.25 x 10922
}

TEST(AudioCallback, RunawayInputStillGivesSamplesInsideFullScale) {
    // A filter coefficient of 5 and a huge volume overflow to infinity and
    // then NaN; the output stays defined.
    load_score("bpm:125\ni1:kantti,1,0,100000,1,0,0,50,500\np1:vol,2000000000,c4\nt1:p1\n");
    const std::vector<int16_t> s = render(3 * step_frames);
    for (int16_t x : s) ASSERT_TRUE(x >= -32766 && x <= 32766);
}

TEST(AudioCallback, WithTrackOneEmptyItIsSilentYetSongBarAdvances) {
    load_score(std::string("bpm:125\n") + song_instruments() + "p1:c4,c4,c4,c4\nt2:p1,p1,p1,p1,p1\n");
    const std::vector<int16_t> s = render(bar_frames + 100);
    for (int16_t x : s) ASSERT_EQ(x, 0);
    EXPECT_EQ(song_bar.load(), 1);
    EXPECT_EQ(synth.voices[2].trigger_count.load(), 10000000);  // no voice is played
}

TEST(AudioCallback, SongBarIsTheBarOfTheLastBoundaryAndIsWrittenPerCall) {
    load_score(std::string("bpm:125\n") + song_instruments() + "p1:c4\nt1:p1\n");
    render(bar_frames);  // steps 0..15
    EXPECT_EQ(song_bar.load(), 0);
    render(1);  // step 16
    EXPECT_EQ(song_bar.load(), 1);
    song_bar.store(99);
    render(100);  // no boundary inside: song_bar is not written
    EXPECT_EQ(song_bar.load(), 99);
    render(2 * bar_frames, 2 * bar_frames);  // crosses steps 17..48 in one call
    EXPECT_EQ(song_bar.load(), 3);
}

TEST(AudioCallback, TriggerCountIsStepsSinceTheVoicesLastNote) {
    load_score(std::string("bpm:125\n") + song_instruments() + "p1:c4,0,0,c4,0\np2:0,0,0,0\nt1:p1\nt2:p2\n");
    const int32_t expected1[] = {0, 1, 2, 0, 1, 2, 3};  // p1 ends; counting goes on
    for (int step = 0; step < 7; ++step) {
        render(step_frames);
        EXPECT_EQ(synth.voices[1].trigger_count.load(), expected1[step]) << "step " << step;
        EXPECT_EQ(synth.voices[2].trigger_count.load(), 10000001 + step) << "step " << step;
    }
    EXPECT_EQ(synth.voices[1].track_pos, -2);  // the track ended after its one pattern
}

TEST(AudioCallback, PlayedVoicesRunUpToTheFirstEmptyTrack) {
    load_score(std::string("bpm:125\n") + song_instruments() + "p1:c4\nt1:p1\nt2:p1\nt3:p1\nt5:p1\n");
    EXPECT_EQ(played_voice_count(), 3);
    render(1);
    EXPECT_EQ(synth.voices[3].trigger_count.load(), 0);
    EXPECT_EQ(synth.voices[5].trigger_count.load(), 10000000);  // after the gap: never played
    load_score(std::string("bpm:125\n") + song_instruments() + "p1:c4\nt2:p1\n");
    EXPECT_EQ(played_voice_count(), 0);
}

TEST(AudioCallback, AnyBufferSizeGivesTheSameSamples) {
    std::srand(1);
    init_synth();
    parse_score();
    const std::vector<int16_t> reference = render(3 * bar_frames, 4096);
    for (int64_t size : {1, 7, 1023, 1025, 4095, 5293, 100000}) {
        std::srand(1);
        init_synth();
        parse_score();
        ASSERT_EQ(render(3 * bar_frames, size), reference) << "buffers of " << size << " frames";
    }
}

TEST(AudioCallback, LeavesTheCallersFloatingPointModeAlone) {
#if defined(__SSE__)
    load_score(std::string("bpm:125\n") + song_instruments() + "p1:c4\nt1:p1\n");
    const unsigned before = _mm_getcsr();
    render(10);
    EXPECT_EQ(_mm_getcsr(), before);
#else
    GTEST_SKIP() << "no SSE control register on this machine";
#endif
}

TEST(AudioCallbackTables, AnUndefinedPatternPlaysAsHoldsUpToTheEndOfTheTable) {
    // Pattern 500 was never defined: 100 hold steps, then the next pattern.
    load_score(std::string("bpm:125\n") + song_instruments() + "p1:c4\nt1:p500,p1\n");
    render(100 * step_frames);
    EXPECT_EQ(synth.voices[1].trigger_count.load(), 10000100);
    render(1);
    EXPECT_EQ(synth.voices[1].trigger_count.load(), 0);
    EXPECT_EQ(synth.voices[1].track_pos, 1);
}

TEST(AudioCallbackTables, AnEmptyPatternTakesOneHoldStep) {
    load_score(std::string("bpm:125\n") + song_instruments() + "p1:c4\np2:\nt1:p2,p2,p1\n");
    render(2 * step_frames);
    EXPECT_EQ(synth.voices[1].trigger_count.load(), 10000002);
    render(1);
    EXPECT_EQ(synth.voices[1].trigger_count.load(), 0);
}

TEST(AudioCallbackTables, ALoopSendsTheTrackBackToItsFirstPattern) {
    load_score(std::string("bpm:125\n") + song_instruments() + "p1:c4,0\np2:0,d4,0\nt1:p1,p2,loop\n");
    // p1 then p2 make a 5-step cycle with notes on steps 0 and 3.
    for (int step = 0; step < 20; ++step) {
        render(step_frames);
        const int32_t since = (step % 5 >= 3) ? step % 5 - 3 : step % 5;
        ASSERT_EQ(synth.voices[1].trigger_count.load(), since) << "step " << step;
    }
}

TEST(AudioCallbackTables, AVoiceWithoutAnInstrumentIsSilent) {
    const std::string head = "bpm:125\ni1:saha,1,0,3000,1000,0\np1:c4,0,e4,0\np2:0,0,0,0\n";
    load_score(head + "t1:p1\nt2:p1\n");  // voice 2 has notes but no instrument line
    const std::vector<int16_t> with_notes = render(4 * step_frames);
    load_score(head + "t1:p1\nt2:p2\n");
    EXPECT_EQ(render(4 * step_frames), with_notes);
}

TEST(AudioCallbackTables, ASlideBelowTheStartSilencesTheNote) {
    load_score("bpm:125\ni1:saha,1,0,100000,1,0\np1:sld,-100000,c4\nt1:p1\n");
    render(step_frames + 3);  // the step falls by 1 per frame: 1 -> 0 -> -1
    EXPECT_LT(synth.voices[1].phase, 0.0f);
    EXPECT_FLOAT_EQ(synth.voices[1].slide, -1.0f);
}
