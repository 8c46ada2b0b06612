// Set-up of the fixed tables and the voices, and the instrument renderer.
// Main thread, at start-up, before the audio device is unpaused.
#include <cmath>
#include <cstdlib>

#include "synth/synth.h"
#include "synth/synth_state.h"

SynthState synth;

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

void release_buffers(Voice& v) {
    delete[] v.wave_buffer;
    delete[] v.echo_ring;
    v.wave_buffer = nullptr;
    v.echo_ring = nullptr;
    v.wave_length = 0;
    v.echo_ring_length = 0;
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
        release_buffers(v);
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
    if (voice < 0 || voice >= voice_count) return;
    if (wave_type < 0 || wave_type >= wave_type_count) wave_type = wave_square;
    const int32_t a = clamp_segment(attack), b = clamp_segment(decay), c = clamp_segment(sustain),
                  d = clamp_segment(release);

    const float* wave = synth.fixed.square;
    int32_t modulus = base_wave_length;
    switch (wave_type) {
        case wave_sine: wave = synth.fixed.sine; break;
        case wave_saw: wave = synth.fixed.saw; break;
        case wave_noise: wave = synth.fixed.noise; modulus = noise_length; break;
        default: break;
    }

    Voice& v = synth.voices[voice];
    delete[] v.wave_buffer;
    // The envelope's samples plus one that no segment writes. An envelope
    // longer than the limit is cut short, still followed by a silent sample.
    const int64_t envelope = int64_t{a} + b + c + d;
    const bool cut = envelope > max_instrument_samples;
    const int32_t length = static_cast<int32_t>(cut ? max_instrument_samples : envelope) + 1;
    const int32_t writable = cut ? length - 1 : length;
    v.wave_buffer = new float[static_cast<size_t>(length)]();  // unwritten samples stay 0
    v.wave_length = length;
    v.phase = -1.0f;  // the old buffer is gone: no note may go on reading it

    // A zero attack or release still takes one sample.
    const int32_t attack_samples = a == 0 ? 1 : a;
    const int32_t release_samples = d == 0 ? 1 : d;
    const float slope = 1.0f / static_cast<float>(attack_samples);  // amplitude change per attack/decay sample
    const float drift_per_sample = static_cast<float>(drift / 1000.0 / base_wave_length);
    // Ring modulation: e / 100 cycles per 168 samples, in radians per sample.
    const float ring_increment =
        ring_rate != 0 ? static_cast<float>(ring_rate / 100.0 * 2.0 * pi / base_wave_length) : 0.0f;

    float p = 0;  // read position in the base wave
    float g = 0;  // amplitude; not clamped, so it may swing far below 0
    float h = 0;  // ring modulator angle, radians
    float k = 1;  // read increment
    int32_t out = 0;
    // Writes `count` samples, changing the amplitude by `delta` after each.
    // Stops where writing must end: with attack and release both 0 the
    // segments would write one sample more than the buffer holds.
    auto segment = [&](int32_t count, float delta) {
        for (int32_t s = 0; s < count && out < writable; ++s) {
            float x = wave[wave_index(p, modulus)] * g;
            if (ring_rate != 0) x = static_cast<float>(std::sin(static_cast<double>(h)) * x);
            v.wave_buffer[out++] = x;
            p += k;
            k += drift_per_sample;
            h += ring_increment;
            g += delta;
        }
    };
    segment(attack_samples, slope);
    if (b > 0) segment(b, -slope);
    if (c > 0) segment(c, 0.0f);
    segment(release_samples, -(g / static_cast<float>(release_samples)));
}
