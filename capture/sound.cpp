#include "capture/sound.h"

#include <algorithm>

void feed_audio_until(AudioDriver& audio, int64_t& position, int64_t frames, const AudioTap& tap) {
    // One device buffer per call of the audio driver, into a buffer on the
    // stack: the driver renders whole buffers and returns how many frames it
    // handed on.
    int16_t samples[2 * audio_buffer_frames];
    while (position < frames) {
        const int64_t target = std::min<int64_t>(frames, position + audio_buffer_frames);
        const int64_t got = drive_audio_until(audio, target, samples);
        if (got <= 0) return;
        tap(position, samples, got);
        position += got;
    }
}

void clip_to_range(int64_t first, int64_t end, int64_t position, const int16_t* samples, int64_t frames,
                   const AudioTap& use) {
    const int64_t from = std::max(position, first), to = std::min(position + frames, end);
    if (to > from) use(from, samples + 2 * (from - position), to - from);
}
