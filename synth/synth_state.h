// The synthesizer's global state: fixed tables, the score's tables, the 30
// voices and the song clock. Shared by the set-up (voices.cpp), the parser
// (score_parser.cpp) and the audio callback (audio_callback.cpp); tests read
// it to check what the parser stored and what the callback did.
//
// Ownership and threads:
//  - Everything here is written by the main thread during start-up
//    (init_synth, parse_score), while the audio device is still paused.
//  - From the moment the device is unpaused, only the audio thread changes
//    it, and only the fields marked "playing state" plus the echo rings and
//    the song clock. Tables, rendered buffers and mix settings are read-only.
//  - The main thread may read `song_bar` (synth.h) and each voice's
//    `trigger_count` at any time; both are relaxed atomics with one writer.
//  - Buffers (rendered instruments, echo rings) are allocated at start-up
//    with new[] and kept until the process ends. They are deliberately never
//    freed at exit, because SDL's audio thread may still be running while
//    static destructors would run. init_synth and a redefined instrument
//    free the buffers they replace; both run before the device starts.
//    Voices with equal instrument lines play one rendered buffer, owned by
//    one of them (wave_storage); the others only point at it.
#pragma once
#include <atomic>
#include <cstdint>

// --- sizes ---
constexpr int32_t sample_rate = 44100;           // frames per second
constexpr int32_t base_wave_length = 168;        // one cycle of square/sine/saw; 44100/168 = 262.5 Hz
constexpr int32_t noise_length = 44100;          // samples in the noise table
constexpr int32_t voice_count = 30;              // voices 0..29; voice 0 is never played
constexpr int32_t pattern_count = 1000;          // patterns 0..999
constexpr int32_t pattern_entries = 100;         // entries per pattern, end marker included
constexpr int32_t track_entries = 100;           // entries per track, end marker included
constexpr int32_t note_count = 72;               // six octaves of twelve notes
constexpr int32_t token_count = 78;              // 72 notes, 5 commands, "0"
constexpr int32_t steps_per_bar = 16;            // sequencer steps in one bar of song_bar

// --- table entries ---
// Markers in the pattern and track tables, and the command codes that the
// token table stores in patterns. A positive pattern entry is a note in Hz,
// 0 is a hold step.
constexpr int32_t entry_end = -2;      // end of pattern / end of track
constexpr int32_t entry_loop = -3;     // track: go back to its first entry
constexpr int32_t command_echo_on = -4;
constexpr int32_t command_echo_off = -5;
constexpr int32_t command_stop = -6;
constexpr int32_t command_volume = -7;  // the next entry is the volume in hundredths
constexpr int32_t command_slide = -8;   // the next entry is the slide in 1/100000 per sample

// Base wave selectors, in the order of the instrument line's wave words.
enum WaveType : int32_t { wave_square = 0, wave_sine = 1, wave_saw = 2, wave_noise = 3 };
constexpr int32_t wave_type_count = 4;

// Tempo used until a valid tempo line is read: 125 beats per minute, a
// sixteenth note of 5292 samples, and an echo of three steps.
constexpr int32_t default_samples_per_step = 5292;
constexpr int32_t default_echo_length = 3 * default_samples_per_step;

// One entry of the token table: a name that pattern lines may use and the
// value stored for it (a frequency in Hz, a command code, or 0).
struct Token {
    const char* name;  // NUL-terminated, compared exactly and case-sensitively
    int32_t value;
};

// Tables built by init_synth and never changed afterwards.
struct FixedTables {
    // Note frequencies in whole Hz, c1..b6 with sharps (c, C, d, D, e, f, F,
    // g, G, a, A, b per octave). Octave 6 is given; lower ones are halved.
    int32_t pitch_table[note_count];
    Token token_table[token_count];
    char note_names[note_count][3];  // storage for the 72 note names ("c1".."b6")

    // Base waves, single-precision samples in -1..1.
    float square[base_wave_length];  // -1 for the first half cycle, +1 for the second
    float sine[base_wave_length];    // one sine cycle
    float saw[base_wave_length];     // rises from 0 to 1, jumps to -1, rises to 0
    float noise[noise_length];       // (rand() % 2000 - 1000) / 1000, in -1.0..0.999
};

// The score's tables, filled by the parser. Read-only for the callback.
struct ScoreTables {
    // Entries of each pattern: notes (Hz), 0 hold, commands with their
    // argument in the next entry, then entry_end. Zero at program start.
    int32_t pattern_table[pattern_count][pattern_entries];
    // Pattern numbers (0..999) of each track in play order, entry_loop, then
    // entry_end. Track N is played by voice N.
    int32_t track_table[voice_count][track_entries];
};

// One voice: the instrument it plays, its mix settings and its playing
// state. Voice N plays track N with instrument N.
struct Voice {
    // --- set at start-up, read-only while playing ---
    float pan = 0;              // left share, normally 0..1; right gets 1 - pan
    float lowpass = 0;          // one-pole coefficient, normally 0..1; 0 = no filter
    int32_t wave_length = 0;    // samples in wave_buffer; >= 1 once a score is parsed
    float* wave_buffer = nullptr;   // rendered instrument: wave_storage, or another voice's with an equal line
    float* wave_storage = nullptr;  // the buffer this voice owns (new[]), or nullptr
    float* echo_ring = nullptr;    // echo delay line of echo_ring_length samples, owned (new[])
    int32_t echo_ring_length = 0;  // equals the song's echo_length once a score is parsed

    // --- playing state: audio thread once the device runs ---
    float lowpass_state = 0;    // last output of the low-pass filter
    float step = 0;             // read increment per output sample (note Hz / 262)
    float slide = 0;            // change of step per output sample
    float volume = 0;           // gain, 1.0 by default
    uint8_t echo_on = 0;        // 1: new sound is fed into the echo ring
    uint8_t ring_silent = 1;    // 1: every sample of echo_ring is known to be 0 (lets the mix skip it)
    float phase = 0;            // read position in wave_buffer; negative = silent
    int32_t pattern_pos = 0;    // index of the current entry in the current pattern
    int32_t track_pos = 0;      // index of the current entry in the track; -1 not started, -2 ended

    // Steps since the voice's last note; 10000000 until the first one.
    // Written by the audio thread at every step, read by beat_pulse on the
    // main thread.
    std::atomic<int32_t> trigger_count{0};
};

// Song-wide timing.
struct SongClock {
    int32_t samples_per_step = default_samples_per_step;  // >= 1, set by the tempo line
    int32_t echo_length = default_echo_length;            // 3 * samples_per_step; every ring's length
    // Frames rendered since the song began (the device was unpaused). Audio
    // thread. 64-bit, so the count cannot overflow however long the program
    // runs.
    int64_t sample_counter = 0;
};

struct SynthState {
    FixedTables fixed;
    ScoreTables score;
    Voice voices[voice_count];
    SongClock clock;
    // Set by parse_score once every voice has a wave buffer and an echo ring
    // of echo_length samples; cleared by init_synth. Until then the callback
    // writes silence and changes nothing. Main thread, before the device runs.
    bool ready = false;
};

extern SynthState synth;

// Number of voices the callback plays: 1..V, where track V + 1 is the first
// empty track from track 2 on; 0 when track 1 itself is empty.
int32_t played_voice_count();
