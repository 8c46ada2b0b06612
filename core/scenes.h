// The scene blocks of the show and the state they keep from frame to frame.
// run_timeline (core/timeline.h) picks which blocks run in a frame; each
// block draws into the current frame from the identity modelview, with one
// of the two scene clocks (core/demo.h), and keeps resetting the other
// clock's start mark so that the next scene starts its clock near zero.
//
// Thread: the main (render) thread only, inside a frame. Blocks read
// song_bar themselves where their choices depend on it, each read a fresh
// atomic load (read_song_bar), because the audio thread may advance it at
// any moment. Their bar ranges and sections come from core/show_bars.h.
//
// Ownership: `show` is static, zero at program start except the list
// handles (-1, not built); word lists are compiled on first use and never
// deleted. `scene_trace` only reports to drivers and tests.
#pragma once
#include <atomic>
#include <cstdint>
#include <span>

#include "core/scene_clocks.h"  // reset_clock_a, reset_clock_b
#include "core/show_bars.h"
#include "synth/synth.h"

// Word lists of each scene that keeps them.
constexpr int32_t title_list_count = 3;
constexpr int32_t slogan_list_count = 3;
constexpr int32_t greeting_list_count = 6;
constexpr int32_t list_not_built = -1;

struct ShowState {
    // Title words: 0 at start, raised to 1, 2, 3 as each word is first shown
    // on a voice-4 pulse; never lowered.
    int32_t title_stage = 0;
    // Credits: clock_b values (s) copied at the end of earlier phases, so a
    // later phase runs the brick cloud's time backwards from there.
    float credits_mark_1 = 0;
    float credits_mark_2 = 0;
    // First name of each block of word lists (one glGenLists call), or
    // list_not_built.
    int32_t title_lists = list_not_built;
    int32_t slogan_lists = list_not_built;
    int32_t greeting_lists = list_not_built;
};
extern ShowState show;

// What the scenes did in the last frame they ran, for drivers and tests;
// the show never reads it back.
struct SceneTrace {
    int32_t title_list_shown = -1;  // title list called by the last title frame, -1 none
    float credits_cloud_time = 0;   // s: the time the last credits frame gave the brick cloud
};
extern SceneTrace scene_trace;

// The blocks, in the order run_timeline tests them.
void draw_greetings();
void draw_brick_wall();
void draw_slogan();
void draw_credits();
void draw_arc_swing_block();
void draw_walkers_block();
void draw_born();
void draw_title_words();
void draw_keep_walking();

// Compiles the six greeting lists (the timeline does this at the start of
// the first frame of the greetings' bars or later).
void build_greeting_lists();

// The brick wall's grid.
constexpr int32_t wall_columns = 9;
constexpr int32_t wall_rows = 11;
constexpr int32_t wall_cell_count = wall_columns * wall_rows;

// The brick wall's cells at `clock_b` seconds: 9 columns x 11 rows, index
// row * 9 + column, row 0 at the top; 0 empty, else a palette colour. Every
// cell is written. Reseeds the C library's rand() (srand(1)), as every
// frame of the wall does.
void fill_wall_cells(float clock_b, std::span<int8_t, wall_cell_count> cells);

// A fresh read of song_bar.
inline int32_t read_song_bar() { return song_bar.load(std::memory_order_relaxed); }
