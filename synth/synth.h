// Synthesizer: plays the song from the score embedded in the program.
//
// There are no oscillators at play time. At start-up init_synth() builds the
// fixed tables (pitch table, token table, base waves) and the voice
// defaults; parse_score() reads the score text into the step length, the
// pattern and track tables, and one instrument per voice, and then renders
// the instruments once into sample buffers (render_instruments()). From
// then on audio_callback() is the whole synthesizer: at every step boundary it
// advances each voice along its track, and for every frame it replays the
// voices' buffers at their notes' rates, through each voice's echo ring and
// low-pass filter, and mixes them into 16-bit stereo.
//
// Threads:
//  - Main thread, once, before the audio device is unpaused: init_synth(),
//    then parse_score(). Rendering the instruments takes a few helper
//    threads as well, which parse_score() starts and waits for; they touch
//    nothing but the buffers they render.
//  - Audio thread (SDL's, or a driver that calls it directly, see
//    synth/audio_driver.h): audio_callback() only. It never allocates,
//    locks, logs, or calls sin or rand; everything costly was done at
//    start-up.
//  - Main thread, every frame: beat_pulse() and reads of song_bar.
// The only values that cross threads are song_bar and each voice's
// trigger count (synth_state.h): relaxed std::atomic<int32_t>, written by the
// audio thread only.
//
// Ownership: all state is static (synth_state.h). Rendered instruments and
// echo rings are allocated at start-up and live until the process ends.
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

// Bar (16 steps) of the last step boundary rendered: 0 through the first 16
// steps, then one more every 16 steps. Written by the audio thread at the end
// of each callback that crossed a step boundary; read by the main thread.
extern std::atomic<int32_t> song_bar;

// Puts the synthesizer into its start state: pitch and token tables, the
// four base waves, empty tracks, voice defaults (pan 0.25 for odd and 0.75
// for even voices, volume 1, silent, trigger count 10000000), the default
// tempo, sample counter and song_bar 0. The noise table takes the next 44100
// values of the C library's rand(); at start-up that is before anything
// calls srand, and later start-up steps continue the same sequence.
// A second call frees the buffers of the first, so a tool or a test can
// start over in one process. Main thread, with the audio device paused.
void init_synth();

// Parses the embedded score (data/score.txt). It is copied into writable
// storage first, because the parser edits its text. Returns 0.
int parse_score();

// Something in a score that the parser could not use as written, for the
// person who wrote it: the line (1-based, counting every line feed, so empty
// and comment lines count too) and what was done instead, in words.
struct ScoreProblem {
    int32_t line;
    std::string reason;
};

// Parses `text`, a writable NUL-terminated score, editing it in place
// (spaces and carriage returns are squeezed out, lines and lists are cut
// with NULs). Any text is accepted: what the score language does not define
// is ignored or clamped so that every table access stays in bounds, and
// afterwards every voice has a wave buffer and an echo ring of the song's
// echo length. Returns 0. Main thread, after init_synth, device paused.
// When `problems` is given, each thing ignored, cut, read differently or
// left silent is appended to it, in line order; what is stored does not
// depend on it. The program passes none; the capture tool does.
int parse_score(char* text, std::vector<ScoreProblem>* problems = nullptr);

// Renders instrument `voice` (0..29) into its wave buffer from base wave
// `wave_type` (0 square, 1 sine, 2 saw, 3 noise) and the instrument line's
// numbers: attack, decay, sustain and release lengths in samples (negative
// counts as 0), ring rate (e / 100 cycles per 168 samples, 0 = none) and
// drift (read increment change per sample in units of 1/168000). The buffer
// holds attack + decay + sustain + release + 1 samples, the last of which no
// segment writes and which is 0; an envelope longer than
// max_instrument_samples is cut to that length. Silences the voice. Main
// thread.
void render_instrument(int32_t voice, int32_t wave_type, int32_t attack, int32_t decay, int32_t sustain,
                       int32_t release, int32_t ring_rate, int32_t drift);

// One instrument line's numbers, as render_instrument() takes them.
struct InstrumentRequest {
    int32_t voice, wave_type, attack, decay, sustain, release, ring_rate, drift;
};

// Renders each request as render_instrument() would; where a voice is
// asked for more than once, the last request counts. Voices with equal
// numbers get one buffer between them. The work is shared out over as many
// threads as the machine runs at once (8 at most), which have all finished
// when it returns; the buffers do not depend on how it was shared. Main
// thread; the helper threads call nothing outside this module.
// `alongside`, when given, runs on the calling thread once every voice has
// its new buffer and the helpers have started, before the calling thread
// joins them; it may change anything but the voices' wave buffers.
void render_instruments(std::span<const InstrumentRequest> requests,
                        const std::function<void()>& alongside = {});

// Longest envelope of one instrument, in samples: about 23.8 s at the base
// rate, 4 MB of buffer. The song's longest takes 900002.
constexpr int32_t max_instrument_samples = 1 << 20;

// SDL_AudioCallback: fills len / 4 stereo frames, each two signed 16-bit
// little-endian samples (left, right), advancing the song by that many
// frames. With len <= 3 it does nothing. Audio thread.
void audio_callback(void* userdata, uint8_t* stream, int len);

// A swell from 0 up to 1 and back to 0 over about 0.165 s, started by the
// first query that notices a new note on `voice` (0..29; others give 0).
// `t` is seconds on the caller's clock and must not go backwards. There is
// one pulse per voice, shared by all callers. Main thread.
float beat_pulse(int32_t voice, float t);
