// tumbo-capture entry point: parses the command line and runs one mode.
// See capture/capture.h.
#include <cstdio>

#include "capture/capture.h"
#include "tumbo_version.h"

int main(int argc, char** argv) {
    CaptureRequest request;
    std::string error;
    if (!parse_capture_args(argc, argv, request, error)) {
        std::fprintf(stderr, "tumbo-capture: %s (tumbo-capture --help lists the modes)\n", error.c_str());
        return capture_bad_usage;
    }
    switch (request.mode) {
        case CaptureMode::help: std::fputs(capture_usage(), stdout); return capture_ok;
        case CaptureMode::version: std::printf("tumbo-capture %s\n", tumbo_version); return capture_ok;
        case CaptureMode::wav: return capture_wav(request);
        case CaptureMode::frames: return capture_frames(request);
        case CaptureMode::video: return capture_video(request);
        case CaptureMode::check_score: return capture_check_score(request);
        case CaptureMode::raw_sound: return capture_raw_sound(request);
        default:
            std::fprintf(stderr, "tumbo-capture: this mode is not available yet\n");
            return capture_bad_usage;
    }
}
