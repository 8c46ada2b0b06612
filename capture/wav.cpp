// --wav: the song as a WAV file, rendered by the real audio_callback in
// device-sized buffers, so the file holds exactly the samples a device
// receives: from the first frame (or --from) to the end of the last bar (or
// --to). Written under a temporary name and renamed when complete.
// --raw-sound renders a range the same way for a --video's sound process.
#include <algorithm>
#include <cstdio>
#include <vector>

#include "capture/capture.h"
#include "capture/interrupt.h"
#include "capture/output_file.h"
#include "capture/progress.h"
#include "capture/score.h"
#include "capture/show_driver.h"
#include "capture/sound.h"
#include "capture/wav_writer.h"
#include "core/show_bars.h"
#include "synth/audio_driver.h"
#include "synth/synth.h"
#include "synth/synth_state.h"

FrameRange capture_sample_range(const CaptureRequest& request) {
    const int64_t song = frames_through_bar(last_song_bar);
    char whole[48];
    std::snprintf(whole, sizeof whole, "the song (%.3f s)", static_cast<double>(song) / sample_rate);
    // A sample is a frame at the sample rate: the same rounding as a
    // picture's first frame, so times on a picture frame give its sample.
    return request_range(request, sample_rate, song, whole, "no sample lies between --from and --to");
}

int capture_wav(const CaptureRequest& request) {
    catch_stop_signals();
    if (load_capture_score(request) < 0) return capture_failed;
    const FrameRange range = capture_sample_range(request);
    if (!range.valid) {
        std::fprintf(stderr, "tumbo-capture: %s\n", range.error.c_str());
        return capture_bad_usage;
    }
    std::string error;
    if (!create_temporary(request.output, error)) {
        std::fprintf(stderr, "tumbo-capture: %s\n", error.c_str());
        return capture_failed;
    }
    std::FILE* file = std::fopen(temporary_path(request.output).c_str(), "wb");
    if (!file) {
        discard_temporary(request.output);
        std::fprintf(stderr, "tumbo-capture: cannot write %s\n", request.output.c_str());
        return capture_failed;
    }
    const std::vector<uint8_t> header = wav_header(range.end - range.first, sample_rate);
    bool ok = std::fwrite(header.data(), 1, header.size(), file) == header.size();
    // The buffers come whole, as a device asks for them; the file keeps the
    // part of each that lies in the range.
    const AudioTap write_part = [&](int64_t, const int16_t* samples, int64_t frames) {
        ok = ok && write_wav_samples(file, samples, frames);
    };
    const AudioTap write = [&](int64_t position, const int16_t* samples, int64_t frames) {
        clip_to_range(range.first, range.end, position, samples, frames, write_part);
    };
    // Progress in whole seconds of sound, one report per second rendered.
    const int64_t seconds = (range.end - range.first + sample_rate - 1) / sample_rate;
    Progress progress;
    progress.unit = "s of sound";
    progress.rate_unit = "x real time";
    start_progress(progress, stderr, seconds, progress_clock());
    AudioDriver driver;
    int64_t position = 0;
    while (ok && position < range.end && stop_signal() == 0) {
        feed_audio_until(driver, position, std::min<int64_t>(range.end, position + sample_rate), write);
        update_progress(progress, std::max<int64_t>(position - range.first, 0) / sample_rate, progress_clock());
    }
    ok = (std::fclose(file) == 0) && ok;
    if (stop_signal() != 0) {
        discard_temporary(request.output);
        finish_progress(progress, std::max<int64_t>(position - range.first, 0) / sample_rate, progress_clock(),
                        "; stopped by a signal; " + request.output + " not written");
        return capture_stopped_status(stop_signal());
    }
    if (!ok || !commit_temporary(request.output, error)) {
        discard_temporary(request.output);
        std::fprintf(stderr, "tumbo-capture: cannot write %s\n", request.output.c_str());
        return capture_failed;
    }
    finish_progress(progress, seconds, progress_clock(), "; wrote " + request.output);
    return capture_ok;
}

int capture_raw_sound(const CaptureRequest& request) {
    if (load_capture_score(request) < 0) return capture_failed;
    bool ok = true;
    const AudioTap write_part = [&](int64_t, const int16_t* samples, int64_t frames) {
        uint8_t bytes[4 * audio_buffer_frames];  // one device buffer at most, 4 bytes a stereo frame
        for (int64_t i = 0; i < 2 * frames; ++i) {
            const auto bits = static_cast<uint16_t>(samples[i]);
            bytes[2 * i] = static_cast<uint8_t>(bits & 0xff);  // little-endian, as ffmpeg's s16le reads
            bytes[2 * i + 1] = static_cast<uint8_t>(bits >> 8);
        }
        const auto size = static_cast<size_t>(4 * frames);
        ok = ok && std::fwrite(bytes, 1, size, stdout) == size;
    };
    const AudioTap write = [&](int64_t position, const int16_t* samples, int64_t frames) {
        clip_to_range(request.raw_first, request.raw_end, position, samples, frames, write_part);
    };
    AudioDriver driver;
    int64_t position = 0;
    while (ok && position < request.raw_end)
        feed_audio_until(driver, position, std::min<int64_t>(request.raw_end, position + sample_rate), write);
    ok = std::fflush(stdout) == 0 && ok;
    return ok ? capture_ok : capture_failed;
}
