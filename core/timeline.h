// Timeline: picks the scene blocks (core/scenes.h) for the current music
// position. Main thread, once per frame, after the clocks are updated.
#pragma once
#include <cstdint>

// Runs the blocks that song_bar selects, in a fixed test order, re-reading
// song_bar after each block that ran, and returns the song_bar value that
// its last range test used.
int32_t run_timeline();

// The scene blocks, in the order the timeline tests them.
enum class SceneBlock : uint8_t {
    greetings, brick_wall, slogan, credits, arc_swing, walkers, born, title_words, keep_walking
};
constexpr int scene_block_count = 9;

// Name of a block, for messages ("credits", "brick wall", ...).
const char* scene_block_name(SceneBlock block);

// The blocks the last run_timeline call ran, in order. Main thread.
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
