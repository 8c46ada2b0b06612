// --frames: the show as PNG files. (Being built.)
#include <cstdio>

#include "capture/capture.h"

int capture_frames(const CaptureRequest&) {
    std::fprintf(stderr, "tumbo-capture: --frames is not available yet\n");
    return capture_bad_usage;
}
