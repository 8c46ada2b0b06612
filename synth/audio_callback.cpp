// The audio callback: steps the sequencer and mixes the voices. Audio thread.
//
// No allocation, no locks, no logging, no sin or rand: per frame and voice it
// reads the echo ring and the rendered buffer, writes the ring, and does a
// handful of float operations. Frames are mixed in runs that never cross a step
// boundary, so the sequencer step is taken between runs, and a run is mixed
// voice by voice into per-frame sums, in voice order, exactly as a
// frame-by-frame loop would add them.
#include "synth/synth.h"
#include "synth/synth_state.h"

#if defined(__SSE__)
#include <xmmintrin.h>
#endif

std::atomic<int32_t> song_bar{0};

namespace {
// Longest run mixed at once, in frames; bounds the scratch sums on the stack.
constexpr int32_t max_run = 1024;

// Echo feedback: a silent voice's ring recirculates at 0.6 of its level per
// pass; a sounding voice with echo on stores 0.2 x (echo + new sound).
constexpr float echo_decay = 0.6f;
constexpr float echo_feed = 0.2f;

// A note of f Hz replays the buffer at f / 262 samples per output sample
// (the base waves repeat every 168 samples: 262.5 Hz at a rate of 1).
constexpr float note_rate_divisor = 262.0f;
constexpr float volume_divisor = 100.0f;    // vol 70 = gain 0.7
constexpr float slide_divisor = 100000.0f;  // sld 5 = +0.00005 per sample

// Full scale: a sum of +-3 becomes +-32766 (3 x 10922); 1.0 is 10922.
constexpr float full_scale_sum = 3.0f;
constexpr float sample_scale = 10922.0f;
constexpr int16_t full_scale_sample = 32766;

// Flushes denormal floats to zero while the callback runs and restores the
// caller's mode afterwards. Echo tails and filter states decay geometrically;
// without this they would crawl through the slow denormal range for seconds
// and never reach exactly 0, which the mix relies on to skip idle voices.
struct FlushDenormals {
#if defined(__SSE__)
    unsigned saved = _mm_getcsr();
    FlushDenormals() { _mm_setcsr(saved | 0x8040u); }  // FTZ (bit 15) and DAZ (bit 6)
    ~FlushDenormals() { _mm_setcsr(saved); }
#endif
};

int16_t to_sample(float sum) {
    if (sum < -full_scale_sum) return -full_scale_sample;
    if (sum > full_scale_sum) return full_scale_sample;
    if (!(sum == sum)) return 0;  // NaN, from a score whose filter or volume runs away
    return static_cast<int16_t>(sum * sample_scale);  // truncation toward zero
}

bool is_pattern(int32_t number) { return number >= 0 && number < pattern_count; }

// Executes entry i of `pattern` on voice v (one sequencer step).
void execute_entry(Voice& v, const int32_t* pattern, int32_t i) {
    const int32_t value = pattern[i];
    // A command's argument is the next entry; the parser always stores one.
    const int32_t argument = i + 1 < pattern_entries ? pattern[i + 1] : 0;
    switch (value) {
        case 0: break;  // hold: whatever sounds goes on
        case command_slide:
            v.slide = static_cast<float>(argument) / slide_divisor;
            v.pattern_pos = i + 1;
            break;
        case command_volume:
            v.volume = static_cast<float>(argument) / volume_divisor;
            v.pattern_pos = i + 1;
            break;
        case command_stop: v.phase = -1.0f; break;
        case command_echo_off: v.echo_on = 0; break;
        case command_echo_on: v.echo_on = 1; break;
        default:
            if (value > 0) {  // a note of `value` Hz
                v.phase = 0.0f;
                v.step = static_cast<float>(value) / note_rate_divisor;
                v.trigger_count.store(0, std::memory_order_relaxed);
            }
            // Other negative values are the end marker of an empty pattern,
            // whose first entry is played as a hold.
            break;
    }
}

// One sequencer step for voice j.
void step_voice(int32_t j) {
    Voice& v = synth.voices[j];
    const int32_t count = v.trigger_count.load(std::memory_order_relaxed);
    if (count < INT32_MAX) v.trigger_count.store(count + 1, std::memory_order_relaxed);
    if (v.track_pos == -2) return;  // the track has ended

    const int32_t* track = synth.score.track_table[j];
    int32_t i = ++v.pattern_pos;
    int32_t number = v.track_pos >= 0 ? track[v.track_pos] : 0;
    // The pattern is over at its end marker; also after an empty pattern's
    // single step and at the end of the table (a pattern never defined has
    // no end marker).
    const bool pattern_over = v.track_pos == -1 || !is_pattern(number) || i >= pattern_entries ||
                              synth.score.pattern_table[number][i] == entry_end ||
                              synth.score.pattern_table[number][0] == entry_end;
    if (pattern_over) {
        const int32_t next = v.track_pos + 1 < track_entries ? track[v.track_pos + 1] : entry_end;
        if (next == entry_loop) {
            v.track_pos = 0;
            number = track[0];
        } else if (!is_pattern(next)) {  // the end marker
            v.track_pos = -2;
            v.pattern_pos = 0;
            return;
        } else {
            ++v.track_pos;
            number = next;
        }
        if (!is_pattern(number)) {  // cannot happen with a parsed track
            v.track_pos = -2;
            v.pattern_pos = 0;
            return;
        }
        v.pattern_pos = 0;
        i = 0;
    }
    execute_entry(v, synth.score.pattern_table[number], i);
}

// One voice's mix settings and running values while a run is mixed; the
// loops below keep them in registers and write them back at the end.
struct VoiceRun {
    float* ring;           // echo ring
    const float* buffer;   // rendered instrument
    float length;          // wave_length as a float, for the end test
    float lowpass, keep;   // filter coefficient and 1 - coefficient
    float volume, pan, pan_right;
    float phase, step, slide, state;
};

// Mixes frames [k, end) of a sounding voice, or fewer if its note ends
// first; returns the frame after the last one mixed. `echo_in` and
// `echo_out` point at the ring cells of frame k (read: written L - 1 frames
// ago; write: this frame's cell) and advance together without wrapping.
// The template flags select the work a voice needs: an echo ring that may
// hold sound, new sound fed into it, a filter.
template <bool ring_active, bool feed, bool filtered>
int32_t mix_sounding(VoiceRun& v, int32_t k, int32_t end, const float* echo_in, float* echo_out, float* left,
                     float* right) {
    // Locals, so that the compiler keeps them in registers across the
    // stores to the sums.
    const float* const buffer = v.buffer;
    const float length = v.length, slide = v.slide, keep = v.keep, lowpass = v.lowpass;
    const float volume = v.volume, pan = v.pan, pan_right = v.pan_right;
    float phase = v.phase, step = v.step, state = v.state;
    for (; k < end; ++k, ++echo_in, ++echo_out) {
        const float echo = ring_active ? *echo_in : 0.0f;
        const float e_dry = echo + buffer[static_cast<int32_t>(phase)];
        if (ring_active) *echo_out = feed ? echo_feed * e_dry : echo_decay * echo;
        phase += step;
        step += slide;
        const float e = filtered ? e_dry * keep + lowpass * state : e_dry;
        state = e;
        const float gain = e * volume;
        left[k] += gain * pan;
        right[k] += gain * pan_right;
        if (phase >= length || phase < 0.0f) {  // played out, or slid below the start
            phase = -1.0f;
            ++k;
            break;
        }
    }
    v.phase = phase;
    v.step = step;
    v.state = state;
    return k;
}

// Mixes frames [k, end) of a silent voice: its echo ring recirculating and
// its filter settling.
template <bool ring_active, bool filtered>
void mix_silent(VoiceRun& v, int32_t k, int32_t end, const float* echo_in, float* echo_out, float* left,
                float* right) {
    const float keep = v.keep, lowpass = v.lowpass, volume = v.volume, pan = v.pan, pan_right = v.pan_right;
    float state = v.state;
    for (; k < end; ++k, ++echo_in, ++echo_out) {
        const float echo = ring_active ? *echo_in : 0.0f;
        if (ring_active) *echo_out = echo_decay * echo;
        const float e = filtered ? echo * keep + lowpass * state : echo;
        state = e;
        const float gain = e * volume;
        left[k] += gain * pan;
        right[k] += gain * pan_right;
    }
    v.state = state;
}

template <bool ring_active, bool filtered>
void mix_span(VoiceRun& v, bool feed, int32_t k, int32_t end, float* ring_in, float* ring_out, float* left,
              float* right) {
    if (v.phase >= 0.0f) {
        const int32_t start = k;
        k = feed ? mix_sounding<ring_active, true, filtered>(v, k, end, ring_in, ring_out, left, right)
                 : mix_sounding<ring_active, false, filtered>(v, k, end, ring_in, ring_out, left, right);
        ring_in += k - start;
        ring_out += k - start;
    }
    if (k < end) mix_silent<ring_active, filtered>(v, k, end, ring_in, ring_out, left, right);
}

// Mixes `frames` frames of voice v into the sums, starting at ring write
// index w. Per frame, in this order: read the echo written L - 1 frames
// ago, write 0.6 of it back (or, while the voice sounds with echo on, 0.2 x
// (echo + sound)), add the buffer sample at the play position and advance
// it, filter, pan.
void mix_voice(Voice& voice, int32_t w, int32_t frames, float* left, float* right) {
    VoiceRun v{voice.echo_ring, voice.wave_buffer, static_cast<float>(voice.wave_length),
               voice.lowpass, 1.0f - voice.lowpass, voice.volume, voice.pan, 1.0f - voice.pan,
               voice.phase, voice.step, voice.slide, voice.lowpass_state};
    const bool feed = voice.echo_on != 0;
    // A ring that holds only zeros and gets nothing new reads 0 and is
    // rewritten with 0.6 x 0: it can be left alone.
    const bool ring_active = !voice.ring_silent || (feed && v.phase >= 0.0f);
    if (ring_active) voice.ring_silent = 0;
    const bool filtered = v.lowpass != 0.0f;
    const int32_t ring_length = voice.echo_ring_length;

    // Spans in which neither ring index wraps around.
    for (int32_t k = 0; k < frames;) {
        const int32_t r = w + 1 == ring_length ? 0 : w + 1;
        int32_t span = frames - k;
        if (ring_length - w < span) span = ring_length - w;
        if (ring_length - r < span) span = ring_length - r;
        float* ring_in = v.ring + r;
        float* ring_out = v.ring + w;
        if (ring_active) {
            if (filtered) mix_span<true, true>(v, feed, k, k + span, ring_in, ring_out, left, right);
            else mix_span<true, false>(v, feed, k, k + span, ring_in, ring_out, left, right);
        } else {
            if (filtered) mix_span<false, true>(v, feed, k, k + span, ring_in, ring_out, left, right);
            else mix_span<false, false>(v, feed, k, k + span, ring_in, ring_out, left, right);
        }
        k += span;
        w = (w + span) % ring_length;
    }
    voice.phase = v.phase;
    voice.step = v.step;
    voice.lowpass_state = v.state;
}

void put_sample(uint8_t* dest, int16_t sample) {
    const uint16_t bits = static_cast<uint16_t>(sample);
    dest[0] = static_cast<uint8_t>(bits & 0xff);  // little-endian
    dest[1] = static_cast<uint8_t>(bits >> 8);
}

// Mixes `frames` frames (no step boundary inside) starting at song frame n
// into `out`, 4 bytes per frame.
void mix_run(int32_t played, int64_t n, int32_t frames, uint8_t* out) {
    float left[max_run], right[max_run];
    for (int32_t k = 0; k < frames; ++k) left[k] = right[k] = 0.0f;
    const int32_t w = static_cast<int32_t>(n % synth.clock.echo_length);
    for (int32_t j = 1; j <= played; ++j) {
        Voice& v = synth.voices[j];
        // Silent, with an empty ring and a settled filter: adds exactly 0.
        if (v.phase < 0.0f && v.ring_silent && v.lowpass_state == 0.0f) continue;
        mix_voice(v, w, frames, left, right);
    }
    for (int32_t k = 0; k < frames; ++k) {
        put_sample(out + 4 * k, to_sample(left[k]));
        put_sample(out + 4 * k + 2, to_sample(right[k]));
    }
}
}  // namespace

