// Audio driver without a device: calls audio_callback() itself, the way
// SDL's audio thread would, so a capture or a test can advance the song on a
// virtual clock and see exactly the samples a device would receive.
//
// Call it from one thread only, and never while an SDL audio device that
// uses the same callback is unpaused.
#pragma once
#include <cstdint>

// Frames per device buffer, as requested from SDL at start-up.
constexpr int audio_buffer_frames = 4096;

// The last bar of the show: the program ends on the first frame that sees a
// later one, so a capture of the song runs to the end of this bar.
constexpr int32_t last_song_bar = 72;

struct AudioDriver {
    int64_t frames_rendered = 0;  // frames produced since the song began
};

// Renders buffers of `buffer_frames` frames until at least `frames` frames
// have been rendered in all. Interleaved stereo samples are written to `out`
// (2 * rendered frames int16 values) when it is not null.
// Returns the number of frames rendered by this call.
int64_t drive_audio_until(AudioDriver& driver, int64_t frames, int16_t* out,
                          int buffer_frames = audio_buffer_frames);

// Frames from the start of the song to the end of bar `bar` at the parsed
// tempo: (bar + 1) bars of 16 steps. 6,181,056 for bar 72 at 125 bpm.
int64_t frames_through_bar(int32_t bar);
