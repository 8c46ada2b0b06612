// Timeline: picks the scene blocks (core/scenes.h) for the current music
// position, by the bar ranges of core/show_bars.h. Main thread, once per
// frame, after the clocks are updated.
#pragma once
#include <cstdint>

#include "core/show_bars.h"

// Runs the blocks that song_bar selects, in a fixed test order, re-reading
// song_bar after each block that ran, and returns the song_bar value that
// its last range test used.
int32_t run_timeline();

// Name of a block, for messages ("credits", "brick wall", ...).
constexpr const char* scene_block_name(SceneBlock block) { return scene_bars_of(block).name; }

// The blocks the last run_timeline call ran, in order, for drivers and
// tests; the show never reads it. Main thread.
struct TimelineTrace {
    SceneBlock blocks[scene_block_count + 1];  // greetings + wall + blocks 3..9 at most
    int32_t count = 0;
};
extern TimelineTrace timeline_trace;

// Called after every block the timeline runs, with that block; nullptr for
// none. Drivers and tests use it to look at a frame between two blocks (or
// to move song_bar there, as the audio thread can). Main thread.
extern void (*after_scene_block)(SceneBlock block);

// GL error check after every block: off by default, on in debug builds and
// in the capture tool. The first error is reported once on stderr with the
// block it happened in and kept in `first_gl_error` (0 = none).
extern bool gl_error_checks;
extern unsigned int first_gl_error;
