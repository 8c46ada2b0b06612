#include "synth/synth.h"

#include <cstdlib>
#include <cstring>

std::atomic<int32_t> song_bar{0};

void init_synth() {
    // The noise table takes the first 44100 values of the unseeded rand()
    // sequence; later start-up steps (the floor list) rely on drawing after
    // them. Placeholder: draw them without keeping them.
    for (int i = 0; i < 44100; ++i) (void)std::rand();
}

int parse_score() { return 0; }

void audio_callback(void*, uint8_t* stream, int len) {
    if (len <= 3) return;
    std::memset(stream, 0, static_cast<size_t>(len / 4) * 4);
}

float beat_pulse(int, float) { return 0.0f; }
