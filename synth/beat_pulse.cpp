// The note-trigger pulse that the scenes follow. Main thread only; it reads
// each voice's trigger count, written by the audio thread, and changes no
// audio state.
#include <cmath>

#include "synth/synth.h"
#include "synth/synth_state.h"

namespace {
// One pulse per voice, shared by every caller. Zero at program start.
struct PulseState {
    float pulse_start;         // caller's time t (s) at which the running pulse began
    int32_t pulse_active;      // 1 while a pulse runs, else 0
    int32_t pulse_seen_count;  // the voice's trigger count at the previous query
};
PulseState pulses[voice_count];

// The swell is sin(sqrt(60 d)) for d seconds after its start: it peaks at
// (pi/2)^2 / 60 = 0.041 s and ends at pi^2 / 60 = 0.1645 s.
constexpr double pulse_speed = 60.0;
constexpr double pi = 3.14159265358979323846;
}  // namespace

float beat_pulse(int32_t voice, float t) {
    if (voice < 0 || voice >= voice_count) return 0.0f;
    PulseState& p = pulses[voice];
    const int32_t count = synth.voices[voice].trigger_count.load(std::memory_order_relaxed);
    // The callback resets the count to 0 on a note and otherwise only counts
    // up, so a smaller count than last time means a new note. A note that
    // arrives while a pulse runs is dropped.
    if (p.pulse_seen_count > count && p.pulse_active == 0) {
        p.pulse_start = t;
        p.pulse_active = 1;
    }
    p.pulse_seen_count = count;
    const float d = t - p.pulse_start;
    if (d < 0.0f) {
        p.pulse_active = 0;
        return 0.0f;
    }
    const double x = std::sqrt(static_cast<double>(d) * pulse_speed);
    if (x < pi && p.pulse_active == 1) return static_cast<float>(std::sin(x));
    p.pulse_active = 0;
    return 0.0f;
}
