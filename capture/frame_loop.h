// The loop that --frames and --video share: draws the show frame by frame
// from the song's start, reads back the frames in the requested range and
// hands each to the mode, shows the progress, and stops between two frames
// when a stop signal arrives.
//
// Threads: called on the main thread, which draws and reads back; a worker
// thread of the loop's own averages each frame read back into the picture
// format and calls the mode's handler with it while the main thread draws
// the next frame. One frame is in the worker's hands at a time, and none
// once the loop returns. The caller owns the driver, which start_show_driver
// has started.
#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "capture/capture.h"
#include "capture/progress.h"
#include "capture/show_driver.h"

// Seconds of the main thread's wall-clock time spent in each part of the
// loop; the rest (the progress report, the loop itself) is negligible.
struct FrameLoopTimes {
    double drawing = 0;  // draw_next_frame and glFinish: the GL calls and the rasterizing
    double reading = 0;  // read_drawn_pixels: copying the pixels out of the framebuffer
    double handing = 0;  // waiting for the worker: averaging, then writing a PNG or feeding the encoder
};

enum class FrameLoopEnd {
    finished,  // every frame in the range was handed on
    stopped,   // a stop signal arrived (stop_signal() says which)
    failed,    // the handler failed (it printed why) or a GL error was reported
};

// The show driver's settings for a --frames or --video request: its fps
// and size, and the score it names (the embedded one by default).
ShowDriverConfig show_driver_config(const CaptureRequest& request);

// What the loop hands on for each frame.
enum class PictureFormat {
    rgb,     // tightly packed RGB rows, top row first (read_frame_rgb)
    yuv420,  // BT.709 YUV 4:2:0, planar (read_frame_yuv420); even sizes only
};

// Frame `n` of the range in the loop's picture format. Called on the loop's
// worker thread, one frame at a time, in order. Returns false to end the
// loop (after printing why).
using FrameHandler = std::function<bool(int64_t n, const std::vector<uint8_t>& picture)>;

// Draws frames [0, range.end); each frame from range.first on is read back
// in `format` and passed to `handle`. `progress` counts the frames drawn of range.end
// and is started here; the caller finishes it. Frames stopped: loop ended
// at driver.next_frame.
FrameLoopEnd run_frame_loop(ShowDriver& driver, const FrameRange& range, PictureFormat format, Progress& progress,
                            FrameLoopTimes& times, const FrameHandler& handle);
