// The timeline and the brick wall that closes the show. Main thread.
#include "core/timeline.h"

#include <SDL_opengl.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "bricks/brick_grid.h"
#include "core/demo.h"
#include "core/scenes.h"
#include "core/ticks.h"
#include "synth/synth.h"

TimelineTrace timeline_trace;
void (*after_scene_block)(SceneBlock block) = nullptr;
#if defined(TUMBO_GL_CHECKS)
bool gl_error_checks = true;
#else
bool gl_error_checks = false;
#endif
unsigned int first_gl_error = 0;

namespace {
// Bar ranges of the blocks, inclusive.
struct BarRange {
    int32_t first, last;
    bool contains(int32_t bar) const { return bar >= first && bar <= last; }
};
constexpr BarRange greetings_bars{64, 71};
constexpr int32_t last_spoken_greeting_bar = 70;  // from bar 71 the wall joins the greetings
constexpr int32_t last_scene_bar = 63;            // after it: greetings lists, then greetings or the wall

// Blocks 3 to 9, in test order.
struct TimedBlock {
    SceneBlock block;
    BarRange bars;
    void (*draw)();
};
constexpr TimedBlock timed_blocks[] = {
    {SceneBlock::slogan, {48, 55}, draw_slogan},
    {SceneBlock::credits, {32, 47}, draw_credits},
    {SceneBlock::arc_swing, {0, 19}, draw_arc_swing_block},
    {SceneBlock::walkers, {8, 19}, draw_walkers_block},
    {SceneBlock::born, {20, 31}, draw_born},
    {SceneBlock::title_words, {0, 7}, draw_title_words},
    {SceneBlock::keep_walking, {56, 63}, draw_keep_walking},
};

void finished(SceneBlock block) {
    timeline_trace.blocks[timeline_trace.count++] = block;
    if (gl_error_checks) {
        const GLenum error = glGetError();
        if (error != GL_NO_ERROR && first_gl_error == 0) {
            first_gl_error = error;
            std::fprintf(stderr, "tumbo: GL error 0x%04x in the %s scene\n", error, scene_block_name(block));
        }
    }
    if (after_scene_block) after_scene_block(block);
}

void run(SceneBlock block, void (*draw)()) {
    draw();
    finished(block);
}
}  // namespace

const char* scene_block_name(SceneBlock block) {
    switch (block) {
        case SceneBlock::greetings: return "greetings";
        case SceneBlock::brick_wall: return "brick wall";
        case SceneBlock::slogan: return "slogan";
        case SceneBlock::credits: return "credits";
        case SceneBlock::arc_swing: return "arc swing";
        case SceneBlock::walkers: return "walkers";
        case SceneBlock::born: return "born";
        case SceneBlock::title_words: return "title words";
        case SceneBlock::keep_walking: return "keep walking";
    }
    return "unknown";
}

int32_t read_song_bar() { return song_bar.load(std::memory_order_relaxed); }

void reset_clock_a() { scene_clocks.clock_a_start = static_cast<float>(get_ticks()); }
void reset_clock_b() { scene_clocks.clock_b_start = static_cast<float>(get_ticks()); }

int32_t run_timeline() {
    timeline_trace.count = 0;
    int32_t bar = read_song_bar();
    if (bar > last_scene_bar && show.greeting_lists == list_not_built) {
        build_greeting_lists();
        bar = read_song_bar();
    }
    if (greetings_bars.contains(bar)) {
        run(SceneBlock::greetings, draw_greetings);
        bar = read_song_bar();
        if (bar > last_spoken_greeting_bar) {
            run(SceneBlock::brick_wall, draw_brick_wall);
        } else {
            reset_clock_b();  // after drawing: the wall starts from the last frame of bar 70
        }
        bar = read_song_bar();
    } else if (bar > last_scene_bar) {
        run(SceneBlock::brick_wall, draw_brick_wall);
        bar = read_song_bar();
    }
    for (const TimedBlock& b : timed_blocks) {
        if (!b.bars.contains(bar)) continue;
        run(b.block, b.draw);
        bar = read_song_bar();
    }
    return bar;
}

void draw_brick_wall() {
    glPushMatrix();
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    // Light 0 in eye space (the modelview is the identity here).
    const GLfloat white[] = {1, 1, 1, 1};
    const GLfloat ambient[] = {0.4f, 0.4f, 0.4f, 1};
    const GLfloat position[] = {2, 6, 10, 1};
    glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    glLightfv(GL_LIGHT0, GL_SPECULAR, white);
    glLightfv(GL_LIGHT0, GL_POSITION, position);
    glLightf(GL_LIGHT0, GL_QUADRATIC_ATTENUATION, 0.0f);
    glLightf(GL_LIGHT0, GL_LINEAR_ATTENUATION, 0.0f);

    // The same random pairs every frame: only time changes the wall.
    std::srand(1);
    const float u = static_cast<float>(1.2 * scene_clocks.clock_b);
    const double w = 70.0 * u;  // grows by 84 per second of clock_b
    constexpr int8_t white_cell = 3;  // palette: 3 white, 4 blue
    for (int i = 0; i < wall_cell_count; ++i) {
        int8_t& cell = show.wall_cells[i];
        cell = 0;
        // Past a few hours of clock_b every cell has long vanished; the
        // clamp keeps the conversion defined however long the wall runs.
        const double progress = std::fmin(std::fmax(i + w - 25.0, -1e6), 1e6);
        const int v = static_cast<int>(progress);  // truncated toward zero
        // Every cell takes exactly two rand() values: its own fixed pair.
        const int first = std::rand() % 40;
        if (first + v > 119) {  // shown once v passes 120 minus its first number
            cell = static_cast<int8_t>(white_cell + i % 2);  // rows of 9: a checkerboard
            const int second = std::rand() % 40;
            if (second + v > 259) cell = 0;  // gone once v passes 260 minus its second number
        } else {
            std::rand();
        }
    }
    glTranslatef(0.0f, 0.0f, -8.5f);
    glRotatef(static_cast<float>(5.0 * std::cos(0.7 * u)), 0.0f, 0.0f, 1.0f);
    draw_brick_grid(6, show.wall_cells, wall_columns, wall_rows, 1);  // six-facet studs, one layer
    glPopMatrix();
}
