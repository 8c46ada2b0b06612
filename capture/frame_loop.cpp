#include "capture/frame_loop.h"

#include <SDL_opengl.h>

#include "capture/interrupt.h"
#include "capture/score.h"
#include "core/timeline.h"

ShowDriverConfig show_driver_config(const CaptureRequest& request) {
    ShowDriverConfig config;
    config.fps = request.fps;
    config.width = request.width;
    config.height = request.height;
    config.supersample = supersample_for(request.samples);
    config.load_score = [&request] { return load_capture_score(request) >= 0; };
    return config;
}

FrameLoopEnd run_frame_loop(ShowDriver& driver, const FrameRange& range, PictureFormat format, Progress& progress,
                            FrameLoopTimes& times, const FrameHandler& handle) {
    std::vector<uint8_t> picture;
    start_progress(progress, stderr, range.end, progress_clock());
    while (driver.next_frame < range.end && !driver.ended) {
        if (stop_signal() != 0) return FrameLoopEnd::stopped;
        const int64_t n = driver.next_frame;
        double t0 = progress_clock();
        draw_next_frame(driver);
        // Rasterizing happens when GL is flushed; finishing here keeps it in
        // the drawing time rather than in the read-back that would wait for it.
        glFinish();
        double t1 = progress_clock();
        times.drawing += t1 - t0;
        if (first_gl_error != 0) return FrameLoopEnd::failed;  // reported by the timeline
        if (n >= range.first) {
            if (format == PictureFormat::yuv420)
                read_frame_yuv420(driver, picture);
            else
                read_frame_rgb(driver, picture);
            const double t2 = progress_clock();
            times.reading += t2 - t1;
            const bool ok = handle(n, picture);
            t1 = progress_clock();
            times.handing += t1 - t2;
            if (!ok) return stop_signal() != 0 ? FrameLoopEnd::stopped : FrameLoopEnd::failed;
        }
        update_progress(progress, driver.next_frame, t1);
    }
    return FrameLoopEnd::finished;
}
