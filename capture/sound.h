// The sound of a capture, rendered by the real audio_callback in whole
// device buffers through the audio driver, so it holds exactly the samples
// a device receives. --wav writes it to a file; --video has it rendered by
// a child process of its own (capture/encoder.h), from a copy of the
// synthesizer taken before the first buffer, so that ffmpeg can read the
// sound as far ahead of the pictures as it likes. Both hand on the part of
// each buffer that lies in the capture's range (capture_sample_range).
// Main thread (or the sound process's only thread).
#pragma once
#include <cstdint>
#include <functional>

#include "synth/audio_driver.h"

// Receives the sound in order: `frames` stereo frames (2 * frames samples,
// left then right) whose first is `position` sample frames after the start
// of the song.
using AudioTap = std::function<void(int64_t position, const int16_t* samples, int64_t frames)>;

// Renders the song until `frames` sample frames from its start have been
// handed to `tap`, at most one device buffer at a time (the driver keeps
// what lies beyond `frames` for the next call). `position` is the count
// handed on so far (the caller's, from 0).
void feed_audio_until(AudioDriver& audio, int64_t& position, int64_t frames, const AudioTap& tap);

// Calls `use` with the part of [position, position + frames) that lies in
// [first, end), if any: (position of that part, its samples, its frames).
void clip_to_range(int64_t first, int64_t end, int64_t position, const int16_t* samples, int64_t frames,
                   const AudioTap& use);
