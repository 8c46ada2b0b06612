// --video: the show as an MP4 file, H.264 yuv420p with AAC stereo at
// 48 kHz, encoded by the ffmpeg program fed through pipes (capture/
// encoder.h). The frames are those of --frames at the same fps, size and
// antialiasing, turned into YUV here (capture/picture.h); the sound is the
// audio callback's output from the time of the first frame to the time of
// the end frame, sample for sample what --wav writes for that range,
// resampled. Frame n and sample n * 44100 / fps share one timestamp in the
// file, so the picture at T shows what the live program shows while the
// sound at T plays. The file is written under a temporary name and renamed
// when complete: a failed or stopped capture leaves no file under the
// requested name.
#include <cstdio>

#include "capture/capture.h"
#include "capture/encoder.h"
#include "capture/frame_loop.h"
#include "capture/interrupt.h"
#include "capture/output_file.h"
#include "capture/show_driver.h"

namespace {
// The sound of frames [first, end): [frame_sample(first),
// frame_sample(end)). At 30 and 60 fps every frame time is a whole sample,
// so this is capture_sample_range for --from first/fps --to end/fps.
FrameRange video_sound_range(const FrameRange& frames, int32_t fps) {
    FrameRange sound = frames;
    sound.first = frame_sample(frames.first, fps);
    sound.end = frame_sample(frames.end, fps);
    return sound;
}

int fail(const std::string& message, const std::string& output) {
    discard_temporary(output);
    std::fprintf(stderr, "tumbo-capture: %s\n", message.c_str());
    return capture_failed;
}
}  // namespace

int capture_video(const CaptureRequest& request) {
    // Before anything is created, so that a stop at any time cleans up.
    catch_stop_signals();
    // What can fail without rendering fails first.
    VideoEncoderConfig encoding;
    encoding.program = find_program("ffmpeg");
    if (encoding.program.empty()) {
        std::fprintf(stderr,
                     "tumbo-capture: --video needs the ffmpeg program, which is not on PATH; install the Debian "
                     "package ffmpeg (apt-get install ffmpeg)\n");
        return capture_failed;
    }
    std::string error;
    if (!create_temporary(request.output, error)) return fail(error, request.output);
    ShowDriver driver;
    if (!start_show_driver(driver, show_driver_config(request), error)) return fail(error, request.output);
    const FrameRange range = capture_frame_range(request);
    if (!range.valid) {
        fail(range.error, request.output);
        return capture_bad_usage;
    }

    encoding.output = temporary_path(request.output);
    encoding.width = request.width;
    encoding.height = request.height;
    encoding.fps = request.fps;
    encoding.sound = video_sound_range(range, request.fps);
    encoding.score_path = request.score_path;
    VideoEncoder encoder;
    if (!start_encoder(encoder, encoding, error)) return fail(error, request.output);
    const FrameHandler encode = [&](int64_t, const std::vector<uint8_t>& yuv) {
        if (write_encoder_frame(encoder, yuv.data(), yuv.size())) return true;
        if (stop_signal() == 0) std::fprintf(stderr, "tumbo-capture: ffmpeg stopped reading the frames\n");
        return false;
    };
    Progress progress;
    FrameLoopTimes times;
    FrameLoopEnd end = run_frame_loop(driver, range, PictureFormat::yuv420, progress, times, encode);
    const double finish_started = progress_clock();
    if (end == FrameLoopEnd::finished) {
        if (!finish_encoder(encoder, error)) {
            end = stop_signal() != 0 ? FrameLoopEnd::stopped : FrameLoopEnd::failed;
            if (end == FrameLoopEnd::failed) std::fprintf(stderr, "tumbo-capture: %s\n", error.c_str());
        } else if (!commit_temporary(request.output, error)) {
            return fail(error, request.output);
        }
    }
    times.handing += progress_clock() - finish_started;
    if (end != FrameLoopEnd::finished) {
        abandon_encoder(encoder);
        discard_temporary(request.output);
        if (end == FrameLoopEnd::failed) return capture_failed;
        finish_progress(progress, driver.next_frame, progress_clock(),
                        "; stopped by a signal; " + request.output + " not written");
        return capture_stopped_status(stop_signal());
    }
    finish_progress(progress, driver.next_frame, progress_clock(),
                    ": drawing " + seconds_text(times.drawing) + ", reading back " + seconds_text(times.reading) +
                        ", waiting for the encoder " + seconds_text(times.handing) + "; wrote " +
                        std::to_string(range.end - range.first) + " frames to " + request.output);
    return capture_ok;
}
