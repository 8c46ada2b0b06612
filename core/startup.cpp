// Start-up sequence and shutdown. Main thread.
#include <SDL.h>
#include <SDL_opengl.h>
#include <SDL_syswm.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>

#include "bricks/display_lists.h"
#include "core/alsa_quiet.h"
#include "core/demo.h"
#include "mesh/figures.h"
#include "synth/audio_driver.h"
#include "synth/synth.h"
#include "synth/synth_state.h"
#include "tumbo_version.h"

namespace {
// putenv keeps a pointer to its argument, so the storage must outlive the
// process's use of the environment: static, never freed.
char fsaa_request[] = "__GL_FSAA_MODE=4";
}  // namespace

bool open_audio_device() {
    SDL_AudioSpec want{};
    want.freq = sample_rate;              // Hz
    want.format = AUDIO_S16LSB;
    want.channels = 2;                    // interleaved left, right
    want.samples = audio_buffer_frames;   // frames per callback buffer
    want.callback = audio_callback;
    want.userdata = nullptr;
    // No obtained format: SDL converts to the hardware format if it differs.
    if (SDL_OpenAudio(&want, nullptr) < 0) {
        std::fprintf(stderr,
                     "tumbo: cannot open the audio device: %s (to run without sound, set SDL_AUDIODRIVER=dummy)\n",
                     SDL_GetError());
        return false;
    }
    return true;
}

void apply_antialias_request(const Options& options) {
    if (options.request_antialias && std::getenv("__GL_FSAA_MODE") == nullptr) putenv(fsaa_request);
}

namespace {
// Creates the window and its context, multisampled with `samples` samples
// per pixel when `samples` > 1. Both null when either fails.
void try_window(const Options& options, uint32_t flags, int samples) {
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLEBUFFERS, samples > 1 ? 1 : 0);
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLESAMPLES, samples > 1 ? samples : 0);
    demo.window = SDL_CreateWindow("Tumbo by Dax", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                   options.window_width, options.window_height, flags);
    if (!demo.window) return;
    demo.gl_context = SDL_GL_CreateContext(demo.window);
    if (demo.gl_context) return;
    SDL_DestroyWindow(demo.window);
    demo.window = nullptr;
}
}  // namespace

bool create_window(const Options& options, uint32_t extra_flags) {
    uint32_t flags = SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE | extra_flags;
    if (!options.windowed) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    // A multisampled framebuffer where the driver offers one; where it does
    // not, SDL finds no such pixel format and fails, and the window is made
    // again without, saying nothing: the show then runs with hard edges.
    if (options.request_antialias) try_window(options, flags, live_antialias_samples);
    if (!demo.window) try_window(options, flags, 0);
    if (!demo.window) {
        if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
            std::fprintf(stderr, "tumbo: no display to open a window on (%s); set DISPLAY or run under xvfb-run\n",
                         SDL_GetError());
        else
            std::fprintf(stderr, "tumbo: cannot create a %dx%d window: %s\n", options.window_width,
                         options.window_height, SDL_GetError());
        return false;
    }
    demo.window_id = SDL_GetWindowID(demo.window);
    limit_window_size();
    SDL_ShowCursor(0);
    // Tear-free frames without burning a core: adaptive vsync where the
    // driver has it, plain vsync otherwise.
    if (SDL_GL_SetSwapInterval(-1) < 0) SDL_GL_SetSwapInterval(1);
    return true;
}

void limit_window_size() {
    if (!demo.window || !demo.gl_context) return;
    GLint most[2] = {0, 0};  // width, height in pixels
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, most);
    SDL_SysWMinfo wm;
    SDL_VERSION(&wm.version);
    if (most[0] <= 0 || most[1] <= 0 || !SDL_GetWindowWMInfo(demo.window, &wm) || wm.subsystem != SDL_SYSWM_X11)
        return;
    // The hint alone, set on the X window: SDL_SetWindowMaximumSize would
    // also resize the window, which races with a fullscreen request.
    XSizeHints* hints = XAllocSizeHints();
    if (!hints) return;
    long supplied = 0;  // which fields the window already had; kept
    XGetWMNormalHints(wm.info.x11.display, wm.info.x11.window, hints, &supplied);
    hints->max_width = most[0];
    hints->max_height = most[1];
    hints->flags |= PMaxSize;
    XSetWMNormalHints(wm.info.x11.display, wm.info.x11.window, hints);
    XFree(hints);
    XFlush(wm.info.x11.display);
}

void build_gl_content() {
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 1);
    // toy_figure, then blocky_figure; then the lists, with the global GL
    // state step between the floor list and the spiral lists.
    decode_figures();
    build_startup_lists();
}

void shutdown_window() {
    if (demo.gl_context) SDL_GL_DeleteContext(demo.gl_context);
    if (demo.window) SDL_DestroyWindow(demo.window);
    demo.gl_context = nullptr;
    demo.window = nullptr;
}

int run_demo(int argc, char** argv) {
    // The texts come before SDL is touched: no device is opened for them.
    Options options = parse_command_line(argc, argv);
    if (options.request == DemoRequest::help) {
        std::fputs(demo_usage(), stdout);
        return exit_ok;
    }
    if (options.request == DemoRequest::version) {
        std::printf("tumbo %s\n", tumbo_version);
        return exit_ok;
    }
    quiet_alsa_library_messages();
    // Real displays only: without one, SDL would fall back to its invisible
    // offscreen or dummy video driver and the show would run unseen and
    // never end by a key. SDL_VIDEODRIVER in the environment still wins, so
    // a driver that wants offscreen rendering can ask for it.
    // Wayland is only tried where a compositor announces itself, because
    // probing it without one prints noise on stderr.
    SDL_SetHint(SDL_HINT_VIDEODRIVER, std::getenv("WAYLAND_DISPLAY") ? "x11,wayland,KMSDRM" : "x11,KMSDRM");
    SDL_Init(SDL_INIT_TIMER | SDL_INIT_AUDIO | SDL_INIT_VIDEO);  // result ignored: each step below checks its own
    if (!open_audio_device()) return exit_no_audio;
    init_synth();
    parse_score();
    apply_antialias_request(options);
    if (!create_window(options)) return exit_no_window;
    build_gl_content();
    SDL_PauseAudio(0);  // the song starts here
    frame_loop();
    shutdown_window();
    // The audio device stays open; process exit ends the audio thread.
    return exit_ok;
}
