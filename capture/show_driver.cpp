#include "capture/show_driver.h"

#include <SDL.h>
#include <SDL_opengl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "capture/capture.h"
#include "capture/picture.h"
#include "core/demo.h"
#include "core/show_bars.h"
#include "core/ticks.h"
#include "core/timeline.h"
#include "core/viewport.h"
#include "synth/synth.h"
#include "synth/synth_state.h"

namespace {
// Framebuffer objects (GL 3.0 / ARB_framebuffer_object), looked up at run
// time: libGL need not export them. Filled by make_framebuffers, used by
// read_frame_rgb; main thread. Each field is the GL function of that name.
struct FramebufferFunctions {
    PFNGLGENFRAMEBUFFERSPROC gen_framebuffers;
    PFNGLBINDFRAMEBUFFERPROC bind_framebuffer;
    PFNGLGENRENDERBUFFERSPROC gen_renderbuffers;
    PFNGLBINDRENDERBUFFERPROC bind_renderbuffer;
    PFNGLRENDERBUFFERSTORAGEMULTISAMPLEPROC renderbuffer_storage_multisample;
    PFNGLFRAMEBUFFERRENDERBUFFERPROC framebuffer_renderbuffer;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC check_framebuffer_status;
    PFNGLBLITFRAMEBUFFERPROC blit_framebuffer;
};
FramebufferFunctions fb{};

template <typename F>
bool look_up(F& f, const char* name) {
    f = reinterpret_cast<F>(SDL_GL_GetProcAddress(name));
    return f != nullptr;
}

// A framebuffer with a colour (RGBA8) and a depth (24-bit) renderbuffer of
// `samples` samples per pixel (0: a plain one), left bound. Its name, or 0
// when the driver cannot complete it.
GLuint make_framebuffer(int32_t width, int32_t height, int32_t samples) {
    GLuint framebuffer = 0, buffers[2] = {0, 0};
    fb.gen_framebuffers(1, &framebuffer);
    fb.bind_framebuffer(GL_FRAMEBUFFER, framebuffer);
    fb.gen_renderbuffers(2, buffers);
    fb.bind_renderbuffer(GL_RENDERBUFFER, buffers[0]);
    fb.renderbuffer_storage_multisample(GL_RENDERBUFFER, samples, GL_RGBA8, width, height);
    fb.framebuffer_renderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, buffers[0]);
    fb.bind_renderbuffer(GL_RENDERBUFFER, buffers[1]);
    fb.renderbuffer_storage_multisample(GL_RENDERBUFFER, samples, GL_DEPTH_COMPONENT24, width, height);
    fb.framebuffer_renderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, buffers[1]);
    if (fb.check_framebuffer_status(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE || glGetError() != GL_NO_ERROR)
        return 0;
    glDrawBuffer(GL_COLOR_ATTACHMENT0);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    return framebuffer;
}

