#include "synth/synth.h"

#include <cstring>

std::atomic<int32_t> song_bar{0};

void init_synth() {}

int parse_score() { return 0; }

void audio_callback(void*, uint8_t* stream, int len) {
    if (len <= 3) return;
    std::memset(stream, 0, static_cast<size_t>(len / 4) * 4);
}

float beat_pulse(int, float) { return 0.0f; }
