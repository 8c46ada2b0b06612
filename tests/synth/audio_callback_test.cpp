// The audio callback: buffers, the sequencer step, the mix and its 16-bit
// mapping, song_bar and trigger counts; then the beat pulse that follows the
// notes.
#include <gtest/gtest.h>

#include <cmath>

#include "synth/audio_driver.h"
#include "synth_test_util.h"

namespace {
int32_t triggers(int32_t voice) { return synth.voices[voice].trigger_count.load(); }

// Voice 1 alone playing pattern `tokens` on a saw held for 100002 samples,
// every sample replaced by `level`, so that a sounding note adds `level` to
// the sums; all left and unfiltered unless `mix` ("g,h") says otherwise.
void load_flat(const std::string& tokens, float level = 1, const std::string& mix = "100,0") {
    load_score("i1:saha,1,0,100000,1,0,0," + mix + "\np1:" + tokens + "\nt1:p1\n");
    std::fill_n(synth.voices[1].wave_buffer, synth.voices[1].wave_length, level);
}

constexpr float peak_time = 0.0411f, end_time = 0.1645f;  // beat pulse: (pi/2)^2 / 60 and pi^2 / 60 seconds
void note(int32_t voice) { synth.voices[voice].trigger_count.store(0); }        // as the callback does
void steps(int32_t voice, int n) { synth.voices[voice].trigger_count += n; }  // steps without a note
}  // namespace

TEST(AudioCallback, WritesWholeFramesOnlyAndTakesTheFirstStepAtFrameZero) {
    load_song();
    std::vector<uint8_t> bytes(8, 0xAB);
    for (int len : {-4, 0, 3}) audio_callback(nullptr, bytes.data(), len);
    EXPECT_EQ(std::tuple(bytes[0], synth.clock.sample_counter, synth.voices[1].track_pos), std::tuple(0xAB, 0, -1));
    audio_callback(nullptr, bytes.data(), 7);  // one frame, the spare bytes untouched; every voice starts its track
    EXPECT_EQ(std::pair(synth.clock.sample_counter, int(bytes[4])), std::pair(int64_t{1}, 0xAB));
    for (int32_t v = 1; v <= played_voice_count(); ++v) EXPECT_EQ(synth.voices[v].track_pos, 0) << v;
}

TEST(AudioCallback, CommandsEchoFilterSlideAndPanShapeTheMixWhichMapsFullScaleToThree) {
    // A sounding note adds 1.0 (10922), worked out by hand at these frames:
    // echo1 starts no note (0); c4 at frame 5292 (1.0) feeds the ring 0.2 x 1;
    // vol 50 halves it at once (0.5); the echo comes back echo_length - 1
    // frames after it went in (1.2 x 0.5); stop at frame 21168 leaves the
    // echo (0.2 x 0.5), which fades by 0.6 a pass (0.12 x 0.5), while echo0
    // at step 3 fed nothing more (0 one pass after it).
    load_flat("echo1,c4,vol,50,echo0,stop,0,0,0,0,0,0,0");
    const Samples s = render(8 * step_frames);
    Samples left;
    for (int64_t f : {5291, 5292, 10584, 21167, 21168, 31751, 37044}) left.push_back(s[2 * f]);
    EXPECT_EQ(left, (Samples{0, 10922, 5461, 6553, 1092, 0, 655}));
    load_flat("c4", 1, "100,25");  // e x 0.75 + 0.25 x the previous output: 0.75, 0.9375, 0.984375
    EXPECT_EQ(render(3), (Samples{8191, 0, 10239, 0, 10751, 0}));
    load_flat("sld,1000,c4");  // 100 frames into the note: the step grew by 0.01 after each
    render(step_frames + 100);
    EXPECT_NEAR(synth.voices[1].step, 261 / 262.0 + 1.0, 1e-4);
    EXPECT_NEAR(synth.voices[1].phase, 100 * 261 / 262.0 + 0.01 * 4950, 1e-3);
    // Sums map to samples with full scale at 3; the pan splits a voice.
    const std::pair<float, int16_t> cases[] = {{3.5f, 32766}, {-3.5f, -32766}, {3.0f, 32766},      {1.0f, 10922},
                                               {-0.00005f, 0}, {INFINITY, 32766}, {-INFINITY, -32766}, {NAN, 0}};
    for (const auto& [sum, sample] : cases) {
        load_flat("c4", sum);
        EXPECT_EQ(render(1)[0], sample) << sum;
    }
    load_flat("c4", 1, "75,0");
    EXPECT_EQ(render(1), (Samples{8191, 2730}));
}