bool make_framebuffers(ShowDriver& driver, std::string& error) {
    // The size drawn: the picture's, times the supersampling.
    const int32_t width = driver.config.width * driver.config.supersample;
    const int32_t height = driver.config.height * driver.config.supersample;
    const int32_t samples = driver.config.samples;
    if (!look_up(fb.gen_framebuffers, "glGenFramebuffers") || !look_up(fb.bind_framebuffer, "glBindFramebuffer") ||
        !look_up(fb.gen_renderbuffers, "glGenRenderbuffers") ||
        !look_up(fb.bind_renderbuffer, "glBindRenderbuffer") ||
        !look_up(fb.renderbuffer_storage_multisample, "glRenderbufferStorageMultisample") ||
        !look_up(fb.framebuffer_renderbuffer, "glFramebufferRenderbuffer") ||
        !look_up(fb.check_framebuffer_status, "glCheckFramebufferStatus") ||
        !look_up(fb.blit_framebuffer, "glBlitFramebuffer")) {
        error = "the OpenGL driver has no framebuffer objects";
        return false;
    }
    GLint max_side = 0;
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &max_side);
    GLint max_viewport[2] = {0, 0};
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, max_viewport);
    if (width > max_side || height > max_side || width > max_viewport[0] || height > max_viewport[1]) {
        error = "the OpenGL driver cannot draw " + std::to_string(width) + "x" + std::to_string(height) +
                " pixels (at most " + std::to_string(std::min(max_side, max_viewport[0])) + "x" +
                std::to_string(std::min(max_side, max_viewport[1])) + ")";
        if (driver.config.supersample > 1)
            error += ", " + std::to_string(driver.config.supersample) +
                     " times the picture's width and height for its antialiasing; a smaller --size or --aa";
        return false;
    }
    GLint max_samples = 0;
    glGetIntegerv(GL_MAX_SAMPLES, &max_samples);
    if (samples > 1 && samples > max_samples) {
        error = "the OpenGL driver cannot draw " + std::to_string(samples) + " samples per pixel (at most " +
                std::to_string(std::max(max_samples, 1)) + "); --aa " + std::to_string(std::max(max_samples, 1)) +
                " or less";
        return false;
    }
    const std::string cannot = "the OpenGL driver cannot make a " + std::to_string(width) + "x" +
                               std::to_string(height) + " framebuffer";
    if (samples > 1) {
        driver.resolve_framebuffer = make_framebuffer(width, height, 0);
        if (driver.resolve_framebuffer == 0) {
            error = cannot;
            return false;
        }
    }
    // Left bound: every frame draws into it.
    driver.draw_framebuffer = make_framebuffer(width, height, samples > 1 ? samples : 0);
    if (driver.draw_framebuffer == 0) {
        error = cannot + (samples > 1 ? " with " + std::to_string(samples) + " samples per pixel" : "");
        return false;
    }
    return true;
}
}  // namespace

int64_t frame_sample(int64_t n, int32_t fps) { return n * sample_rate / fps; }

int64_t buffers_before_frame(int64_t n, int32_t fps) { return frame_sample(n, fps) / audio_buffer_frames + 1; }

int64_t first_frame_at(double seconds, int32_t fps) {
    const double exact = seconds * fps;
    const double nearest = std::round(exact);
    // 2.5 s at 60 fps is frame 150, however 2.5 * 60 rounds.
    if (std::fabs(exact - nearest) < 1e-6 * fps) return static_cast<int64_t>(nearest);
    return static_cast<int64_t>(std::ceil(exact));
}

int64_t show_end_frame(int32_t fps) {
    // The bar after the last begins at this sample; the buffer holding it
    // publishes that bar, and the first frame that buffer plays under ends
    // the show.
    const int64_t end_sample = frames_through_bar(last_song_bar);
    const int64_t end_buffer_start = end_sample / audio_buffer_frames * audio_buffer_frames;
    // First n with floor(n * rate / fps) >= end_buffer_start.
    return (end_buffer_start * fps + sample_rate - 1) / sample_rate;
}

bool start_show_driver(ShowDriver& driver, const ShowDriverConfig& config, std::string& error) {
    driver = ShowDriver{};
    driver.config = config;
    // Offscreen EGL needs no display server; an explicit choice wins.
    if (std::getenv("SDL_VIDEODRIVER") == nullptr) setenv("SDL_VIDEODRIVER", "offscreen", 1);
    if (SDL_Init(SDL_INIT_VIDEO) < 0) {
        error = std::string("cannot start SDL video: ") + SDL_GetError();
        return false;
    }
    // The live program's order from here: synthesizer, score, window,
    // GL content. The rand() sequence that the floor list continues depends
    // on it.
    if (config.load_score) {
        if (!config.load_score()) {
            error = "cannot load the score";
            return false;
        }
    } else {
        init_synth();  // once only: the noise table takes the first 44100 rand() values
        parse_score();
    }
    Options options;
    options.windowed = true;
    options.window_width = config.width;
    options.window_height = config.height;
    options.request_antialias = false;  // frames are drawn into a framebuffer of their own, never the window's
    if (!create_window(options, SDL_WINDOW_HIDDEN)) {
        error = "cannot create an OpenGL context (see above)";
        return false;
    }
    SDL_GL_SetSwapInterval(0);  // nothing is presented; never wait for a display
    build_gl_content();
    if (!make_framebuffers(driver, error)) return false;
    // The picture's viewport scaled, rather than the viewport of the drawn
    // size: each averaged block then lies wholly inside or outside the bars.
    const Viewport v = viewport_for(config.width, config.height);
    const int32_t k = config.supersample;
    glViewport(v.x * k, v.y * k, v.width * k, v.height * k);
    gl_error_checks = true;
    return true;
}

