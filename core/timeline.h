// Timeline: picks the scene blocks for the current music position. Main
// thread, once per frame, after the clocks are updated.
#pragma once
#include <cstdint>

// Runs the blocks that song_bar selects and returns the song_bar value that
// its last range test used.
int32_t run_timeline();
