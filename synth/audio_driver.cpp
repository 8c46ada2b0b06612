#include "synth/audio_driver.h"

#include <cstring>
#include <vector>

#include "synth/synth.h"

int64_t drive_audio_until(AudioDriver& driver, int64_t frames, int16_t* out, int buffer_frames) {
    if (buffer_frames < 1) buffer_frames = 1;
    // Scratch buffer owned by the driver's thread; the callback writes bytes.
    std::vector<uint8_t> buffer(static_cast<size_t>(buffer_frames) * 4);
    int64_t rendered = 0;
    while (driver.frames_rendered < frames) {
        audio_callback(nullptr, buffer.data(), buffer_frames * 4);
        if (out) std::memcpy(out + rendered * 2, buffer.data(), buffer.size());
        driver.frames_rendered += buffer_frames;
        rendered += buffer_frames;
    }
    return rendered;
}
