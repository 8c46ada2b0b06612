// The show on a virtual clock, without a display or an audio device: the
// real start-up and frame code, driven frame by frame at a fixed frame
// rate, with the audio callback called in device-sized buffers.
//
// Timing, for frame n at `fps` frames per second:
//  - its time is T = n / fps seconds after the song started (the moment the
//    live program unpauses the audio device);
//  - before it is drawn, the audio callback has rendered every 4096-frame
//    buffer that starts at or before sample s = floor(n * 44100 / fps), that
//    is floor(s / 4096) + 1 buffers: the buffer that is playing at T has
//    been rendered, and no later one. That is how a device with 4096-frame
//    buffers calls back (it asks for each buffer as it starts playing it),
//    so song_bar and the voice triggers the frame sees run ahead of T by
//    between 1 and 4096 samples (0.02 to 92.9 ms);
//  - its tick count (core/ticks.h) is song_start_ticks + floor(n * 1000 /
//    fps) milliseconds, never 0, because the clocks read a start mark of 0
//    as "not started yet".
//
// Thread: one; the driver plays both the audio thread's and the main
// thread's role. Ownership: the window, context and framebuffer live until
// the process ends.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "synth/audio_driver.h"

struct ShowDriverConfig {
    int32_t fps = 60;
    int32_t width = 640, height = 480;  // pixels of the picture read back
    // Samples per pixel of the framebuffer drawn into: 1 draws without
    // antialiasing; more draws into a multisampled framebuffer that is
    // resolved (each pixel the mean of its samples) before the read-back,
    // as a multisampled window is when it presents a frame.
    int32_t samples = 1;
    // Supersampling, 1 or more: the frame is drawn at this many times the
    // width and the height, and each pixel read back is the mean of the
    // supersample x supersample pixels drawn for it. 1: drawn at the
    // picture's size.
    int32_t supersample = 1;
    // Puts the synthesizer into its start state and parses the score (in
    // place of init_synth and parse_score of the embedded one); returns
    // false, with its own message printed, when it cannot. Empty: the
    // embedded score.
    std::function<bool()> load_score;
};

struct ShowDriver {
    ShowDriverConfig config;
    AudioDriver audio;
    uint32_t draw_framebuffer = 0;     // GL name of the framebuffer frames are drawn into
    uint32_t resolve_framebuffer = 0;  // single-sample copy read back when samples > 1; 0 otherwise
    std::vector<uint8_t> drawn;        // read_frame_rgb's read-back (read_drawn_pixels); sized once
    int64_t next_frame = 0;      // index of the next frame draw_next_frame draws
    int32_t last_bar_seen = 0;   // song_bar value the last frame's timeline tested
    bool ended = false;          // the last frame drawn ended the show
};

// Milliseconds on the virtual tick clock at the song's start: the live
// program's SDL has been running for a while by then (start-up), and a
// positive value keeps the first frame's tick away from 0.
constexpr uint32_t song_start_ticks = 1000;

// Sample position of frame `n` (see above).
int64_t frame_sample(int64_t n, int32_t fps);
// Audio buffers rendered before frame `n` is drawn.
int64_t buffers_before_frame(int64_t n, int32_t fps);
// Index of the first frame at or after `seconds` (a frame within a
// microsecond of `seconds` counts as at it).
int64_t first_frame_at(double seconds, int32_t fps);
// Index of the frame that ends the show (the first that sees the bar after
// the last), from the parsed tempo. Needs the score parsed.
int64_t show_end_frame(int32_t fps);

// Brings the show up in the live program's start-up order: SDL video (an
// offscreen EGL context unless SDL_VIDEODRIVER says otherwise), the
// synthesizer and the score, a hidden window with its GL context, the
// demo's GL content; then a framebuffer of the configured size times the
// supersampling, with the configured samples (24-bit depth), and the
// centred 4:3 viewport the live window would use at the picture's size,
// scaled by the supersampling; a size or sample count the driver cannot
// draw is refused here. GL errors are checked after every scene block. On
// failure returns false with a one-line reason in `error`.
bool start_show_driver(ShowDriver& driver, const ShowDriverConfig& config, std::string& error);

// Renders the audio due before frame driver.next_frame, draws that frame
// and advances next_frame. Returns the song_bar the timeline last tested.
int32_t draw_next_frame(ShowDriver& driver);

// Reads the drawn frame, resolving the samples first, into `drawn` as
// glReadPixels returns it: RGBA, 4 bytes a pixel, bottom row first,
// (width * supersample) x (height * supersample) pixels (resized only when
// its size differs: a caller that keeps it across frames allocates nothing
// per frame). average_blocks (capture/picture.h) makes the picture of it.
void read_drawn_pixels(ShowDriver& driver, std::vector<uint8_t>& drawn);

// The drawn frame as tightly packed RGB rows, top row first, each pixel the
// mean of its supersamples, into `rgb` (resized as above).
void read_frame_rgb(ShowDriver& driver, std::vector<uint8_t>& rgb);
