// The synthesizer's global state, defined in one place: the set-up
// (voices.cpp), the parser (score_parser.cpp) and the audio callback
// (audio_callback.cpp) all use it, and none of them owns it alone. Threads
// and ownership: synth/synth_state.h.
#include "synth/synth_state.h"

#include "synth/synth.h"

SynthState synth;
std::atomic<int32_t> song_bar{0};  // written by the audio callback, read by the main thread
