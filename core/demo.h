// Demo core: start-up, the frame loop with its two scene clocks, events and
// shutdown. Everything here runs on the main thread, which makes every GL
// call; the audio thread only runs audio_callback (synth/synth.h).
//
// main() is run_demo(). The pieces are separate so that a driver (the
// capture tool, scene tests) can bring the show up without an audio device
// and step frames on a virtual clock (core/ticks.h) while it calls the audio
// callback itself (synth/audio_driver.h).
#pragma once
#include <SDL.h>

#include <cstdint>

#include "core/cmdline.h"
#include "core/scene_clocks.h"  // the clocks draw_frame computes

// Window and context, created at start-up and destroyed at shutdown.
struct DemoState {
    SDL_Window* window = nullptr;        // null until created
    SDL_GLContext gl_context = nullptr;  // null until created
    uint32_t window_id = 0;              // SDL_GetWindowID(window); filters resize events
    bool quit_requested = false;         // recomputed each frame, set by events
};
extern DemoState demo;

// Exit statuses of run_demo().
constexpr int exit_ok = 0;
constexpr int exit_no_audio = 1;   // the audio device could not be opened
constexpr int exit_no_window = 2;  // window or GL context creation failed

// --- start-up steps, in the order run_demo() calls them ---

// Opens the audio device paused with audio_callback, in the synthesizer's
// format: sample_rate Hz (synth/synth_state.h), S16LSB, stereo, buffers of
// audio_buffer_frames frames (synth/audio_driver.h). On failure prints one
// line to stderr and returns false.
bool open_audio_device();

// Sets __GL_FSAA_MODE=4 when antialiasing is requested and the variable is
// absent; an existing value, even empty, is kept.
void apply_antialias_request(const Options& options);

// Samples per pixel of the multisampled framebuffer the window asks for
// when antialiasing is requested. 4 is the only count Mesa's software
// rasteriser offers; there it costs 1.5 to 2.7 times the frame time
// (BENCHMARKS.md), which -a gives back.
constexpr int live_antialias_samples = 4;

// Creates the window and its GL context, hides the cursor and asks for
// vsync. With options.request_antialias the framebuffer is multisampled
// (live_antialias_samples) where the driver offers that, and plain
// otherwise, silently. `extra_flags` is or-ed into the window flags (a
// driver passes SDL_WINDOW_HIDDEN). On failure prints one line to stderr
// and returns false.
bool create_window(const Options& options, uint32_t extra_flags = 0);

// Asks the window manager (a maximum size in the X window's size hints) to
// keep the window within the largest picture the driver can draw
// (GL_MAX_VIEWPORT_DIMS), so that a user's resize cannot go beyond it: some
// drivers abort there (Mesa's software GLX sends every frame to the X
// server in one request, which cannot carry 32767 x 32767 pixels). The hint
// holds in and out of fullscreen; create_window sets it. Needs the GL
// context; does nothing without a window or on a display other than X11.
void limit_window_size();

// Two-sided lighting, the decoded meshes, the start-up display lists and the
// global GL state between them. Needs the GL context current.
void build_gl_content();

// --- frame loop ---

// Draws one frame without swapping: clear, fixed projection, clocks from
// get_ticks(), the timeline. Returns the song_bar value the timeline last
// tested; the loop ends when it is above last_song_bar
// (core/show_bars.h).
int32_t draw_frame();

// Handles one event (quit, click, Escape, F, resize).
void handle_event(const SDL_Event& event);

// Flips between windowed and desktop fullscreen; the cursor shows only when
// windowed. Does nothing without a window.
void toggle_fullscreen();

// Runs frames until the song ends or the user quits.
void frame_loop();

// Destroys the context and the window.
void shutdown_window();

// The whole program: start-up in order, the frame loop, shutdown.
int run_demo(int argc, char** argv);
