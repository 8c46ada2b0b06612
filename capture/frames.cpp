// --frames: the show as PNG files DIR/frame_NNNNNN.png, N the frame's index
// counted from the start of the song at the chosen fps. Every frame from
// the start runs, so that a partial capture (--from) shows exactly the
// frames of a whole one; only those in the range are read back and
// written. Each file is written under a temporary name and renamed when
// complete, so a file with a frame's name is always a whole frame.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "capture/capture.h"
#include "capture/png_writer.h"
#include "capture/score.h"
#include "capture/show_driver.h"
#include "core/timeline.h"

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
    std::string error;
    if (!make_folder(request.output, error)) {
        std::fprintf(stderr, "tumbo-capture: %s\n", error.c_str());
        return capture_failed;
    }
    ShowDriverConfig config;
    config.fps = request.fps;
    config.width = request.width;
    config.height = request.height;
    config.load_score = [&request] { return load_capture_score(request) >= 0; };
    ShowDriver driver;
    if (!start_show_driver(driver, config, error)) {
        std::fprintf(stderr, "tumbo-capture: %s\n", error.c_str());
        return capture_failed;
    }
    const FrameRange range = capture_frame_range(request);
    if (!range.valid) {
        std::fprintf(stderr, "tumbo-capture: %s\n", range.error.c_str());
        return capture_bad_usage;
    }
    std::vector<uint8_t> rgb;
    while (driver.next_frame < range.end && !driver.ended) {
        const int64_t n = driver.next_frame;
        draw_next_frame(driver);
        if (n < range.first) continue;
        read_frame_rgb(driver, rgb);
        const std::string path = request.output + "/" + frame_name(n);
        const std::string temporary = request.output + "/." + frame_name(n) + ".part";
        if (!write_png_rgb(temporary, request.width, request.height, rgb, error) ||
            std::rename(temporary.c_str(), path.c_str()) != 0) {
            if (error.empty()) error = path + ": " + std::strerror(errno);
            std::remove(temporary.c_str());
            std::fprintf(stderr, "tumbo-capture: %s\n", error.c_str());
            return capture_failed;
        }
    }
    if (first_gl_error != 0) return capture_failed;  // reported by the timeline
    return capture_ok;
}
