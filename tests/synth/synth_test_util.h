// Helpers for the synthesizer tests: load a score, render through the real
// callback, read the tables back.
#pragma once
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "synth/synth.h"
#include "synth/synth_state.h"

using Entries = std::vector<int32_t>;
using Samples = std::vector<int16_t>;  // interleaved stereo, left first
constexpr int64_t step_frames = 5292, bar_frames = 16 * step_frames;  // at 125 bpm

// The song's 19 instrument lines.
const std::string song_instruments =
    "i1:kantti,1,5,30,4000,0,0,50,99\ni2:kohina,1,20,2,2000,40,1000,30,10\ni3:sini,1,12,10,4000,0,-70,50,90\n"
    "i4:kohina,1,10,9,2500,790,-101,50,50\ni5:saha,1,30,20,20,10,0,70,5\ni6:saha,60,2,20,50000,300,0,20,75\n"
    "i7:kantti,1,4,20,30000,300,0,80,75\ni8:saha,1,2,20,6000,0,0,50,20\ni9:kantti,100000,2,0,800000,200,100,1,90\n"
    "i10:kantti,100000,2,0,800000,300,90,99,90\ni11:sini,1,4,10,20000,400,0,50,50\n"
    "i12:saha,80000,1,0,300000,400,0,10,93\ni13:saha,80000,1,0,300000,400,0,90,93\ni14:saha,1,4,1,3000,200,0,20,2\n"
    "i15:saha,1,4,1,3000,500,0,80,2\ni16:saha,1,4,1,3000,300,0,30,2\ni17:saha,1,4,1,3000,400,0,70,2\n"
    "i18:saha,80000,1,0,300000,400,1,10,96\ni19:saha,80000,1,0,300000,400,1,90,96\n";

// A fresh synthesizer with `text` parsed, or the embedded song when `song`.
// rand() restarts its unseeded sequence, so the noise table never changes.
inline void load_score(std::string text, bool song = false) {
    std::srand(1);
    init_synth();
    song ? parse_score() : parse_score(text.data());
}
inline void load_song() { load_score("", true); }

// `frames` frames through audio_callback in calls of at most `buffer` frames.
// The callback writes little-endian samples, read here in the host's order
// (x86-64 and the other targets are little-endian).
inline Samples render(int64_t frames, int64_t buffer = 4096) {
    Samples out(2 * frames);
    for (int64_t done = 0; done < frames; done += buffer)
        audio_callback(nullptr, reinterpret_cast<uint8_t*>(&out[2 * done]), 4 * int(std::min(buffer, frames - done)));
    return out;
}

// A pattern's or track's entries up to its end marker.
inline Entries entries(const int32_t* t) { return Entries(t, std::find(t, t + 100, entry_end)); }
inline Entries pattern(int32_t n) { return entries(synth.score.pattern_table[n]); }
inline Entries track(int32_t n) { return entries(synth.score.track_table[n]); }
