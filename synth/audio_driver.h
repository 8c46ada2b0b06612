// Audio driver without a device: calls audio_callback() itself, the way
// SDL's audio thread would, so a capture or a test can advance the song on a
// virtual clock and see exactly the samples a device would receive.
//
// Call it from one thread only, and never while an SDL audio device that
// uses the same callback is unpaused. The caller owns the AudioDriver (it
// holds one device buffer, 16 KiB) and the output it passes in.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

// Frames per device buffer, as requested from SDL at start-up.
constexpr int audio_buffer_frames = 4096;

struct AudioDriver {
    // Frames the callback has produced since the song began: always whole
    // device buffers, as a device asks for them.
    int64_t frames_rendered = 0;
    // Frames handed on to callers (written or skipped), 0..frames_rendered.
    int64_t frames_delivered = 0;
    // The buffer the callback filled last, 16-bit little-endian stereo as a
    // device receives it. Its last frames_rendered - frames_delivered frames
    // have not been handed on yet.
    std::array<uint8_t, 4 * audio_buffer_frames> buffer{};
};

// Advances the song until `frames` frames from its start have been handed
// on, and hands on every frame from frames_delivered up to there: written to
// `out` as interleaved stereo samples (left, right), or skipped when `out`
// is empty. The callback runs in whole device buffers, so song_bar and the
// voices move exactly as with a device; the frames of the last buffer
// beyond `frames` are kept for the next call. Nothing is written past the
// end of `out`: when it holds fewer than 2 * (frames - frames_delivered)
// values, only out.size() / 2 frames are handed on.
// Returns the number of frames handed on (0 when frames <= frames_delivered).
int64_t drive_audio_until(AudioDriver& driver, int64_t frames, std::span<int16_t> out = {});

// Advancing only, for a caller that draws frames at a song position:
// drive_audio_until(driver, frames, nullptr).
inline int64_t drive_audio_until(AudioDriver& driver, int64_t frames, std::nullptr_t) {
    return drive_audio_until(driver, frames);
}

// Frames from the start of the song to the end of bar `bar` at the parsed
// tempo: (bar + 1) bars of 16 steps. 6,181,056 for bar 72 at 125 bpm.
int64_t frames_through_bar(int32_t bar);
