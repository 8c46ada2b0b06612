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
constexpr int64_t step_frames = 5292, bar_frames = 16 * step_frames;  // at 125 bpm

// A fresh synthesizer with `text` (or the embedded song) parsed; rand() is
// reseeded to its unseeded sequence so that the noise table never changes.
inline void load_score(std::string text) {
    std::srand(1);
    init_synth();
    parse_score(text.data());
}
inline void load_song() {
    std::srand(1);
    init_synth();
    parse_score();
}

// The song's 19 instrument lines.
inline std::string song_instruments() {
    return "i1:kantti,1,5,30,4000,0,0,50,99\ni2:kohina,1,20,2,2000,40,1000,30,10\ni3:sini,1,12,10,4000,0,-70,50,90\n"
           "i4:kohina,1,10,9,2500,790,-101,50,50\ni5:saha,1,30,20,20,10,0,70,5\ni6:saha,60,2,20,50000,300,0,20,75\n"
           "i7:kantti,1,4,20,30000,300,0,80,75\ni8:saha,1,2,20,6000,0,0,50,20\n"
           "i9:kantti,100000,2,0,800000,200,100,1,90\ni10:kantti,100000,2,0,800000,300,90,99,90\n"
           "i11:sini,1,4,10,20000,400,0,50,50\ni12:saha,80000,1,0,300000,400,0,10,93\n"
           "i13:saha,80000,1,0,300000,400,0,90,93\ni14:saha,1,4,1,3000,200,0,20,2\ni15:saha,1,4,1,3000,500,0,80,2\n"
           "i16:saha,1,4,1,3000,300,0,30,2\ni17:saha,1,4,1,3000,400,0,70,2\n"
           "i18:saha,80000,1,0,300000,400,1,10,96\ni19:saha,80000,1,0,300000,400,1,90,96\n";
}

// `frames` frames through audio_callback in calls of at most
// `buffer_frames`; interleaved stereo samples.
inline std::vector<int16_t> render(int64_t frames, int64_t buffer_frames = 4096) {
    std::vector<int16_t> out;
    std::vector<uint8_t> bytes;
    for (int64_t done = 0; done < frames; done += buffer_frames) {
        bytes.assign(static_cast<size_t>(std::min(buffer_frames, frames - done)) * 4, 0);
        audio_callback(nullptr, bytes.data(), static_cast<int>(bytes.size()));
        for (size_t i = 0; i < bytes.size(); i += 2) out.push_back(static_cast<int16_t>(bytes[i] | (bytes[i + 1] << 8)));
    }
    return out;
}

// A pattern's or track's entries up to its end marker, and the steps a
// pattern plays (a vol or sld shares one step with its argument).
inline Entries entries(const int32_t* table) {
    Entries out;
    for (int32_t i = 0; i < 100 && table[i] != entry_end; ++i) out.push_back(table[i]);
    return out;
}
inline Entries pattern(int32_t n) { return entries(synth.score.pattern_table[n]); }
inline Entries track(int32_t n) { return entries(synth.score.track_table[n]); }
inline int32_t pattern_steps(const Entries& e) {
    int32_t steps = 0;
    for (size_t i = 0; i < e.size(); ++i, ++steps) i += e[i] == command_volume || e[i] == command_slide;
    return steps;
}