int32_t draw_next_frame(ShowDriver& driver) {
    const int64_t n = driver.next_frame++;
    const int32_t fps = driver.config.fps;
    drive_audio_until(driver.audio, buffers_before_frame(n, fps) * audio_buffer_frames, nullptr);
    set_virtual_ticks(song_start_ticks + static_cast<uint32_t>(n * 1000 / fps));
    driver.last_bar_seen = draw_frame();
    driver.ended = driver.last_bar_seen > last_song_bar;
    return driver.last_bar_seen;
}

void read_drawn_pixels(ShowDriver& driver, std::vector<uint8_t>& drawn) {
    const int32_t k = driver.config.supersample;
    const int32_t dw = driver.config.width * k, dh = driver.config.height * k;  // drawn
    if (driver.resolve_framebuffer != 0) {
        // Each pixel becomes the mean of its samples; then back to drawing.
        fb.bind_framebuffer(GL_READ_FRAMEBUFFER, driver.draw_framebuffer);
        fb.bind_framebuffer(GL_DRAW_FRAMEBUFFER, driver.resolve_framebuffer);
        fb.blit_framebuffer(0, 0, dw, dh, 0, 0, dw, dh, GL_COLOR_BUFFER_BIT, GL_NEAREST);
        fb.bind_framebuffer(GL_READ_FRAMEBUFFER, driver.resolve_framebuffer);
    }
    drawn.resize(static_cast<size_t>(dw) * static_cast<size_t>(dh) * 4);
    // RGBA: the framebuffer's own layout, copied without conversion.
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, dw, dh, GL_RGBA, GL_UNSIGNED_BYTE, drawn.data());
    if (driver.resolve_framebuffer != 0) fb.bind_framebuffer(GL_FRAMEBUFFER, driver.draw_framebuffer);
}

void read_frame_rgb(ShowDriver& driver, std::vector<uint8_t>& rgb) {
    const int32_t w = driver.config.width, h = driver.config.height;
    read_drawn_pixels(driver, driver.drawn);
    rgb.resize(static_cast<size_t>(w) * static_cast<size_t>(h) * 3);
    average_blocks(driver.drawn.data(), w, h, driver.config.supersample, rgb.data());
}

FrameRange request_range(const CaptureRequest& request, int32_t rate, int64_t total, const std::string& whole,
                         const char* none) {
    FrameRange range;
    // Times beyond the whole are refused before they are multiplied by the
    // rate, where a time such as 1e300 would overflow the frame index. The
    // second of slack leaves the exact test below to the frame arithmetic.
    const double length = static_cast<double>(total) / rate;  // seconds
    if (request.from_seconds > length + 1) {
        range.error = "--from is at or after the end of " + whole;
        return range;
    }
    if (request.to_seconds > length + 1) {
        range.error = "--to is after the end of " + whole;
        return range;
    }
    range.first = first_frame_at(request.from_seconds, rate);
    range.end = request.to_seconds < 0 ? total : first_frame_at(request.to_seconds, rate);
    if (range.first >= total) {
        range.error = "--from is at or after the end of " + whole;
    } else if (range.end > total) {
        range.error = "--to is after the end of " + whole;
    } else if (range.end <= range.first) {
        range.error = none;
    } else {
        range.valid = true;
    }
    return range;
}

FrameRange capture_frame_range(const CaptureRequest& request) {
    const int32_t fps = request.fps;
    const int64_t frames = show_end_frame(fps) + 1;  // the frame that ends the show is drawn too
    char whole[64];
    std::snprintf(whole, sizeof whole, "the show (%.3f s at this fps)", static_cast<double>(frames) / fps);
    return request_range(request, fps, frames, whole, "no frame at this fps lies between --from and --to");
}
