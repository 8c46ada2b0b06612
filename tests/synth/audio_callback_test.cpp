// The audio callback: buffers, the sequencer step, the mix and its 16-bit
// mapping, song_bar and trigger counts; and the callback against a plain
// frame-by-frame model of the same sound.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "synth_test_util.h"

#if defined(__SSE__)
#include <xmmintrin.h>
#endif

namespace {
const std::string flat_saw = "i1:saha,1,0,100000,1,0,0,100,0\n";  // a held saw, all left, unfiltered
int32_t triggers(int32_t voice) { return synth.voices[voice].trigger_count.load(); }
double peak(const std::vector<int16_t>& s, int64_t from, int64_t frames) {  // left channel
    double p = 0;
    for (int64_t f = from; f < from + frames; ++f) p = std::max(p, std::fabs(double(s[2 * f])));
    return p;
}
}  // namespace

TEST(AudioCallback, WritesWholeFramesOnlyAndNothingBeforeAScore) {
    uint8_t bytes[12];
    std::fill_n(bytes, 12, 0xAB);
    audio_callback(nullptr, bytes, 12);  // no score yet: silence, and the song does not move
    EXPECT_EQ(bytes[11] + synth.clock.sample_counter, 0);
    load_score(flat_saw + "p1:c4\nt1:p1\n");
    std::fill_n(bytes, 12, 0xAB);
    for (int len : {-4, 0, 3}) audio_callback(nullptr, bytes, len);
    EXPECT_EQ(bytes[0], 0xAB);
    EXPECT_EQ(synth.voices[1].track_pos, -1);  // not even the first step
    audio_callback(nullptr, bytes, 7);          // one frame; the spare bytes stay
    EXPECT_EQ(synth.clock.sample_counter, 1);
    EXPECT_EQ(bytes[4], 0xAB);
    EXPECT_EQ(synth.voices[1].track_pos, 0);
}

TEST(AudioCallback, TheSongStartsWithC2OnVoiceOne) {
    load_song();
    render(1);
    EXPECT_FLOAT_EQ(synth.voices[1].step, 65.0f / 262.0f);
    EXPECT_FLOAT_EQ(synth.voices[1].phase, synth.voices[1].step);
    EXPECT_EQ(triggers(1), 0);
}

TEST(AudioCallback, CommandStepsStartNoNoteStopLeavesTheEchoAndNotesRestart) {
    load_score(flat_saw + "p1:c4,0,0,0\nt1:p1\n");
    const std::vector<int16_t> plain = render(3 * step_frames);
    load_score(flat_saw + "p1:c4,vol,50,echo1,c4,stop,0,0,0,0,0,0,0\nt1:p1\n");
    const std::vector<int16_t> s = render(3 * step_frames);
    for (int64_t f = 0; f < 3 * step_frames; ++f)  // the note goes on, at half level from step 1
        ASSERT_NEAR(s[2 * f], f < step_frames ? plain[2 * f] : plain[2 * f] / 2, f < step_frames ? 0 : 1) << f;
    EXPECT_EQ(triggers(1), 2);
    render(1);  // step 3: the same note again, from the start of its buffer
    EXPECT_FLOAT_EQ(synth.voices[1].phase, synth.voices[1].step);
    EXPECT_EQ(triggers(1), 0);
    // Stopped at step 4, the voice is silent, but its echo (fed since step
    // 2) comes back after echo_length - 1 frames and fades by 0.6 a pass.
    const std::vector<int16_t> tail = render(10 * step_frames);
    const int64_t first = 2 * step_frames + 15875 - (3 * step_frames + 1), second = first + 15875;
    EXPECT_GT(peak(tail, first, step_frames), 500);
    EXPECT_NEAR(peak(tail, second, step_frames) / peak(tail, first, step_frames), 0.6, 0.01);
    load_score(flat_saw + "p1:c4,0,stop\nt1:p1\n");  // no echo1: silence after stop
    EXPECT_EQ(peak(render(8 * step_frames), 2 * step_frames, 6 * step_frames), 0);
}

