// Set-up of the fixed tables and the voices, and the instrument renderer.
// Main thread, at start-up, before the audio device is unpaused; the
// renderer shares its work with helper threads that it starts and waits for.
#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <exception>
#include <functional>
#include <iterator>
#include <system_error>
#include <thread>
#include <vector>

#include "synth/synth.h"
#include "synth/synth_state.h"

namespace {
constexpr double pi = 3.14159265358979323846;

// Octave 6, c6..b6, in Hz; the lower octaves are derived by halving.
constexpr int32_t octave6[12] = {1047, 1109, 1175, 1245, 1319, 1397, 1480, 1568, 1661, 1760, 1864, 1976};
// Note letters in table order; upper case is the sharp of the lower-case note.
constexpr char note_letters[12] = {'c', 'C', 'd', 'D', 'e', 'f', 'F', 'g', 'G', 'a', 'A', 'b'};

// A voice's trigger count before its first note: large, so that no pulse
// starts until a note resets it to 0.
constexpr int32_t no_note_yet = 10000000;

void fill_pitch_and_token_tables(FixedTables& t) {
    for (int i = 0; i < 12; ++i) t.pitch_table[5 * 12 + i] = octave6[i];
    for (int octave = 4; octave >= 0; --octave)
        for (int i = 0; i < 12; ++i) t.pitch_table[octave * 12 + i] = t.pitch_table[(octave + 1) * 12 + i] / 2;

    for (int n = 0; n < note_count; ++n) {
        t.note_names[n][0] = note_letters[n % 12];
        t.note_names[n][1] = static_cast<char>('1' + n / 12);
        t.note_names[n][2] = '\0';
        t.token_table[n] = {t.note_names[n], t.pitch_table[n]};
    }
    t.token_table[72] = {"echo1", command_echo_on};
    t.token_table[73] = {"echo0", command_echo_off};
    t.token_table[74] = {"stop", command_stop};
    t.token_table[75] = {"vol", command_volume};
    t.token_table[76] = {"sld", command_slide};
    t.token_table[77] = {"0", 0};
}

void fill_base_waves(FixedTables& t) {
    for (int j = 0; j < base_wave_length; ++j) {
        t.square[j] = j < base_wave_length / 2 ? -1.0f : 1.0f;
        t.sine[j] = static_cast<float>(std::sin(2.0 * j * pi / base_wave_length));
        t.saw[j] = static_cast<float>(std::fmod(2.0 * j / base_wave_length + 1.0, 2.0) - 1.0);
    }
    // The unseeded rand() sequence, in order; nothing may call srand before.
    for (int j = 0; j < noise_length; ++j)
        t.noise[j] = static_cast<float>(std::rand() % 2000 - 1000) / 1000.0f;
}


// Index into a wave of `modulus` samples for read position p: trunc(p)
// wrapped into 0..modulus-1, so that a position driven below 0 or far past
// the wave by a drift reads the wave periodically. The two moduli in use are
// constants here, which keeps the common case free of a division.
inline int32_t wave_index(float p, int32_t modulus) {
    if (p >= 0.0f && p < 2147483520.0f) {  // largest float below 2^31
        const int32_t i = static_cast<int32_t>(p);
        return modulus == base_wave_length ? i % base_wave_length : i % noise_length;
    }
    if (!(p == p)) return 0;  // NaN: cannot arise from the clamped inputs, kept safe anyway
    double r = std::fmod(std::trunc(static_cast<double>(p)), static_cast<double>(modulus));
    if (r < 0) r += modulus;
    return static_cast<int32_t>(r);
}

int32_t clamp_segment(int32_t samples) {
    if (samples < 0) return 0;
    return samples > max_instrument_samples ? max_instrument_samples : samples;
}

// Gives up the voice's wave buffer. Voices with equal instrument lines play
// one buffer, owned by one of them; when the owner gives it up while
// another still plays it, that one becomes the owner instead.
void release_wave_buffer(Voice& v) {
    if (v.wave_storage) {
        for (Voice& other : synth.voices) {
            if (&other != &v && other.wave_buffer == v.wave_storage) {
                other.wave_storage = v.wave_storage;
                v.wave_storage = nullptr;
                break;
            }
        }
        delete[] v.wave_storage;
    }
    v.wave_storage = nullptr;
    v.wave_buffer = nullptr;
    v.wave_length = 0;
}

// --- instrument rendering ---
//
// An instrument is rendered sample by sample: the base wave at the read
// position p times the amplitude g, then, where a ring rate is given, times
// sin(h) in double precision; then p advances by k, k by the drift, h by the
// ring increment and g by the current segment's slope. Each of these is a
// chain of float additions that has to be followed one sample after the
// other, but instruments do not depend on each other, and sin(h) depends on
// nothing but the ring increment and the sample number.
//
// So the instruments that share a ring increment form a group that computes
// sin(h) once per sample for all its members, which is most of the cost;
// the group goes through its samples in chunks. One thread, the group's
// owner, follows the members' chains through a chunk and writes wave x
// amplitude; then any thread may take the chunk and multiply sin(h) into
// it. The owner takes one chunk itself after each one it writes, and
// threads that have nothing else to do take the rest, so that the groups'
// sine work is shared out over all threads. An instrument without ring
// modulation is written in one go by one thread.
//
// Every sample comes out of the same operations in the same order as when
// one instrument is rendered alone from start to end, so the buffers do not
// depend on the number of threads or on which thread did what.

// Samples per chunk: 64 KiB of each member, so that a chunk is still in the
// cache when it is multiplied.
constexpr int32_t ring_chunk = 16384;
// Samples per block of sin(h) values: 16 KiB of doubles on a thread's stack.
constexpr int32_t sine_block = 2048;
// A call of sin costs about as much as writing three samples.
constexpr int64_t sine_cost = 3;
// Most threads that render at start-up, the main one included.
constexpr unsigned max_render_threads = 8;
// Less work than this (in samples written, about a millisecond) is done by
// the calling thread alone: starting threads would cost more than it saves.
constexpr int64_t worth_a_thread = 1 << 18;

// One instrument to render: its settings, its buffer (allocated by the main
// thread; it belongs to the voice) and its running values, which only the
// thread that writes its unmodulated samples uses.
struct Instrument {
    // What the samples depend on: the wave type and the numbers after
    // clamping. Voices with the same settings share one buffer.
    std::array<int32_t, 7> settings{};
    float* out = nullptr;         // the buffer
    int32_t total = 0;            // samples the segments write, from 0; the rest of the buffer is 0
    int32_t attack_end = 0;       // first sample of the decay segment
    int32_t decay_end = 0;        // first sample of the sustain segment
    int32_t release_start = 0;    // first sample of the release segment
    int32_t release_samples = 1;  // samples of the release segment (>= 1)
    float slope = 0;              // amplitude change per attack (+) and decay (-) sample
    const float* wave = nullptr;  // base wave
    int32_t modulus = base_wave_length;  // samples in the base wave
    float drift = 0;              // read increment change per sample; 0: p runs 0, 1, 2, ... exactly
    bool ring = false;            // ring-modulated
    float ring_increment = 0;     // radians per sample
    // Where to note h at the start of every chunk, or nullptr: set on the
    // longest member of each group, which follows h for the group.
    float* chunk_angles = nullptr;
    // Running values of sample `next`.
    int32_t next = 0;
    float p = 0, g = 0, k = 1, h = 0;
    int32_t wave_position = 0;    // trunc(p) % modulus while the drift is 0
    float release_slope = 0;      // set when the release segment starts
};

// Clamps the request, gives the voice its buffer and silences it, as
// render_instrument() describes. The buffer is allocated here, or is the
// one of an instrument in `prepared` with the same settings, which leaves
// nothing to render (total 0). Main thread.
Instrument prepare_instrument(const InstrumentRequest& r, const std::vector<Instrument>& prepared) {
    const int32_t wave_type = r.wave_type < 0 || r.wave_type >= wave_type_count ? wave_square : r.wave_type;
    const int32_t a = clamp_segment(r.attack), b = clamp_segment(r.decay), c = clamp_segment(r.sustain),
                  d = clamp_segment(r.release);
    Instrument in;
    in.settings = {wave_type, a, b, c, d, r.ring_rate, r.drift};
    switch (wave_type) {
        case wave_sine: in.wave = synth.fixed.sine; break;
        case wave_saw: in.wave = synth.fixed.saw; break;
        case wave_noise:
            in.wave = synth.fixed.noise;
            in.modulus = noise_length;
            break;
        default: in.wave = synth.fixed.square; break;
    }
    // The envelope's samples plus one that no segment writes. An envelope
    // longer than the limit is cut short, still followed by a silent sample.
    const int64_t envelope = int64_t{a} + b + c + d;
    const bool cut = envelope > max_instrument_samples;
    const int32_t length = static_cast<int32_t>(cut ? max_instrument_samples : envelope) + 1;
    const int32_t writable = cut ? length - 1 : length;
    // A zero attack or release still takes one sample; with attack and
    // release both 0 the segments would write one sample more than the
    // buffer holds, and writing stops at `writable`.
    const int32_t attack_samples = a == 0 ? 1 : a;
    in.release_samples = d == 0 ? 1 : d;
    in.attack_end = attack_samples;
    in.decay_end = attack_samples + b;
    in.release_start = attack_samples + b + c;
    const int64_t segments = int64_t{in.release_start} + in.release_samples;
    in.total = static_cast<int32_t>(segments < writable ? segments : writable);
    in.slope = 1.0f / static_cast<float>(attack_samples);
    in.drift = static_cast<float>(r.drift / 1000.0 / base_wave_length);
    in.ring = r.ring_rate != 0;
    // Ring modulation: e / 100 cycles per 168 samples, in radians per sample.
    in.ring_increment = in.ring ? static_cast<float>(r.ring_rate / 100.0 * 2.0 * pi / base_wave_length) : 0.0f;

    Voice& v = synth.voices[r.voice];
    release_wave_buffer(v);
    const auto twin = std::find_if(prepared.begin(), prepared.end(),
                                   [&](const Instrument& other) { return other.settings == in.settings; });
    if (twin != prepared.end()) {
        in.out = twin->out;  // nothing to render
        in.total = 0;
    } else {
        in.out = v.wave_storage = new float[static_cast<size_t>(length)];
        for (int32_t s = in.total; s < length; ++s) in.out[s] = 0.0f;  // what no segment writes stays 0
    }
    v.wave_buffer = in.out;
    v.wave_length = length;
    v.phase = -1.0f;  // the old buffer is gone: no note may go on reading it
    return in;
}

// Wave x amplitude for samples [s, end) of `in`, all in one segment with
// amplitude change `slope`; h followed when `angle`.
template <bool drifting, bool angle>
void render_samples(Instrument& in, int32_t s, int32_t end, float slope) {
    const float* const wave = in.wave;
    float* const out = in.out;
    const int32_t modulus = in.modulus;
    const float drift = in.drift, ring_increment = in.ring_increment;
    float p = in.p, g = in.g, k = in.k, h = in.h;
    int32_t position = in.wave_position;
    for (; s < end; ++s) {
        out[s] = wave[drifting ? wave_index(p, modulus) : position] * g;
        if (drifting) {
            p += k;
            k += drift;
        } else {
            position = position + 1 == modulus ? 0 : position + 1;  // p stays a whole number below 2^24
        }
        if (angle) h += ring_increment;
        g += slope;
    }
    in.p = p;
    in.g = g;
    in.k = k;
    in.h = h;
    in.wave_position = position;
}

// Writes wave x amplitude of `in` up to sample `end` (or its last),
// segment by segment, and notes h at each chunk start if it follows h.
void render_unmodulated(Instrument& in, int32_t end) {
    end = std::min(end, in.total);
    while (in.next < end) {
        int32_t stop = end;
        if (in.chunk_angles) {
            if (in.next % ring_chunk == 0) in.chunk_angles[in.next / ring_chunk] = in.h;
            stop = std::min(stop, (in.next / ring_chunk + 1) * ring_chunk);
        }
        float slope = 0.0f;
        if (in.next < in.attack_end) {
            slope = in.slope;
            stop = std::min(stop, in.attack_end);
        } else if (in.next < in.decay_end) {
            slope = -in.slope;
            stop = std::min(stop, in.decay_end);
        } else if (in.next < in.release_start) {
            stop = std::min(stop, in.release_start);  // sustain: the amplitude holds
        } else {
            // The release falls from wherever the amplitude is to about 0.
            if (in.next == in.release_start) in.release_slope = -(in.g / static_cast<float>(in.release_samples));
            slope = in.release_slope;
        }
        const bool drifting = in.drift != 0.0f;
        if (in.chunk_angles) {
            if (drifting) render_samples<true, true>(in, in.next, stop, slope);
            else render_samples<false, true>(in, in.next, stop, slope);
        } else {
            if (drifting) render_samples<true, false>(in, in.next, stop, slope);
            else render_samples<false, false>(in, in.next, stop, slope);
        }
        in.next = stop;
    }
}

// The ring-modulated instruments that share one increment. The owner
// writes the unmodulated chunks in order and publishes each in `written`;
// whoever claims a written chunk multiplies sin(h) into it.
struct RingGroup {
    float increment = 0;                 // radians per sample
    std::vector<Instrument*> members;    // in voice order
    int32_t length = 0;                  // samples of the longest member
    int32_t chunks = 0;
    std::vector<float> chunk_angles;     // h at the start of each chunk, written by the owner
    std::atomic<int32_t> written{0};     // chunks written unmodulated (release: the samples and angle are there)
    std::atomic<int32_t> claimed{0};     // chunks taken for modulation
};

// Claims the oldest written chunk of `group` not yet claimed and multiplies
// sin(h) into every member that has its samples. Returns false when no
// chunk could be claimed.
bool modulate_chunk(RingGroup& group) {
    int32_t chunk = group.claimed.load(std::memory_order_relaxed);
    do {
        if (chunk >= group.written.load(std::memory_order_acquire)) return false;
    } while (!group.claimed.compare_exchange_weak(chunk, chunk + 1, std::memory_order_relaxed));
    double sine[sine_block];
    const int32_t end = std::min(group.length, (chunk + 1) * ring_chunk);
    float h = group.chunk_angles[static_cast<size_t>(chunk)];
    for (int32_t first = chunk * ring_chunk; first < end; first += sine_block) {
        const int32_t block_end = std::min(end, first + sine_block);
        for (int32_t s = first; s < block_end; ++s) {
            sine[s - first] = std::sin(static_cast<double>(h));
            h += group.increment;
        }
        for (const Instrument* in : group.members) {
            float* const out = in->out;
            const int32_t stop = std::min(block_end, in->total);
            for (int32_t s = first; s < stop; ++s)
                out[s] = static_cast<float>(sine[s - first] * static_cast<double>(out[s]));
        }
    }
    return true;
}

// The owner's part of a group: every chunk written, and one modulated
// after each unless others have taken it; then whatever is left.
void own_group(RingGroup& group) {
    for (int32_t chunk = 0; chunk < group.chunks; ++chunk) {
        const int32_t end = (chunk + 1) * ring_chunk;
        for (Instrument* in : group.members) render_unmodulated(*in, end);
        group.written.store(chunk + 1, std::memory_order_release);
        group.written.notify_all();
        modulate_chunk(group);
    }
    while (modulate_chunk(group)) {}
}

// Renders `instruments` on up to max_render_threads threads, the calling
// one included, which first runs `alongside`; returns when all are done.
void render_prepared(std::vector<Instrument>& instruments, const std::function<void()>& alongside) {
    std::deque<RingGroup> groups;  // never moved: threads hold pointers and atomics
    struct Job {
        int64_t cost;                  // estimated, in samples written
        RingGroup* group;              // a group to own, or
        Instrument* single;            // an instrument without ring modulation
    };
    std::vector<Job> jobs;
    for (Instrument& in : instruments) {
        if (in.total == 0) continue;  // plays a twin's buffer
        if (!in.ring) {
            jobs.push_back({in.total, nullptr, &in});
            continue;
        }
        auto group = std::find_if(groups.begin(), groups.end(),
                                  [&](const RingGroup& g) { return g.increment == in.ring_increment; });
        if (group == groups.end()) {
            groups.emplace_back();
            group = std::prev(groups.end());
            group->increment = in.ring_increment;
        }
        group->members.push_back(&in);
        group->length = std::max(group->length, in.total);
    }
    for (RingGroup& group : groups) {
        group.chunks = (group.length + ring_chunk - 1) / ring_chunk;
        group.chunk_angles.resize(static_cast<size_t>(group.chunks));
        const auto shorter = [](const Instrument* x, const Instrument* y) { return x->total < y->total; };
        Instrument* longest = *std::max_element(group.members.begin(), group.members.end(), shorter);
        longest->chunk_angles = group.chunk_angles.data();
        int64_t cost = sine_cost * group.length;
        for (const Instrument* in : group.members) cost += in->total;
        jobs.push_back({cost, &group, nullptr});
    }
    std::sort(jobs.begin(), jobs.end(), [](const Job& x, const Job& y) { return x.cost > y.cost; });

    // Each thread takes the next job, the most costly first, until none is
    // left; then it helps with the groups' chunks until all are claimed.
    std::atomic<size_t> next_job{0};
    auto worker = [&] {
        for (size_t j; (j = next_job.fetch_add(1, std::memory_order_relaxed)) < jobs.size();) {
            if (jobs[j].group) own_group(*jobs[j].group);
            else render_unmodulated(*jobs[j].single, jobs[j].single->total);
        }
        for (;;) {
            RingGroup* unfinished = nullptr;  // a group with chunks not yet claimed
            for (RingGroup& group : groups) {
                while (modulate_chunk(group)) {}
                if (!unfinished && group.claimed.load(std::memory_order_relaxed) < group.chunks) unfinished = &group;
            }
            if (!unfinished) break;
            // Its written chunks were all claimed a moment ago: sleep until
            // its owner writes another (at once if it already has).
            const int32_t written = unfinished->written.load(std::memory_order_acquire);
            if (unfinished->claimed.load(std::memory_order_relaxed) >= written)
                unfinished->written.wait(written, std::memory_order_acquire);
        }
    };
    int64_t work = 0;
    for (const Job& job : jobs) work += job.cost;
    unsigned threads = work < worth_a_thread ? 1 : std::thread::hardware_concurrency();
    threads = std::clamp(threads, 1u, max_render_threads);
    std::vector<std::thread> helpers;
    helpers.reserve(threads);
    for (unsigned t = 1; t < threads; ++t) {
        try {
            helpers.emplace_back(worker);
        } catch (const std::system_error&) {
            break;  // no more threads: those running share the work
        }
    }
    // If `alongside` fails, the helpers still finish before the failure is passed on.
    std::exception_ptr failure;
    try {
        if (alongside) alongside();
    } catch (...) {
        failure = std::current_exception();
    }
    worker();
    for (std::thread& helper : helpers) helper.join();
    if (failure) std::rethrow_exception(failure);
}
}  // namespace

