#include "synth/audio_driver.h"

#include <vector>

#include "synth/synth.h"
#include "synth/synth_state.h"

int64_t drive_audio_until(AudioDriver& driver, int64_t frames, int16_t* out, int buffer_frames) {
    if (buffer_frames < 1) buffer_frames = 1;
    // The callback writes bytes, as into a device buffer. Driver's thread.
    std::vector<uint8_t> buffer(static_cast<size_t>(buffer_frames) * 4);
    int64_t rendered = 0;
    while (driver.frames_rendered < frames) {
        audio_callback(nullptr, buffer.data(), buffer_frames * 4);
        if (out) {
            int16_t* dest = out + rendered * 2;
            for (size_t i = 0; i < buffer.size(); i += 2)  // little-endian 16-bit samples
                dest[i / 2] = static_cast<int16_t>(buffer[i] | (buffer[i + 1] << 8));
        }
        driver.frames_rendered += buffer_frames;
        rendered += buffer_frames;
    }
    return rendered;
}

int64_t frames_through_bar(int32_t bar) {
    return (int64_t{bar} + 1) * steps_per_bar * synth.clock.samples_per_step;
}
