// Helpers for the synthesizer tests: load a score from a string, render
// frames through the real callback, read the tables back.
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "synth/synth.h"
#include "synth/synth_state.h"

// A fresh synthesizer with `text` parsed. rand() is reseeded first so every
// test sees the noise table of the unseeded sequence (seed 1).
inline void load_score(std::string text) {
    std::srand(1);
    init_synth();
    parse_score(text.data());
}

// The 19 instrument lines of the embedded song, for scores that reuse its
// sounds.
inline const char* song_instruments() {
    return "i1:kantti,1,5,30,4000,0,0,50,99\n"
           "i2:kohina,1,20,2,2000,40,1000,30,10\n"
           "i3:sini,1,12,10,4000,0,-70,50,90\n"
           "i4:kohina,1,10,9,2500,790,-101,50,50\n"
           "i5:saha,1,30,20,20,10,0,70,5\n"
           "i6:saha,60,2,20,50000,300,0,20,75\n"
           "i7:kantti,1,4,20,30000,300,0,80,75\n"
           "i8:saha,1,2,20,6000,0,0,50,20\n"
           "i9:kantti,100000,2,0,800000,200,100,1,90\n"
           "i10:kantti,100000,2,0,800000,300,90,99,90\n"
           "i11:sini,1,4,10,20000,400,0,50,50\n"
           "i12:saha,80000,1,0,300000,400,0,10,93\n"
           "i13:saha,80000,1,0,300000,400,0,90,93\n"
           "i14:saha,1,4,1,3000,200,0,20,2\n"
           "i15:saha,1,4,1,3000,500,0,80,2\n"
           "i16:saha,1,4,1,3000,300,0,30,2\n"
           "i17:saha,1,4,1,3000,400,0,70,2\n"
           "i18:saha,80000,1,0,300000,400,1,10,96\n"
           "i19:saha,80000,1,0,300000,400,1,90,96\n";
}

// Renders `frames` frames through audio_callback in calls of at most
// `buffer_frames` frames (the last call is shorter when needed). Returns
// interleaved stereo samples.
inline std::vector<int16_t> render(int64_t frames, int64_t buffer_frames = 4096) {
    std::vector<int16_t> out;
    out.reserve(static_cast<size_t>(frames) * 2);
    std::vector<uint8_t> bytes;
    for (int64_t done = 0; done < frames;) {
        const int64_t n = std::min(buffer_frames, frames - done);
        bytes.assign(static_cast<size_t>(n) * 4, 0);
        audio_callback(nullptr, bytes.data(), static_cast<int>(n * 4));
        for (size_t i = 0; i < bytes.size(); i += 2)
            out.push_back(static_cast<int16_t>(bytes[i] | (bytes[i + 1] << 8)));
        done += n;
    }
    return out;
}

// A pattern's entries up to (not including) its end marker.
inline std::vector<int32_t> pattern_entries_of(int32_t n) {
    std::vector<int32_t> out;
    for (int32_t i = 0; i < pattern_entries && synth.score.pattern_table[n][i] != entry_end; ++i)
        out.push_back(synth.score.pattern_table[n][i]);
    return out;
}

// A track's items up to (not including) its end marker.
inline std::vector<int32_t> track_items_of(int32_t n) {
    std::vector<int32_t> out;
    for (int32_t i = 0; i < track_entries && synth.score.track_table[n][i] != entry_end; ++i)
        out.push_back(synth.score.track_table[n][i]);
    return out;
}

// Steps a pattern takes to play: every entry is one step, except that a
// vol or sld shares its step with its argument.
inline int32_t pattern_steps(const std::vector<int32_t>& entries) {
    int32_t steps = 0;
    for (size_t i = 0; i < entries.size(); ++i, ++steps)
        if (entries[i] == command_volume || entries[i] == command_slide) ++i;
    return steps;
}

// Frames per step at 125 bpm, and per bar.
constexpr int64_t step_frames = 5292;
constexpr int64_t bar_frames = 16 * step_frames;
