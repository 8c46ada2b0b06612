// The middle: the floor tunnel with its sentence, then the credits over the
// raining brick pictures. Main thread.
#include <SDL_opengl.h>

#include <algorithm>
#include <cmath>

#include "bricks/block_text.h"
#include "core/demo.h"
#include "core/scenes.h"
#include "effects/effects.h"
#include "synth/synth.h"

namespace {
constexpr uint8_t yellow = 1, blue = 4;  // palette colours
constexpr int solid = 1;                 // block-text style

constexpr const char* born_words[] = {"i", "was", "born", "in", "billund"};
constexpr BarRange born_bars = bars_of(SceneBlock::born);
constexpr int32_t born_word_bars = 2;                      // each word stays two bars
constexpr int32_t last_born_word_bar = born_bars.last - 2;  // the last two bars show the tunnel alone

// One phase of the credits: a picture falling in (time forward) or coming
// apart (time backward), a word and where the pulse pushes it.
struct CreditsPhase {
    int picture;
    int pulse_voice;
    const char* word;
    float x_base, x_per_pulse, y;  // the word's translation: (x_base + x_per_pulse p, y, -44)
};
constexpr CreditsPhase credits_phases[4] = {
    {0, 3, "dovozov", -7.0f, 7.0f, 15.0f},
    {0, 3, "venk", 20.0f, -7.0f, -15.0f},
    {2, 4, "music", -17.0f, 7.0f, 15.0f},
    {2, 4, "pim", 27.0f, -7.0f, -15.0f},
};
constexpr int32_t credits_phase_bars = 4;  // from the credits' first bar, four bars a phase
constexpr double cloud_rate = 1.8;       // cloud seconds per clock second
constexpr double cloud_reverse_from = 12.0;  // s: where a backward phase starts its cloud time
}  // namespace

void draw_born() {
    reset_clock_b();
    const float t = scene_clocks.clock_a;
    // The tunnel's placement and the sign of its time change every bar.
    glPushMatrix();
    if (read_song_bar() % 2 != 0)
        draw_floor_tunnel(1, t);
    else
        draw_floor_tunnel(-1, -t);
    glPopMatrix();

    glPushMatrix();
    glClear(GL_DEPTH_BUFFER_BIT);
    glTranslatef(static_cast<float>(30.0 * std::sin(2.0 * t)), -14.0f, -24.0f);  // swaying side to side
    const float p = beat_pulse(3, t);
    glRotatef(10.0f * p, 0.0f, 1.0f, 0.0f);
    glRotatef(static_cast<float>(5.0 * std::sin(t)), 0.0f, 1.0f, 0.0f);
    const int32_t bar = read_song_bar();
    if (bar >= born_bars.first && bar <= last_born_word_bar)
        draw_kept_block_text(born_words[((bar - born_bars.first) / born_word_bars) % 5], yellow, 0, solid);
    glPopMatrix();
}

void draw_credits() {
    reset_clock_a();
    const float clock = scene_clocks.clock_b;
    glPushMatrix();
    // Degrees, swinging slowly between 0 and 40.
    const float spin = static_cast<float>(20.0 - 20.0 * std::sin(clock / 6.0));
    const int32_t bar = read_song_bar();
    const int phase = std::clamp((bar - bars_of(SceneBlock::credits).first) / credits_phase_bars, 0, 3);
    // Cloud time: forward from 0 in phases 1 and 3, backward from 12 in
    // phases 2 and 4, each starting where the previous phase's mark left it.
    double cloud_time = 0;
    switch (phase) {
        case 0: cloud_time = cloud_rate * clock; break;
        case 1: cloud_time = cloud_reverse_from + cloud_rate * (show.credits_mark_1 - clock); break;
        case 2: cloud_time = cloud_rate * (clock - show.credits_mark_2); break;
        default: cloud_time = cloud_reverse_from + cloud_rate * (show.credits_mark_1 - clock); break;
    }
    const CreditsPhase& c = credits_phases[phase];
    scene_trace.credits_cloud_time = static_cast<float>(cloud_time);
    draw_brick_cloud(c.picture, static_cast<float>(cloud_time), spin);
    const float p = beat_pulse(c.pulse_voice, clock);
    glTranslatef(c.x_base + c.x_per_pulse * p, c.y, -44.0f);
    glClear(GL_DEPTH_BUFFER_BIT);  // the word goes over the cloud
    draw_kept_block_text(c.word, blue, 0, solid);
    if (phase == 0 || phase == 2) show.credits_mark_1 = clock;
    if (phase == 1) show.credits_mark_2 = clock;
    glPopMatrix();
}
