// The scene blocks of the show and the state they keep from frame to frame.
// run_timeline (core/timeline.h) picks which blocks run in a frame; each
// block draws into the current frame from the identity modelview, with one
// of the two scene clocks (core/demo.h), and keeps resetting the other
// clock's start mark so that the next scene starts its clock near zero.
//
// Thread: the main (render) thread only, inside a frame. Blocks read
// song_bar themselves where their choices depend on it, each read a fresh
// atomic load, because the audio thread may advance it at any moment.
//
// Ownership: `show` is static, zero at program start except the list
// handles (-1, not built); word lists are compiled on first use and never
// deleted.
#pragma once
#include <cstdint>

// Word lists and the brick wall's grid.
constexpr int32_t title_list_count = 3;
constexpr int32_t slogan_list_count = 3;
constexpr int32_t greeting_list_count = 6;
constexpr int32_t wall_columns = 9;
constexpr int32_t wall_rows = 11;
constexpr int32_t wall_cell_count = wall_columns * wall_rows;
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
    // The brick wall's cells, refilled every frame it is drawn: 9 columns x
    // 11 rows, index row * 9 + column, row 0 at the top; 0 empty, else a
    // palette colour.
    int8_t wall_cells[wall_cell_count] = {};

    // --- what the last frame did, for drivers and tests ---
    int32_t title_list_shown = -1;   // title list called this frame, -1 none
    float credits_cloud_time = 0;    // s: the time the credits gave the brick cloud
};
extern ShowState show;

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
// the first frame past bar 63).
void build_greeting_lists();

// Sets the start mark of a clock to the current ticks (core/ticks.h).
void reset_clock_a();
void reset_clock_b();

// A fresh read of song_bar.
int32_t read_song_bar();
