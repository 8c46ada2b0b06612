// --frames: the show as PNG files DIR/frame_NNNNNN.png, N the frame's index
// counted from the start of the song at the chosen fps. Every frame from
// the start runs, so that a partial capture (--from) shows exactly the
// frames of a whole one; only those in the range are read back and
// written. Each file is written under a temporary name and renamed when
// complete, so a file with a frame's name is always a whole frame; a
// stopped capture leaves the whole frames it wrote.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "capture/capture.h"
#include "capture/frame_loop.h"
#include "capture/interrupt.h"
#include "capture/output_file.h"
#include "capture/png_writer.h"
#include "capture/show_driver.h"

namespace {
bool make_folder(const std::string& dir, std::string& error) {
    if (mkdir(dir.c_str(), 0777) == 0 || errno == EEXIST) {
        struct stat st {};
        if (stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return true;
        error = dir + " exists and is not a folder";
        return false;
    }
    error = "cannot create the folder " + dir + ": " + std::strerror(errno);
    return false;
}

std::string frame_name(int64_t n) {
    char name[32];
    std::snprintf(name, sizeof name, "frame_%06lld.png", static_cast<long long>(n));
    return name;
}
}  // namespace

int capture_frames(const CaptureRequest& request) {
    catch_stop_signals();
    std::string error;
    if (!make_folder(request.output, error)) {
        std::fprintf(stderr, "tumbo-capture: %s\n", error.c_str());
        return capture_failed;
    }
    ShowDriver driver;
    if (!start_show_driver(driver, show_driver_config(request), error)) {
        std::fprintf(stderr, "tumbo-capture: %s\n", error.c_str());
        return capture_failed;
    }
    const FrameRange range = capture_frame_range(request);
    if (!range.valid) {
        std::fprintf(stderr, "tumbo-capture: %s\n", range.error.c_str());
        return capture_bad_usage;
    }
    int64_t written = 0;
    const FrameHandler write_frame = [&](int64_t n, const std::vector<uint8_t>& rgb) {
        const std::string path = request.output + "/" + frame_name(n);
        if (!write_png_rgb(temporary_path(path), request.width, request.height, rgb, error) ||
            !commit_temporary(path, error, false)) {
            discard_temporary(path);
            std::fprintf(stderr, "tumbo-capture: %s\n", error.c_str());
            return false;
        }
        ++written;
        return true;
    };
    Progress progress;
    FrameLoopTimes times;
    const FrameLoopEnd end = run_frame_loop(driver, range, PictureFormat::rgb, progress, times, write_frame);
    // The frames' names reach the disk once, after the last (each frame's
    // contents did before its rename).
    if (written > 0 && !sync_folder_of(request.output + "/" + frame_name(0))) {
        std::fprintf(stderr, "tumbo-capture: cannot flush %s to the disk\n", request.output.c_str());
        return capture_failed;
    }
    const std::string frames_written = std::to_string(written) + " PNG frame" + (written == 1 ? "" : "s");
    if (end == FrameLoopEnd::stopped) {
        finish_progress(progress, driver.next_frame, progress_clock(),
                        "; stopped by a signal; " + frames_written + " in " + request.output);
        return capture_stopped_status(stop_signal());
    }
    if (end == FrameLoopEnd::failed) return capture_failed;
    finish_progress(progress, driver.next_frame, progress_clock(),
                    ": drawing " + seconds_text(times.drawing) + ", reading back " + seconds_text(times.reading) +
                        ", writing PNGs " + seconds_text(times.handing) + "; " + frames_written + " in " +
                        request.output);
    return capture_ok;
}