TEST(AudioCallback, SumsMapToSamplesWithFullScaleAtThree) {
    const float inf = std::numeric_limits<float>::infinity();
    const std::pair<float, int16_t> cases[] = {{3.5f, 32766}, {-3.5f, -32766}, {3.0f, 32766}, {1.0f, 10922},
                                               {-0.00005f, 0}, {inf, 32766}, {-inf, -32766}, {NAN, 0}};
    for (const auto& [sum, sample] : cases) {  // one held note of a flat buffer: left = sum
        load_score(flat_saw + "p1:c4\nt1:p1\n");
        std::fill_n(synth.voices[1].wave_buffer, synth.voices[1].wave_length, sum);
        EXPECT_EQ(render(1)[0], sample) << sum;
    }
    load_score("i1:kantti,1,0,10,1,0,0,75,0\np1:c4\nt1:p1\n");  // pan 0.75
    std::fill_n(synth.voices[1].wave_buffer, synth.voices[1].wave_length, 1.0f);
    EXPECT_EQ(render(1), (std::vector<int16_t>{8191, 2730}));
    // A filter that runs away to infinity and NaN still gives defined samples.
    load_score("i1:kantti,1,0,100000,1,0,0,50,500\np1:vol,2000000000,c4\nt1:p1\n");
    for (int16_t x : render(3 * step_frames)) ASSERT_TRUE(x >= -32766 && x <= 32766);
}

TEST(AudioCallback, SongBarAndTriggerCountsFollowTheSteps) {
    load_score(flat_saw + "p1:c4,0,0,c4,0\np2:0\nt1:p1\nt2:p2,p2,p2,p2,p2,p2,p2\nt4:p1\n");
    const int32_t expected[] = {0, 1, 2, 0, 1, 2, 3};  // the track ends after step 4; counting goes on
    for (int step = 0; step < 7; ++step) {
        render(step_frames);
        EXPECT_EQ(triggers(1), expected[step]) << step;
        EXPECT_EQ(triggers(2), 10000001 + step) << step;  // never a note
    }
    EXPECT_EQ(triggers(4), 10000000);  // after the empty track 3: not played
    render(bar_frames - 7 * step_frames);
    EXPECT_EQ(song_bar.load(), 0);
    render(1);  // step 16
    EXPECT_EQ(song_bar.load(), 1);
    song_bar.store(99);
    render(100);  // no boundary in this call: not written
    EXPECT_EQ(song_bar.load(), 99);
    render(2 * bar_frames, 2 * bar_frames);
    EXPECT_EQ(song_bar.load(), 3);
    load_score(flat_saw + "p1:c4\nt2:p1\n");  // track 1 empty: silence, yet the song goes on
    const std::vector<int16_t> silent = render(bar_frames + 1);
    EXPECT_EQ(std::count(silent.begin(), silent.end(), 0), int64_t(silent.size()));
    EXPECT_EQ(song_bar.load(), 1);
}

TEST(AudioCallback, AnyBufferSizeGivesTheSameSamplesAndKeepsTheCallersFloatMode) {
    load_song();
    const std::vector<int16_t> reference = render(3 * bar_frames);
#if defined(__SSE__)
    const unsigned mode = _mm_getcsr();  // the callback flushes denormals only while it runs
#endif
    for (int64_t size : {1, 7, 1023, 1025, 5293, 100000}) {
        load_song();
        ASSERT_EQ(render(3 * bar_frames, size), reference) << size;
    }
#if defined(__SSE__)
    EXPECT_EQ(_mm_getcsr(), mode);
#endif
}

TEST(AudioCallback, TablesOutsideTheLanguagePlaySafely) {
    // An undefined pattern (no end marker) is 100 holds, an empty one a
    // single hold; a loop goes back to the first pattern.
    load_score(flat_saw + "p1:c4,0\np2:\nt1:p500,p2,p1,loop\n");
    render(101 * step_frames);
    EXPECT_EQ(triggers(1), 10000101);
    render(3 * step_frames);  // p1's note and hold, then back into p500
    EXPECT_EQ(triggers(1), 2);
    EXPECT_EQ(synth.voices[1].track_pos, 0);
    const std::string head = "i1:saha,1,0,3000,1000,0\np1:c4,0,e4,0\np2:0\n";  // voice 2 has no instrument
    load_score(head + "t1:p1\nt2:p1\n");
    const std::vector<int16_t> with_notes = render(4 * step_frames);
    load_score(head + "t1:p1\nt2:p2\n");
    EXPECT_EQ(render(4 * step_frames), with_notes);
}

