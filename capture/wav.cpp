// --wav: the song as a WAV file, rendered by the real audio_callback in
// device-sized buffers, so the file holds exactly the samples a device
// receives, from the first frame to the end of the last bar.
#include <algorithm>
#include <cstdio>
#include <vector>

#include "capture/capture.h"
#include "capture/score.h"
#include "capture/wav_writer.h"
#include "synth/audio_driver.h"
#include "synth/synth.h"
#include "synth/synth_state.h"

int capture_wav(const CaptureRequest& request) {
    if (load_capture_score(request) < 0) return capture_failed;
    const int64_t frames = frames_through_bar(last_song_bar);
    std::FILE* file = std::fopen(request.output.c_str(), "wb");
    if (!file) {
        std::perror(request.output.c_str());
        return capture_failed;
    }
    const std::vector<uint8_t> header = wav_header(frames, sample_rate);
    bool ok = std::fwrite(header.data(), 1, header.size(), file) == header.size();
    // Whole buffers, as a device asks for them; the file ends at the song's
    // last frame, inside the last buffer.
    AudioDriver driver;
    std::vector<int16_t> buffer(2 * audio_buffer_frames);
    while (ok && driver.frames_rendered < frames) {
        const int64_t start = driver.frames_rendered;
        drive_audio_until(driver, start + 1, buffer.data());
        const int64_t keep = std::min<int64_t>(audio_buffer_frames, frames - start);
        ok = write_wav_samples(file, buffer.data(), keep);
    }
    ok = (std::fclose(file) == 0) && ok;
    if (!ok) {
        std::fprintf(stderr, "tumbo-capture: cannot write %s\n", request.output.c_str());
        return capture_failed;
    }
    return capture_ok;
}
