// Synthesizer: renders the embedded song.
//
// Threads: init_synth() and parse_score() run once on the main thread at
// start-up, before the audio device is unpaused. audio_callback() runs on
// SDL's audio thread (or on a driver's thread that calls it directly, see
// audio_driver.h). beat_pulse() runs on the main thread.
//
// Only `song_bar` and each voice's trigger count cross threads; both are
// relaxed atomics.
//
// (Placeholder until the synthesizer lands: the callback writes silence and
// `song_bar` stays 0.)
#pragma once
#include <atomic>
#include <cstdint>

// Bar (16 steps) of the last step boundary rendered. Written by the audio
// thread at the end of each callback, read by the main thread.
extern std::atomic<int32_t> song_bar;

void init_synth();
int parse_score();

// SDL_AudioCallback: fills len / 4 stereo frames of signed 16-bit samples.
// Audio thread.
void audio_callback(void* userdata, uint8_t* stream, int len);

// 0..1 swell following note starts on `voice`; t in seconds on the caller's
// clock. Main thread.
float beat_pulse(int voice, float t);