namespace {
// The mix as defined: one frame at a time, every played voice in turn.
struct ModelVoice {
    float state = 0, step = 0, slide = 0, volume = 1, phase = -1;
    bool echo = false;
    int32_t pattern_pos = 0, track_pos = -1;
};

void model_step(ModelVoice& v, const int32_t* track) {
    if (v.track_pos == -2) return;
    int32_t i = ++v.pattern_pos;
    if (v.track_pos == -1 || synth.score.pattern_table[track[v.track_pos]][i] == entry_end) {
        const int32_t next = track[v.track_pos + 1];
        if (next == entry_end) return void(v.track_pos = -2);
        v.track_pos = next == entry_loop ? 0 : v.track_pos + 1;
        v.pattern_pos = i = 0;
    }
    const int32_t* p = synth.score.pattern_table[track[v.track_pos]];
    if (p[i] == command_slide) v.slide = p[i + 1] / 100000.0f, v.pattern_pos = i + 1;
    else if (p[i] == command_volume) v.volume = p[i + 1] / 100.0f, v.pattern_pos = i + 1;
    else if (p[i] == command_stop) v.phase = -1;
    else if (p[i] == command_echo_on || p[i] == command_echo_off) v.echo = p[i] == command_echo_on;
    else if (p[i] > 0) v.phase = 0, v.step = p[i] / 262.0f;
}

std::vector<int16_t> model_render(int64_t frames) {
    int32_t played = 0;
    while (played < 29 && synth.score.track_table[played + 1][0] != entry_end) ++played;
    const int64_t length = synth.clock.echo_length;
    std::vector<ModelVoice> voices(played + 1);
    std::vector<std::vector<float>> rings(played + 1, std::vector<float>(length));
    std::vector<int16_t> out;
    for (int64_t n = 0; n < frames; ++n) {
        float left = 0, right = 0;
        for (int32_t j = 1; j <= played; ++j) {
            ModelVoice& v = voices[j];
            const Voice& s = synth.voices[j];
            if (n % synth.clock.samples_per_step == 0) model_step(v, synth.score.track_table[j]);
            float e = rings[j][(n + 1) % length];
            rings[j][n % length] = 0.6f * e;
            if (v.phase >= 0) {
                e = e + s.wave_buffer[static_cast<int32_t>(v.phase)];
                if (v.echo) rings[j][n % length] = 0.2f * e;
                v.phase += v.step;
                v.step += v.slide;
                if (v.phase >= s.wave_length || v.phase < 0) v.phase = -1;
            }
            if (s.lowpass != 0) e = e * (1.0f - s.lowpass) + s.lowpass * v.state;
            v.state = e;
            left += e * v.volume * s.pan;
            right += e * v.volume * (1.0f - s.pan);
        }
        for (float sum : {left, right}) out.push_back(sum < -3 ? -32766 : int16_t(std::min(sum, 3.0f) * 10922.0f));
    }
    return out;
}
}  // namespace

TEST(AudioCallback, MatchesTheFrameByFrameModel) {
    // The callback mixes in runs between step boundaries, voice by voice,
    // skips idle voices and splits runs where the echo rings wrap. Six
    // voices with every command, at the song's tempo and at tempos whose
    // steps are much shorter (many ring wraps) or longer than a run.
#if defined(__SSE__)
    _mm_setcsr(_mm_getcsr() | 0x8040u);  // the model too flushes denormals to zero
#endif
    const std::string score =
        song_instruments() +
        "p1:c2,0,c3,0,g2,0,c3,stop,vol,80,c2,0,0,sld,3,a2,0,0,0\np2:echo1,c5,0,0,echo0,c5,0,0,stop,0,echo1,g5,sld,-2,e5,0\n"
        "p3:a3,0,0,0,0,0,0,a3,0,0,a3,0,0,0,0,0\np4:vol,70,0,0,0,c3,0,0,0,0,0,0,0,c3,0,0,0\n"
        "p5:e4,0,0,0,g4,0,0,0,vol,150,c5,0,0,0,0,0\np6:c4,0,0,0,0,0,0,0,echo1,0,0,0,stop,0,0,0\n"
        "t1:p1,p1,loop\nt2:p2,p2\nt3:p3,loop\nt4:p4,p4,p4\nt5:p5,p6\nt6:p6,p5,loop\n";
    for (const auto& [tempo, frames] : {std::pair{"bpm:125\n", 4 * bar_frames}, {"bpm:2000\n", 200000}, {"bpm:30\n", 300000}}) {
        load_score(tempo + score);
        const std::vector<int16_t> expected = model_render(frames);
        load_score(tempo + score);
        const std::vector<int16_t> actual = render(frames);
        const auto differ = std::mismatch(actual.begin(), actual.end(), expected.begin()).first;
        EXPECT_EQ(differ, actual.end()) << tempo << "first difference at frame " << (differ - actual.begin()) / 2;
        EXPECT_GT(*std::max_element(actual.begin(), actual.end()), 3000) << tempo;  // not silence
    }
}
