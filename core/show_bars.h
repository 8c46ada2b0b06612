// The show's bar ranges: for each scene block, the values of song_bar
// (bars of 16 steps since the song began, synth/synth.h) in which it runs,
// and the last bar of the show. The timeline (core/timeline.cpp) tests
// these ranges, the scenes take their sections from them, and the tests and
// tools/song-report read them; nothing else writes a bar range down. Plain
// compile-time data, readable from any thread.
#pragma once
#include <cstdint>

// The last bar of the show: the program ends on the first frame that sees a
// later one, so a capture of the song runs to the end of this bar.
constexpr int32_t last_song_bar = 72;

// Bars first..last, both included.
struct BarRange {
    int32_t first, last;
    constexpr bool contains(int32_t bar) const { return bar >= first && bar <= last; }
};

// The scene blocks, in the order the timeline tests them.
enum class SceneBlock : uint8_t {
    greetings, brick_wall, slogan, credits, arc_swing, walkers, born, title_words, keep_walking
};
constexpr int scene_block_count = 9;

struct SceneBars {
    SceneBlock block;
    const char* name;  // for messages: "credits", "brick wall", ...
    BarRange bars;
};

// One row per block, in test order (row i is block i). Where ranges meet,
// the timeline decides: in bar 71 the brick wall follows the greetings in
// the same frame, and the frame that sees a bar after last_song_bar (the
// show's last) draws the wall once more. tools/song-report reads the rows
// from this file as written: keep each on one line.
constexpr SceneBars scene_bars[scene_block_count] = {
    {SceneBlock::greetings, "greetings", {64, 71}},
    {SceneBlock::brick_wall, "brick wall", {71, last_song_bar}},
    {SceneBlock::slogan, "slogan", {48, 55}},
    {SceneBlock::credits, "credits", {32, 47}},
    {SceneBlock::arc_swing, "arc swing", {0, 19}},
    {SceneBlock::walkers, "walkers", {8, 19}},
    {SceneBlock::born, "born", {20, 31}},
    {SceneBlock::title_words, "title words", {0, 7}},
    {SceneBlock::keep_walking, "keep walking", {56, 63}},
};

constexpr const SceneBars& scene_bars_of(SceneBlock block) { return scene_bars[static_cast<int>(block)]; }
constexpr BarRange bars_of(SceneBlock block) { return scene_bars_of(block).bars; }

static_assert([] {
    for (int i = 0; i < scene_block_count; ++i)
        if (static_cast<int>(scene_bars[i].block) != i) return false;
    return true;
}(), "scene_bars holds one row per block, in the order of SceneBlock");