int32_t played_voice_count() {
    if (synth.score.track_table[1][0] == entry_end) return 0;
    for (int32_t j = 2; j < voice_count; ++j)
        if (synth.score.track_table[j][0] == entry_end) return j - 1;
    return voice_count - 1;  // every track 1..29 is defined
}

void init_synth() {
    synth.ready = false;
    synth.clock = SongClock{};
    song_bar.store(0, std::memory_order_relaxed);
    fill_pitch_and_token_tables(synth.fixed);
    fill_base_waves(synth.fixed);

    // Start from empty tables, so that a second score parsed in the same
    // process sees nothing of the first (at program start they are zero).
    for (auto& pattern : synth.score.pattern_table)
        for (int32_t& entry : pattern) entry = 0;
    for (int32_t n = 0; n < voice_count; ++n) {
        for (int32_t& entry : synth.score.track_table[n]) entry = 0;
        synth.score.track_table[n][0] = entry_end;
        Voice& v = synth.voices[n];
        release_wave_buffer(v);
        delete[] v.echo_ring;
        v.echo_ring = nullptr;
        v.echo_ring_length = 0;
        v.phase = -1.0f;
        v.pan = (n % 2 == 0) ? 0.75f : 0.25f;
        v.volume = 1.0f;
        v.trigger_count.store(no_note_yet, std::memory_order_relaxed);
        v.step = 0;
        v.slide = 0;
        v.echo_on = 0;
        v.ring_silent = 1;
        v.lowpass_state = 0;
        v.lowpass = 0;
        v.pattern_pos = 0;
        v.track_pos = -1;
    }
}

void render_instrument(int32_t voice, int32_t wave_type, int32_t attack, int32_t decay, int32_t sustain,
                       int32_t release, int32_t ring_rate, int32_t drift) {
    const InstrumentRequest request{voice, wave_type, attack, decay, sustain, release, ring_rate, drift};
    render_instruments(std::span(&request, 1));
}

void render_instruments(std::span<const InstrumentRequest> requests, const std::function<void()>& alongside) {
    // The last request for each voice, in voice order.
    const InstrumentRequest* last[voice_count] = {};
    for (const InstrumentRequest& r : requests)
        if (r.voice >= 0 && r.voice < voice_count) last[r.voice] = &r;
    std::vector<Instrument> instruments;
    instruments.reserve(voice_count);  // no reallocation: phase 1 keeps pointers into it
    for (const InstrumentRequest* r : last)
        if (r) instruments.push_back(prepare_instrument(*r, instruments));
    render_prepared(instruments, alongside);
}
