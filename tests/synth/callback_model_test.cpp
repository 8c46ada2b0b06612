// The callback against a plain model of the same sound: one frame at a
// time, every played voice in turn, exactly as the mix is defined. The
// callback mixes in runs between step boundaries, voice by voice, skips
// silent voices and splits runs where the echo ring wraps; for scores that
// exercise all of that it must produce the same bytes as the model.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "synth_test_util.h"

#if defined(__SSE__)
#include <xmmintrin.h>
#endif

namespace {
struct ModelVoice {
    float pan, lowpass, state = 0, step = 0, slide = 0, volume = 1, phase = -1;
    bool echo_on = false;
    int32_t pattern_pos = 0, track_pos = -1;
    std::vector<float> ring;
    const float* buffer;
    int32_t length;
};

int16_t model_sample(float s) {
    if (s < -3.0f) return -32766;
    return static_cast<int16_t>((s < 3.0f ? s : 3.0f) * 10922.0f);
}

void model_step(ModelVoice& v, int32_t j) {
    if (v.track_pos == -2) return;
    const int32_t* track = synth.score.track_table[j];
    int32_t i = ++v.pattern_pos;
    const int32_t* pattern = v.track_pos >= 0 ? synth.score.pattern_table[track[v.track_pos]] : nullptr;
    if (v.track_pos == -1 || pattern[i] == entry_end) {
        const int32_t x = track[v.track_pos + 1];
        if (x == entry_end) {
            v.track_pos = -2;
            v.pattern_pos = 0;
            return;
        }
        v.track_pos = x == entry_loop ? 0 : v.track_pos + 1;
        pattern = synth.score.pattern_table[track[v.track_pos]];
        v.pattern_pos = i = 0;
    }
    const int32_t value = pattern[i];
    if (value == command_slide || value == command_volume) {
        if (value == command_slide) v.slide = pattern[i + 1] / 100000.0f;
        else v.volume = pattern[i + 1] / 100.0f;
        v.pattern_pos = i + 1;
    } else if (value == command_stop) {
        v.phase = -1.0f;
    } else if (value == command_echo_on || value == command_echo_off) {
        v.echo_on = value == command_echo_on;
    } else if (value > 0) {
        v.phase = 0.0f;
        v.step = value / 262.0f;
    }
}

// The whole song of the loaded score, frame by frame.
std::vector<int16_t> model_render(int64_t frames) {
#if defined(__SSE__)
    const unsigned saved = _mm_getcsr();
    _mm_setcsr(saved | 0x8040u);  // denormals flush to zero, as in the callback
#endif
    int32_t played = synth.score.track_table[1][0] == entry_end ? 0 : 1;
    while (played > 0 && played < 29 && synth.score.track_table[played + 1][0] != entry_end) ++played;
    const int32_t echo_length = synth.clock.echo_length, step_length = synth.clock.samples_per_step;
    std::vector<ModelVoice> voices(played + 1);
    for (int32_t j = 1; j <= played; ++j) {
        const Voice& v = synth.voices[j];
        voices[j].pan = v.pan;
        voices[j].lowpass = v.lowpass;
        voices[j].ring.assign(echo_length, 0.0f);
        voices[j].buffer = v.wave_buffer;
        voices[j].length = v.wave_length;
    }
    std::vector<int16_t> out;
    for (int64_t n = 0; n < frames; ++n) {
        if (n % step_length == 0)
            for (int32_t j = 1; j <= played; ++j) model_step(voices[j], j);
        float left = 0, right = 0;
        for (int32_t j = 1; j <= played; ++j) {
            ModelVoice& v = voices[j];
            const float echo = v.ring[(n + 1) % echo_length];
            v.ring[n % echo_length] = 0.6f * echo;
            float e = echo;
            if (v.phase >= 0) {
                e = e + v.buffer[static_cast<int32_t>(v.phase)];
                if (v.echo_on) v.ring[n % echo_length] = 0.2f * e;
                v.phase += v.step;
                v.step += v.slide;
                if (v.phase >= v.length || v.phase < 0) v.phase = -1.0f;
            }
            if (v.lowpass != 0) e = e * (1.0f - v.lowpass) + v.lowpass * v.state;
            v.state = e;
            left += e * v.volume * v.pan;
            right += e * v.volume * (1.0f - v.pan);
        }
        out.push_back(model_sample(left));
        out.push_back(model_sample(right));
    }
#if defined(__SSE__)
    _mm_setcsr(saved);
#endif
    return out;
}

// Six voices with notes, volumes, slides, stops, echo on and off, filters
// and loops; the instruments are the song's.
const char* busy_score =
    "p1:c2,0,c3,0,g2,0,c3,stop,vol,80,c2,0,0,sld,3,a2,0,0,0\n"
    "p2:echo1,c5,0,0,echo0,c5,0,0,stop,0,echo1,g5,sld,-2,e5,0,0,0\n"
    "p3:a3,0,0,0,0,0,0,a3,0,0,a3,0,0,0,0,0\n"
    "p4:vol,70,0,0,0,c3,0,0,0,0,0,0,0,c3,0,0,0\n"
    "p5:e4,0,0,0,g4,0,0,0,vol,150,c5,0,0,0,0,0\n"
    "p6:c4,0,0,0,0,0,0,0,echo1,0,0,0,stop,0,0,0\n"
    "t1:p1,p1,loop\nt2:p2,p2\nt3:p3,loop\nt4:p4,p4,p4\nt5:p5,p6\nt6:p6,p5,loop\n";

void expect_callback_matches_model(const std::string& tempo, int64_t frames) {
    load_score(tempo + song_instruments() + busy_score);
    const std::vector<int16_t> expected = model_render(frames);
    load_score(tempo + song_instruments() + busy_score);
    const std::vector<int16_t> actual = render(frames);
    ASSERT_EQ(actual.size(), expected.size());
    int64_t first_difference = -1;
    for (size_t i = 0; i < actual.size() && first_difference < 0; ++i)
        if (actual[i] != expected[i]) first_difference = static_cast<int64_t>(i / 2);
    EXPECT_EQ(first_difference, -1) << "first differing frame";
    // The score is not silent: the comparison means something.
    int16_t loudest = 0;
    for (int16_t s : actual) loudest = std::max<int16_t>(loudest, s < 0 ? -s : s);
    EXPECT_GT(loudest, 3000);
}
}  // namespace

TEST(CallbackModel, SongTempoMatchesTheFrameByFrameModel) {
    expect_callback_matches_model("bpm:125\n", 4 * bar_frames);
}

TEST(CallbackModel, FastTempoWithShortEchoRingsMatchesTheModel) {
    // 2000 bpm: 330-sample steps and a 990-sample echo ring, so steps,
    // runs and ring wraps fall at many different offsets.
    expect_callback_matches_model("bpm:2000\n", 200000);
}

TEST(CallbackModel, SlowTempoWithStepsLongerThanARunMatchesTheModel) {
    expect_callback_matches_model("bpm:30\n", 300000);  // 22050-sample steps
}
