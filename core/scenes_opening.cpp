// The opening: the pulsing brick ball, the title words and the walking row
// of blocky figures. Main thread.
#include <SDL_opengl.h>

#include <cmath>

#include "bricks/block_text.h"
#include "bricks/gl_setup.h"
#include "core/demo.h"
#include "core/scenes.h"
#include "effects/effects.h"
#include "mesh/figures.h"
#include "mesh/mesh_draw.h"
#include "synth/synth.h"

ShowState show;
SceneTrace scene_trace;

namespace {
// Palette colours of the lettering (bricks/brick_grid.h).
constexpr uint8_t red = 2, white = 3, blue = 4;
constexpr int solid = 1, checkered = 18;  // block-text styles

constexpr BarRange title_bars = bars_of(SceneBlock::title_words);  // the arc swing runs on past them
constexpr int32_t title_section_bars = 2;  // each title word has two bars; the first section shows none

// Title list k: the front word, then 6 units behind it an inverted,
// checkered plate spelling the back word. The translation is recorded in
// the list and stays applied after a call.
struct TitleWords {
    const char* front;
    const char* back;
};
constexpr TitleWords title_words[title_list_count] = {
    {"tumbo", "otumbol"}, {"by", "bybybybyby"}, {"dax", "daxdaxdax"}};

void build_title_lists() {
    show.title_lists = static_cast<int32_t>(glGenLists(title_list_count));
    for (int k = 0; k < title_list_count; ++k) {
        glNewList(static_cast<GLuint>(show.title_lists + k), GL_COMPILE);
        draw_block_text(title_words[k].front, red, 0, solid);
        glTranslatef(0.0f, 0.0f, -6.0f);
        draw_block_text(title_words[k].back, white, 1, checkered);
        glEndList();
    }
}

void call_title_list(int k) {
    glCallList(static_cast<GLuint>(show.title_lists + k));
    scene_trace.title_list_shown = k;
}

// Walkers' caption: one word per three bars from the walkers' first bar.
struct Caption {
    const char* word;
    uint8_t colour;
};
constexpr Caption walker_captions[] = {{"from", blue}, {"mools", red}, {"to", blue}, {"mools", red}};
constexpr int32_t walker_caption_bars = 3;
constexpr int walker_count = 5;
}  // namespace

void draw_arc_swing_block() {
    glPushMatrix();
    bool second_half = true;  // with the walkers: swing on clock B, nudged by voice 3
    if (read_song_bar() <= title_bars.last) {
        // With the title: only on frames during a voice-4 pulse.
        second_half = false;
        if (beat_pulse(4, scene_clocks.clock_a) != 0.0f) {
            draw_arc_swing(scene_clocks.clock_a);
            second_half = read_song_bar() > title_bars.last;
        }
    }
    if (second_half) {
        const float p = beat_pulse(3, scene_clocks.clock_b);
        draw_arc_swing(static_cast<float>(scene_clocks.clock_b - 0.4 * p));
    }
    glPopMatrix();
}

void draw_walkers_block() {
    reset_clock_a();
    const float t = scene_clocks.clock_b;
    glPushMatrix();
    glClear(GL_DEPTH_BUFFER_BIT);
    for (int i = 0; i < walker_count; ++i) {
        glPushMatrix();
        // 7 units apart, the row drifting towards -x at 2.4 units per second.
        glTranslatef(static_cast<float>(13 + 7 * i - 2.4 * t), 0.0f, -9.0f);
        // Each figure swings one radian of phase after its neighbour.
        glRotatef(static_cast<float>(60.0 * std::sin(3.0 * t + i)), 0.0f, 1.0f, 0.0f);
        gl_setup::set_light0(0.3f, 2.0f, 6.0f, 10.0f);  // moves with the figure
        glEnable(GL_LIGHT0);
        glPushMatrix();
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_CULL_FACE);
        glEnable(GL_LIGHTING);
        glTranslatef(0.0f, -2.0f, 0.0f);
        draw_mesh(blocky_figure);
        glPopMatrix();
        glPopMatrix();
    }
    glClear(GL_DEPTH_BUFFER_BIT);  // the caption goes over the figures
    const float p = beat_pulse(3, t);
    glTranslatef(0.0f, 0.0f, 8.0f * p - 26.0f);
    const int k = (read_song_bar() - bars_of(SceneBlock::walkers).first) / walker_caption_bars;
    if (k >= 0 && k < 4) draw_kept_block_text(walker_captions[k].word, walker_captions[k].colour, 0, solid);
    glPopMatrix();
}

void draw_title_words() {
    reset_clock_b();
    scene_trace.title_list_shown = -1;
    glClear(GL_DEPTH_BUFFER_BIT);
    glPushMatrix();
    if (show.title_lists == list_not_built) {
        build_title_lists();  // this frame shows no word
        glPopMatrix();
        return;
    }
    const float p = beat_pulse(4, scene_clocks.clock_a);
    glTranslatef(0.0f, -2.0f, 6.0f * p - 24.0f);  // jumps 6 units closer on each voice-4 pulse
    glRotatef(24.0f, 1.0f, 0.0f, 0.0f);
    // Section k (1..3) shows word k - 1 from the first voice-4 pulse in it,
    // raising title_stage to k; until then the previous word stays. A
    // section whose stage was skipped, or already reached, shows its word at
    // once. The extra pulse query is made only where the stage may advance.
    const int section = (read_song_bar() - title_bars.first) / title_section_bars;
    if (section >= 1 && section <= title_list_count) {
        const int word = section - 1;
        if (show.title_stage != word) {
            call_title_list(word);
        } else if (beat_pulse(4, scene_clocks.clock_a) != 0.0f) {
            show.title_stage = section;
            call_title_list(word);
        } else if (word > 0) {
            call_title_list(word - 1);
        }
    }
    glPopMatrix();
}
