#include "capture/frame_loop.h"

#include <SDL_opengl.h>
#include <pthread.h>

#include <condition_variable>
#include <csignal>
#include <mutex>
#include <thread>

#include "capture/interrupt.h"
#include "capture/picture.h"
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

namespace {
// The thread that turns each read-back frame into the mode's picture and
// hands it on (averaging the supersampled pixels, converting to YUV,
// writing a PNG or feeding the encoder) while the main thread draws the
// next frame. One job at a time: hand() waits until the last job is done,
// so the main thread may then read the next frame into the other of two
// buffers. Fields under `lock` are shared; the rest belong to the worker.
struct PictureWorker {
    PictureFormat format;
    int32_t width, height, supersample;  // the picture's size; the drawn size is supersample times it
    const FrameHandler& handle;
    std::mutex lock;
    std::condition_variable changed;
    const std::vector<uint8_t>* job = nullptr;  // under lock: the drawn pixels to hand on; null when idle
    int64_t job_frame = 0;                     // under lock: the frame they are
    bool failed = false;                       // under lock: a handler returned false; no more jobs run
    bool quit = false;                         // under lock: the main thread is done handing on
    std::vector<uint8_t> rgb, yuv;             // worker's: the picture, sized once
    std::thread thread;

    PictureWorker(PictureFormat f, const ShowDriverConfig& c, const FrameHandler& h)
        : format(f), width(c.width), height(c.height), supersample(c.supersample), handle(h) {
        // Stop signals go to the main thread, whose waits they interrupt;
        // the worker notices them by polling (the encoder's writes do).
        sigset_t stops, previous;
        sigemptyset(&stops);
        sigaddset(&stops, SIGINT);
        sigaddset(&stops, SIGTERM);
        pthread_sigmask(SIG_BLOCK, &stops, &previous);
        thread = std::thread([this] { run(); });
        pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    }
    ~PictureWorker() {
        {
            std::lock_guard<std::mutex> hold(lock);
            quit = true;
        }
        changed.notify_all();
        thread.join();
    }

    void run() {
        std::unique_lock<std::mutex> hold(lock);
        for (;;) {
            changed.wait(hold, [this] { return job != nullptr || quit; });
            if (job == nullptr) return;
            const std::vector<uint8_t>& drawn = *job;
            const int64_t n = job_frame;
            hold.unlock();
            rgb.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
            average_blocks(drawn.data(), width, height, supersample, rgb.data());
            bool ok;
            if (format == PictureFormat::yuv420) {
                yuv.resize(static_cast<size_t>(yuv420_bytes(width, height)));
                rgb_to_yuv420(rgb.data(), width, height, yuv.data());
                ok = handle(n, yuv);
            } else {
                ok = handle(n, rgb);
            }
            hold.lock();
            job = nullptr;
            failed = !ok;
            changed.notify_all();
            if (failed) return;
        }
    }

    // Waits until the worker is idle; false if it failed. Then, when
    // `drawn` is given, makes it frame n's job (the caller leaves it alone
    // until the next call).
    bool hand(const std::vector<uint8_t>* drawn, int64_t n) {
        std::unique_lock<std::mutex> hold(lock);
        changed.wait(hold, [this] { return job == nullptr; });
        if (failed) return false;
        if (drawn != nullptr) {
            job = drawn;
            job_frame = n;
            changed.notify_all();
        }
        return true;
    }
};
}  // namespace

FrameLoopEnd run_frame_loop(ShowDriver& driver, const FrameRange& range, PictureFormat format, Progress& progress,
                            FrameLoopTimes& times, const FrameHandler& handle) {
    // The frame being handed on, and the one being read back.
    std::vector<uint8_t> drawn[2];
    int next_buffer = 0;
    PictureWorker worker(format, driver.config, handle);
    const auto end_with = [&](FrameLoopEnd end) {
        // Whatever the end, the frame in hand finishes first: the handler
        // must not run once the caller moves on.
        const bool ok = worker.hand(nullptr, 0);
        if (end == FrameLoopEnd::finished && !ok) end = stop_signal() != 0 ? FrameLoopEnd::stopped : FrameLoopEnd::failed;
        return end;
    };
    start_progress(progress, stderr, range.end, progress_clock());
    while (driver.next_frame < range.end && !driver.ended) {
        if (stop_signal() != 0) return end_with(FrameLoopEnd::stopped);
        const int64_t n = driver.next_frame;
        double t0 = progress_clock();
        draw_next_frame(driver);
        // Rasterizing happens when GL is flushed; finishing here keeps it in
        // the drawing time rather than in the read-back that would wait for it.
        glFinish();
        double t1 = progress_clock();
        times.drawing += t1 - t0;
        if (first_gl_error != 0) return end_with(FrameLoopEnd::failed);  // reported by the timeline
        if (n >= range.first) {
            read_drawn_pixels(driver, drawn[next_buffer]);
            const double t2 = progress_clock();
            times.reading += t2 - t1;
            const bool ok = worker.hand(&drawn[next_buffer], n);
            next_buffer = 1 - next_buffer;
            t1 = progress_clock();
            times.handing += t1 - t2;
            if (!ok) return end_with(stop_signal() != 0 ? FrameLoopEnd::stopped : FrameLoopEnd::failed);
        }
        update_progress(progress, driver.next_frame, t1);
    }
    const double t = progress_clock();
    const FrameLoopEnd end = end_with(FrameLoopEnd::finished);
    times.handing += progress_clock() - t;
    return end;
}
