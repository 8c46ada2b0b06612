// The audio callback: steps the sequencer and mixes the voices. Audio thread.
//
// No allocation, no locks, no logging, no sin or rand: per frame and voice it
// reads the echo ring and the rendered buffer, writes the ring, and does a
// handful of float operations. Frames are mixed in runs that never cross a step
// boundary, so the sequencer step is taken between runs. A run is mixed in
// groups of up to four voices, which share vector instructions, into
// per-frame sums; every value, and every sum in voice order, comes out bit
// for bit as a frame-by-frame loop over one voice after another gives it.
#include <bit>
#include <cstring>

#include "synth/synth.h"
#include "synth/synth_state.h"

#if defined(__SSE__)
#include <xmmintrin.h>
#endif

namespace {
// Longest run mixed at once, in frames; bounds the scratch sums on the
// stack. A multiple of 4, the frames of a block.
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

// Voices are mixed in groups of up to four, one voice per lane of a 4-wide
// float vector, so that the voices' filter chains (a multiply-add on the
// previous frame's output, about 8 cycles each) run side by side instead of
// one after another. Frames go in blocks of four: the work without a chain
// (echo ring, buffer samples, gain, pan) is done per voice on four frames at
// once, the filter per frame on four voices at once, with a transpose in
// between.
//
// Every lane does exactly the float operations that a voice mixed on its
// own, frame by frame, would do, in the same order. Where a voice skips an
// operation (a silent voice reads no buffer, an unfiltered one has no
// filter) the other value is taken by a select, never by arithmetic with a
// neutral element, with one exception: a silent voice's phase advances by a
// step of 0 and its step by a slide of 0, which leaves both exactly as they
// were (its phase is -1, and a step starts above 0 and so never becomes
// -0). Each group adds its voices to the sums one lane after the other, and
// the groups come in voice order, so every sum is added up in voice order
// as before.
constexpr int32_t lanes = 4;
using Floats = float __attribute__((vector_size(16)));
using Ints = int32_t __attribute__((vector_size(16)));  // masks: all bits set in a lane for true
using Words = uint32_t __attribute__((vector_size(16)));

Floats select(Ints mask, Floats yes, Floats no) {
    return reinterpret_cast<Floats>((reinterpret_cast<Ints>(yes) & mask) | (reinterpret_cast<Ints>(no) & ~mask));
}

Floats splat(float x) { return Floats{x, x, x, x}; }

bool any(Ints mask) {
#if defined(__SSE__)
    return _mm_movemask_ps(reinterpret_cast<__m128>(mask)) != 0;  // the lanes' sign bits
#else
    return (mask[0] | mask[1] | mask[2] | mask[3]) != 0;
#endif
}

Floats load4(const float* p) {
    Floats v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

void store4(float* p, Floats v) { std::memcpy(p, &v, sizeof v); }

// Rows become columns: out[i][j] = in[j][i].
void transpose(const Floats in[lanes], Floats out[lanes]) {
    const Floats t0 = __builtin_shufflevector(in[0], in[1], 0, 4, 1, 5);
    const Floats t1 = __builtin_shufflevector(in[0], in[1], 2, 6, 3, 7);
    const Floats t2 = __builtin_shufflevector(in[2], in[3], 0, 4, 1, 5);
    const Floats t3 = __builtin_shufflevector(in[2], in[3], 2, 6, 3, 7);
    out[0] = __builtin_shufflevector(t0, t2, 0, 1, 4, 5);
    out[1] = __builtin_shufflevector(t0, t2, 2, 3, 6, 7);
    out[2] = __builtin_shufflevector(t1, t3, 0, 1, 4, 5);
    out[3] = __builtin_shufflevector(t1, t3, 2, 3, 6, 7);
}

// A vector of lane(0) .. lane(N - 1), 0 in the other lanes; built from
// scalars in registers, not lane by lane through memory.
template <int32_t N, typename Lane>
Floats make_lanes(Lane lane) {
    if constexpr (N == 1) return Floats{lane(0), 0.0f, 0.0f, 0.0f};
    else if constexpr (N == 2) return Floats{lane(0), lane(1), 0.0f, 0.0f};
    else if constexpr (N == 3) return Floats{lane(0), lane(1), lane(2), 0.0f};
    else return Floats{lane(0), lane(1), lane(2), lane(3)};
}

// The N voices of a group (lanes 0..N-1, in voice order) while a run is
// mixed; lanes N..3 hold zeros and are never read or written back. Kept in
// registers by the loops and written back to the voices at the end.
template <int32_t N>
struct Group {
    Voice* voice[N];
    float* ring[N];          // echo rings
    const float* buffer[N];  // rendered instruments
    bool ring_active[N];     // the ring may hold sound or gets some; otherwise it holds zeros and is left alone
    Floats length;           // wave_length as a float, for the end test
    Floats lowpass, keep;    // filter coefficient and 1 - coefficient
    Floats volume, pan, pan_right;
    Floats phase;            // read positions; -1 in silent lanes
    Floats step, slide;      // read increment and its change per frame; 0 in silent lanes
    Floats held_step;        // a silent lane's step, written back as it was
    Floats state;            // filter outputs of the last frame
    Ints sounding;           // the voice plays its buffer
    Ints feeding;            // sounding with echo on: new sound goes into the ring
    Ints filtered;           // lowpass != 0
};

// Mixes frame k alone, the order of one voice on its own: read the echo,
// write 0.6 of it back (or, while the voice sounds with echo on, 0.2 x (echo
// + sound)), add the buffer sample at the play position and advance it,
// filter, apply volume and pan; a note that plays out (or slides below the
// start) sounds in this frame and is silent from the next. The ring cells
// of frame k are k + to_in (read) and k + to_out (written).
template <int32_t N>
void mix_frame(Group<N>& g, int32_t to_in, int32_t to_out, int32_t k, float* left, float* right) {
    const Floats echo = make_lanes<N>([&](int32_t l) { return g.ring_active[l] ? g.ring[l][k + to_in] : 0.0f; });
    // A silent lane's phase is -1; its index is masked to 0, which every
    // buffer has, and the sample read there is not used.
    const Ints index = __builtin_convertvector(g.phase, Ints) & g.sounding;
    const Floats sample = make_lanes<N>([&](int32_t l) { return g.buffer[l][index[l]]; });
    const Floats e_dry = select(g.sounding, echo + sample, echo);
    const Floats to_ring = select(g.feeding, echo_feed * e_dry, echo_decay * echo);
#pragma GCC unroll 4
    for (int32_t l = 0; l < N; ++l)
        if (g.ring_active[l]) g.ring[l][k + to_out] = to_ring[l];
    g.phase = g.phase + g.step;
    g.step = g.step + g.slide;
    g.state = select(g.filtered, e_dry * g.keep + g.lowpass * g.state, e_dry);
    const Floats gain = g.state * g.volume;
    const Floats gain_left = gain * g.pan, gain_right = gain * g.pan_right;
    float sum_left = left[k], sum_right = right[k];
#pragma GCC unroll 4
    for (int32_t l = 0; l < N; ++l) {
        sum_left += gain_left[l];
        sum_right += gain_right[l];
    }
    left[k] = sum_left;
    right[k] = sum_right;
    const Ints ended = g.sounding & ((g.phase >= g.length) | (g.phase < 0.0f));
    if (any(ended)) {
        g.held_step = select(ended, g.step, g.held_step);
        g.step = select(ended, splat(0.0f), g.step);
        g.slide = select(ended, splat(0.0f), g.slide);
        g.phase = select(ended, splat(-1.0f), g.phase);
        g.sounding &= ~ended;
        g.feeding &= ~ended;
    }
}

// Mixes frames [k, end) of the group; the ring indices of frame k are
// ring_in (read: written L - 1 frames ago) and ring_out (this frame's
// cell), and neither wraps before `end`.
template <int32_t N>
void mix_span(Group<N>& g, int32_t k, int32_t end, int32_t ring_in, int32_t ring_out, float* left, float* right) {
    const int32_t to_in = ring_in - k, to_out = ring_out - k;  // from a frame to its ring cells
    // Per voice, the same for every lane of a row; lanes N..3 stay 0.
    Floats keep[N], volume[N], pan[N], pan_right[N];
#pragma GCC unroll 4
    for (int32_t l = 0; l < N; ++l) {
        keep[l] = splat(g.keep[l]);
        volume[l] = splat(g.volume[l]);
        pan[l] = splat(g.pan[l]);
        pan_right[l] = splat(g.pan_right[l]);
    }
    for (; k + lanes <= end; k += lanes) {
        // Read positions of the four frames, one row per frame; p[f] is
        // where frame f reads, p[f + 1] where the next one will.
        Floats p[lanes + 1];
        p[0] = g.phase;
        Floats step = g.step;
#pragma GCC unroll 4
        for (int32_t f = 0; f < lanes; ++f) {
            p[f + 1] = p[f] + step;
            step = step + g.slide;
        }
        Ints out_of_range = {};
#pragma GCC unroll 4
        for (int32_t f = 1; f <= lanes; ++f) out_of_range |= (p[f] >= g.length) | (p[f] < 0.0f);
        if (any(out_of_range & g.sounding)) {  // a note ends in these frames: frame by frame
            for (int32_t f = 0; f < lanes; ++f) mix_frame(g, to_in, to_out, k + f, left, right);
            continue;
        }
        Ints index[lanes];
#pragma GCC unroll 4
        for (int32_t f = 0; f < lanes; ++f) index[f] = __builtin_convertvector(p[f], Ints) & g.sounding;

        // Per voice, the four frames in a row: echo, sound, the ring, and
        // the filter's input term.
        Floats dry[lanes] = {}, filter_in[lanes] = {};
#pragma GCC unroll 4
        for (int32_t l = 0; l < N; ++l) {
            const Floats echo = g.ring_active[l] ? load4(g.ring[l] + k + to_in) : splat(0.0f);
            if (g.sounding[l]) {
                const float* buffer = g.buffer[l];
                const Floats sample = {buffer[index[0][l]], buffer[index[1][l]], buffer[index[2][l]],
                                       buffer[index[3][l]]};
                dry[l] = echo + sample;
            } else {
                dry[l] = echo;
            }
            if (g.ring_active[l]) store4(g.ring[l] + k + to_out, g.feeding[l] ? echo_feed * dry[l] : echo_decay * echo);
            filter_in[l] = dry[l] * keep[l];
        }
        // The filter, frame by frame, four voices at a time.
        Floats term[lanes], filtered[lanes];
        transpose(filter_in, term);
        Floats state = g.state;
#pragma GCC unroll 4
        for (int32_t f = 0; f < lanes; ++f) {
            state = term[f] + g.lowpass * state;
            term[f] = state;
        }
        transpose(term, filtered);
        Floats left4 = load4(left + k), right4 = load4(right + k);
#pragma GCC unroll 4
        for (int32_t l = 0; l < N; ++l) {
            const Floats e = g.filtered[l] ? filtered[l] : dry[l];
            const Floats gain = e * volume[l];
            left4 = left4 + gain * pan[l];
            right4 = right4 + gain * pan_right[l];
        }
        store4(left + k, left4);
        store4(right + k, right4);
        // An unfiltered lane's output is its last dry sample.
        g.state = select(g.filtered, state, make_lanes<N>([&](int32_t l) { return dry[l][lanes - 1]; }));
        g.phase = p[lanes];
        g.step = step;
    }
    for (; k < end; ++k) mix_frame(g, to_in, to_out, k, left, right);
}

// Mixes `frames` frames of the N voices in `voices` into the sums, starting
// at ring write index w (every ring has the song's echo length).
template <int32_t N>
void mix_group(Voice* const* voices, int32_t w, int32_t frames, float* left, float* right) {
    Group<N> g{};
#pragma GCC unroll 4
    for (int32_t l = 0; l < N; ++l) {
        Voice& v = *voices[l];
        const bool sounding = v.phase >= 0.0f, feeding = sounding && v.echo_on;
        // A ring that holds only zeros and gets nothing new would read 0
        // and be rewritten with 0.6 x 0: it is left alone.
        if (feeding) v.ring_silent = 0;
        g.voice[l] = &v;
        g.ring[l] = v.echo_ring;
        g.buffer[l] = v.wave_buffer;
        g.ring_active[l] = !v.ring_silent;
        g.length[l] = static_cast<float>(v.wave_length);
        g.lowpass[l] = v.lowpass;
        g.keep[l] = 1.0f - v.lowpass;
        g.volume[l] = v.volume;
        g.pan[l] = v.pan;
        g.pan_right[l] = 1.0f - v.pan;
        g.phase[l] = v.phase;
        g.step[l] = sounding ? v.step : 0.0f;
        g.slide[l] = sounding ? v.slide : 0.0f;
        g.held_step[l] = v.step;
        g.state[l] = v.lowpass_state;
        g.sounding[l] = sounding ? -1 : 0;
        g.feeding[l] = feeding ? -1 : 0;
        g.filtered[l] = v.lowpass != 0.0f ? -1 : 0;
    }
    const int32_t ring_length = voices[0]->echo_ring_length;
    // Spans in which neither ring index wraps around.
    for (int32_t k = 0; k < frames;) {
        const int32_t r = w + 1 == ring_length ? 0 : w + 1;
        int32_t span = frames - k;
        if (ring_length - w < span) span = ring_length - w;
        if (ring_length - r < span) span = ring_length - r;
        mix_span<N>(g, k, k + span, r, w, left, right);
        k += span;
        w = (w + span) % ring_length;
    }
#pragma GCC unroll 4
    for (int32_t l = 0; l < N; ++l) {
        Voice& v = *g.voice[l];
        v.phase = g.phase[l];
        v.step = g.sounding[l] ? g.step[l] : g.held_step[l];
        v.lowpass_state = g.state[l];
    }
}

// Four frames' sums as 16-bit samples, left and right of a frame in one
// word: the left sample in the low 16 bits, the right one in the high 16
// bits. A sum beyond +-3 gives +-32766, a NaN (from a score whose filter or
// volume runs away) 0, any other sum x 10922 truncated toward zero.
Ints to_sample_pairs(Floats left, Floats right) {
    const auto to_samples = [](Floats sum) {
        const Ints low = sum < -full_scale_sum, high = sum > full_scale_sum;
        const Ints in_range = ~(low | high) & (sum == sum);  // NaN compares unequal to itself: 0
        // Out-of-range lanes are converted from 0 instead, so that no lane
        // converts a value that does not fit.
        const Ints scaled = __builtin_convertvector(select(in_range, sum, splat(0.0f)) * sample_scale, Ints);
        return (scaled & in_range) | (-full_scale_sample & low) | (full_scale_sample & high);
    };
    return reinterpret_cast<Ints>((reinterpret_cast<Words>(to_samples(left)) & 0xffffu) |
                                  (reinterpret_cast<Words>(to_samples(right)) << 16));
}

// Mixes `frames` frames (no step boundary inside) starting at song frame n
// into `out`, 4 bytes per frame.
void mix_run(int32_t played, int64_t n, int32_t frames, uint8_t* out) {
    // Whole blocks of four frames; the frames past `frames` are never written out.
    float left[max_run], right[max_run];
    const int32_t blocks_end = (frames + lanes - 1) / lanes * lanes;
    for (int32_t k = 0; k < blocks_end; ++k) left[k] = right[k] = 0.0f;
    const int32_t w = static_cast<int32_t>(n % synth.clock.echo_length);
    // The voices that add anything, in voice order. One that is silent, with
    // an empty ring and a settled filter, adds exactly 0 and is left out.
    Voice* mixed[voice_count];
    int32_t count = 0;
    for (int32_t j = 1; j <= played; ++j) {
        Voice& v = synth.voices[j];
        if (v.phase < 0.0f && v.ring_silent && v.lowpass_state == 0.0f) continue;
        mixed[count++] = &v;
    }
    // As few groups as four lanes allow, their sizes as even as possible
    // (9 voices: 3 + 3 + 3, not 4 + 4 + 1): a lone voice would wait on its
    // own filter chain again.
    const int32_t groups = (count + lanes - 1) / lanes;
    for (int32_t i = 0, first = 0; i < groups; ++i) {
        const int32_t size = count / groups + (i < count % groups ? 1 : 0);
        Voice* const* group = mixed + first;
        switch (size) {
            case 1: mix_group<1>(group, w, frames, left, right); break;
            case 2: mix_group<2>(group, w, frames, left, right); break;
            case 3: mix_group<3>(group, w, frames, left, right); break;
            default: mix_group<4>(group, w, frames, left, right); break;
        }
        first += size;
    }
    for (int32_t k = 0; k < frames; k += lanes) {
        const Ints pairs = to_sample_pairs(load4(left + k), load4(right + k));
        // The frames' bytes in order: left low, left high, right low, right high.
        const int32_t count = frames - k < lanes ? frames - k : lanes;
        if constexpr (std::endian::native == std::endian::little) {
            std::memcpy(out + 4 * k, &pairs, 4 * static_cast<size_t>(count));
        } else {
            for (int32_t f = 0; f < count; ++f)
                for (int32_t b = 0; b < 4; ++b)
                    out[4 * (k + f) + b] = static_cast<uint8_t>(static_cast<uint32_t>(pairs[f]) >> (8 * b));
        }
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