void audio_callback(void*, uint8_t* stream, int len) {
    if (len <= 3 || !stream) return;
    const int32_t frames = len / 4;
    if (!synth.ready) {  // no score parsed yet: silence, and the song does not move
        for (int32_t b = 0; b < frames * 4; ++b) stream[b] = 0;
        return;
    }
    FlushDenormals flush_denormals;

    const int64_t step_length = synth.clock.samples_per_step;
    const int32_t played = played_voice_count();
    int64_t n = synth.clock.sample_counter;
    bool boundary_seen = false;
    int64_t bar = 0;
    for (int32_t k = 0; k < frames;) {
        const int64_t into_step = n % step_length;
        if (into_step == 0) {
            boundary_seen = true;
            bar = n / step_length / steps_per_bar;
            for (int32_t j = 1; j <= played; ++j) step_voice(j);
        }
        int64_t run = step_length - into_step;
        if (run > frames - k) run = frames - k;
        if (run > max_run) run = max_run;
        const int32_t count = static_cast<int32_t>(run);
        uint8_t* dest = stream + static_cast<size_t>(k) * 4;
        if (played == 0) {  // track 1 is empty: silence, though the song goes on
            for (int32_t b = 0; b < count * 4; ++b) dest[b] = 0;
        } else {
            mix_run(played, n, count, dest);
        }
        k += count;
        n += count;
    }
    synth.clock.sample_counter = n;
    if (boundary_seen) song_bar.store(static_cast<int32_t>(bar), std::memory_order_relaxed);
}