TEST(AudioCallback, SongBarAndTriggerCountsFollowTheStepsThroughLoopsAndEnds) {
    // Track 1 loops back to its first pattern after step 4; track 2 has
    // ended after step 1, and its voice, which never plays a note, counts on.
    load_score("i1:saha,1,0,100000,1,0\np1:c4,0,0,c4,0\np2:0\nt1:p1,loop\nt2:p2,p2\nt4:p1\n");
    const int32_t expected[] = {0, 1, 2, 0, 1, 0, 1};
    for (int step = 0; step < 7; ++step) {
        render(step_frames);
        EXPECT_EQ(triggers(1), expected[step]) << step;
        EXPECT_EQ(triggers(2), 10000001 + step) << step;
    }
    EXPECT_EQ(triggers(4), 10000000);  // after the empty track 3: not played
    render(bar_frames - 7 * step_frames);
    EXPECT_EQ(song_bar.load(), 0);
    render(1);  // step 16
    EXPECT_EQ(song_bar.load(), 1);
    render(2 * bar_frames, 2 * bar_frames);  // the last boundary of the call counts
    EXPECT_EQ(song_bar.load(), 3);
    load_score("i2:saha,1,0,100000,1,0\np1:c4\nt2:p1\n");  // track 1 empty: silence, yet the song goes on
    const Samples silent = render(bar_frames + 1);
    EXPECT_EQ(std::count(silent.begin(), silent.end(), 0), int64_t(silent.size()));
    EXPECT_EQ(song_bar.load(), 1);
}

TEST(AudioCallback, AnyBufferSizeGivesTheSameSamples) {
    load_song();
    const Samples reference = render(3 * bar_frames);
    for (int64_t size : {1, 7, 1023, 1025, 5293, 100000}) {
        load_song();
        ASSERT_EQ(render(3 * bar_frames, size), reference) << size;
    }
}

// A caller sizes its output by the frames it asks for; the callback still
// runs in whole device buffers, and what a call does not hand on comes first
// in the next.
TEST(AudioDriver, HandsOnExactlyTheFramesAskedForWhileTheCallbackRunsWholeBuffers) {
    load_song();
    const Samples reference = render(3 * bar_frames);
    load_song();
    AudioDriver driver;
    constexpr int16_t guard = 0x5A5A;
    Samples out(2 * 1000 + 64, guard), got;
    auto take = [&](int64_t frames, size_t room) {
        const int64_t n = drive_audio_until(driver, frames, std::span(out.data(), room));
        got.insert(got.end(), out.begin(), out.begin() + 2 * n);
        return n;
    };
    EXPECT_EQ(take(1000, 2000), 1000);
    EXPECT_EQ(std::pair(driver.frames_rendered, synth.clock.sample_counter), std::pair(int64_t{4096}, int64_t{4096}));
    EXPECT_EQ(take(5000, 2000), 1000);  // room for 1000 of the 4000 asked for
    EXPECT_EQ(take(1500, 2000), 0);     // already handed on
    EXPECT_EQ(take(2011, 2000), 11);
    EXPECT_EQ(std::count(out.begin() + 2000, out.end(), guard), 64);
    EXPECT_EQ(drive_audio_until(driver, 10000, nullptr), 10000 - 2011);  // skipped, as a frame driver does
    EXPECT_EQ(driver.frames_rendered, 12288);
    EXPECT_EQ(take(10500, 2000), 500);
    ASSERT_EQ(got.size(), 2u * 2511);
    EXPECT_TRUE(std::equal(got.begin(), got.begin() + 2 * 2011, reference.begin()));
    EXPECT_TRUE(std::equal(got.begin() + 2 * 2011, got.end(), reference.begin() + 2 * 10000));
}

TEST(BeatPulse, StartsAtTheFirstQueryAfterANoteRisesToOneAndEndsOnePulsePerVoiceForAllClocks) {
    load_score("");
    for (int i = 0; i < 20; ++i, steps(3, 1)) EXPECT_EQ(beat_pulse(3, 0.01f * i), 0.0f);  // no note yet
    note(3);
    EXPECT_EQ(beat_pulse(3, 2.0f), 0.0f);  // noticed now: sin 0
    note(3);  // notes on the next step, and during the pulse: no new pulse
    steps(3, 2);
    beat_pulse(3, 2.01f);
    note(3);
    EXPECT_NEAR(beat_pulse(3, 2.0f + peak_time), 1.0f, 1e-4f);
    EXPECT_EQ(beat_pulse(4, 2.05f) + beat_pulse(30, 2.05f), 0.0f);  // other voices: their own pulse, or none
    EXPECT_GT(beat_pulse(3, 2.0f + end_time - 0.002f), 0.0f);
    EXPECT_EQ(beat_pulse(3, 2.0f + end_time + 0.001f), 0.0f);
    EXPECT_EQ(beat_pulse(3, 2.05f) + beat_pulse(3, 2.09f), 0.0f);  // ended for good: nothing new, on any clock
    note(5);
    steps(5, 5);
    EXPECT_EQ(beat_pulse(5, 0.0f) + beat_pulse(5, 0.02f), 0.0f);  // that note came before any query
    note(5);
    EXPECT_EQ(beat_pulse(5, 5.0f), 0.0f);  // the first caller to notice starts it on its clock
    EXPECT_NEAR(beat_pulse(5, 5.0f + peak_time), 1.0f, 1e-4f);
    EXPECT_EQ(beat_pulse(5, 3.0f) + beat_pulse(5, 5.05f), 0.0f);  // a clock behind the start ends it
}
