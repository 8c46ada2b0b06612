#include "synth/audio_driver.h"

#include <algorithm>

#include "synth/synth.h"
#include "synth/synth_state.h"

int64_t drive_audio_until(AudioDriver& driver, int64_t frames, std::span<int16_t> out) {
    int64_t wanted = frames - driver.frames_delivered;
    if (!out.empty()) wanted = std::min(wanted, static_cast<int64_t>(out.size() / 2));  // 2 samples a frame
    int64_t done = 0;
    while (done < wanted) {
        if (driver.frames_delivered == driver.frames_rendered) {
            audio_callback(nullptr, driver.buffer.data(), static_cast<int>(driver.buffer.size()));
            driver.frames_rendered += audio_buffer_frames;
        }
        const int64_t pending = driver.frames_rendered - driver.frames_delivered;
        const int64_t take = std::min(pending, wanted - done);
        if (!out.empty()) {
            // The pending frames are the last ones of the buffer: 4 bytes a
            // frame, little-endian 16-bit samples.
            const uint8_t* from = driver.buffer.data() + 4 * (audio_buffer_frames - pending);
            for (int64_t i = 0; i < 2 * take; ++i)
                out[static_cast<size_t>(2 * done + i)] = static_cast<int16_t>(from[2 * i] | (from[2 * i + 1] << 8));
        }
        driver.frames_delivered += take;
        done += take;
    }
    return done;
}

int64_t frames_through_bar(int32_t bar) {
    return (int64_t{bar} + 1) * steps_per_bar * synth.clock.samples_per_step;
}
