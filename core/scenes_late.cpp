// The scrolling slogan, the walkers on the studded plate, the greetings and
// the brick wall that closes the show. Main thread.
#include <SDL_opengl.h>

#include <cmath>
#include <cstdlib>

#include "bricks/block_text.h"
#include "bricks/brick.h"
#include "bricks/brick_grid.h"
#include "bricks/display_lists.h"
#include "bricks/gl_setup.h"
#include "core/demo.h"
#include "core/scenes.h"
#include "effects/effects.h"
#include "mesh/walkers.h"
#include "synth/synth.h"

namespace {
constexpr uint8_t red = 2, white = 3, blue = 4, green = 5;  // palette colours
constexpr int solid = 1, checkered = 18;                     // block-text styles

constexpr const char* slogan_words[slogan_list_count] = {"toyz", "for", "boyz"};
constexpr double slogan_offsets[slogan_list_count] = {20.0, 0.0, -20.0};  // units above "for"
constexpr double slogan_speed = 20.0;   // units per second upwards
constexpr double slogan_wrap = 60.0;    // units: words wrap from y = 30 back to -30

constexpr int32_t keep_walking_first_bar = bars_of(SceneBlock::keep_walking).first;
constexpr int32_t keep_walking_caption_bars = 2;  // each caption stays two bars
struct Caption {
    const char* word;
    uint8_t colour;
};
constexpr Caption keep_walking_captions[] = {{"keep", blue}, {"walking", green}, {"keep", blue}, {"smiling", green}};

// Spaces set the width of the plate behind each name (three columns each).
constexpr const char* greeting_words[greeting_list_count] = {
    "     kq     ", "   talvo   ", "    plu    ", " orvanet ", "  dromix  ", "  quzzl  "};
// The greetings' first bar shows the spirals alone, and from the wall's
// first bar no name is shown.
constexpr int32_t first_greeting_bar = bars_of(SceneBlock::greetings).first + 1;
constexpr int32_t last_greeting_bar = bars_of(SceneBlock::brick_wall).first - 1;
static_assert(last_greeting_bar - first_greeting_bar + 1 == greeting_list_count, "one name a bar");
}  // namespace

void draw_slogan() {
    reset_clock_b();
    const float t = scene_clocks.clock_a;
    if (show.slogan_lists == list_not_built) {
        // Built and drawn in the same frame.
        show.slogan_lists = static_cast<int32_t>(glGenLists(slogan_list_count));
        for (int n = 0; n < slogan_list_count; ++n) {
            glNewList(static_cast<GLuint>(show.slogan_lists + n), GL_COMPILE);
            draw_block_text(slogan_words[n], blue, 0, solid);
            glEndList();
        }
    }
    for (int n = 0; n < slogan_list_count; ++n) {
        glPushMatrix();
        // C fmod keeps the sign: in the first second "boyz" rises from -50.
        const double y = std::fmod(slogan_speed * t + slogan_offsets[n], slogan_wrap) - 30.0;
        glTranslatef(0.0f, static_cast<float>(y), -18.0f);
        glCallList(static_cast<GLuint>(show.slogan_lists + n));
        glPopMatrix();
    }
    glPushMatrix();
    glClear(GL_DEPTH_BUFFER_BIT);  // the trio goes over the words
    const float p = beat_pulse(3, t);
    glTranslatef(0.0f, 0.0f, 2.0f * p);
    draw_shape_trio(read_song_bar() % 2 != 0 ? -t : t);  // turns the other way every bar
    glPopMatrix();
}

void draw_keep_walking() {
    reset_clock_a();
    const float t = scene_clocks.clock_b;
    glPushMatrix();
    draw_shape_trio(read_song_bar() % 2 != 0 ? -t : t);
    glClear(GL_DEPTH_BUFFER_BIT);
    // Rise-in: in the first 4/3 s of bar 56 the floor and the walkers come
    // up from 40 units below.
    const float rise = 30.0f * t - 40.0f;
    if (read_song_bar() <= keep_walking_first_bar && rise < 0.0f) glTranslatef(0.0f, rise, 0.0f);
    glRotatef(3.0f * t - 20.0f, 0.0f, 1.0f, 0.0f);  // the view turns slowly from -20 degrees
    // The red studded plate, scaled 2x in x and z, sliding away by up to one
    // scaled stud pitch (2 units) and jumping back.
    glPushMatrix();
    glTranslatef(0.0f, -6.0f, static_cast<float>(-13.0 - std::fmod(3.2 * t, 2.0)));
    glScalef(2.0f, 1.0f, 2.0f);
    draw_brick(14, 10, 6, 0, 1.0f, 0.1f, 0.0f);
    glPopMatrix();
    glTranslatef(0.0f, 0.0f, -9.0f);
    draw_walkers(3, t);
    glTranslatef(0.0f, 0.0f, -4.0f);
    draw_walkers(2, t + 1.0f);
    glPopMatrix();

    glClear(GL_DEPTH_BUFFER_BIT);
    const float p = beat_pulse(3, t);
    glTranslatef(0.0f, 0.0f, 8.0f * p - 33.0f);  // not undone: the next frame starts from the identity
    const int k = (read_song_bar() - keep_walking_first_bar) / keep_walking_caption_bars;
    if (k >= 0 && k < 4) draw_kept_block_text(keep_walking_captions[k].word, keep_walking_captions[k].colour, 0, solid);
}

void build_greeting_lists() {
    show.greeting_lists = static_cast<int32_t>(glGenLists(greeting_list_count));
    for (int k = 0; k < greeting_list_count; ++k) {
        glNewList(static_cast<GLuint>(show.greeting_lists + k), GL_COMPILE);
        draw_block_text(greeting_words[k], red, 0, solid);
        glTranslatef(0.0f, 0.0f, -6.0f);
        draw_block_text(greeting_words[k], white, 1, checkered);
        glEndList();
    }
}

void draw_greetings() {
    const float t = scene_clocks.clock_a;
    glPushMatrix();
    glPushMatrix();
    gl_setup::set_switches();
    gl_setup::set_light0(0.0f, 0.0f, 0.0f, 2.0f);  // in eye space: the modelview is the identity here

    // The two spirals tumble in the background.
    glTranslatef(0.0f, 0.0f, -13.0f);
    glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
    glRotatef(-90.0f * t, 0.0f, 1.0f, 0.0f);
    glRotatef(static_cast<float>(10.0 * std::sin(2.0 * t)), 0.0f, 0.0f, 1.0f);
    glCallList(brick_state.spiral_lists[0]);
    glRotatef(20.0f * t, 0.0f, 1.0f, 0.1f);
    glRotatef(-10.0f, 0.0f, 0.0f, 1.0f);
    glTranslatef(0.0f, -4.0f, 0.0f);
    glCallList(brick_state.spiral_lists[1]);
    glPopMatrix();
    glPopMatrix();

    glClear(GL_DEPTH_BUFFER_BIT);  // the name goes over the spirals
    glPushMatrix();
    glTranslatef(0.0f, -2.0f, -32.0f);
    // The pulse runs on a clock at 0.7 of clock A; the tilt drops from 20 to
    // 10 degrees at its peak.
    const float p = beat_pulse(4, static_cast<float>(0.7 * t));
    glRotatef(20.0f - 10.0f * p, 1.0f, 0.0f, 0.0f);
    const int32_t bar = read_song_bar();
    if (bar >= first_greeting_bar && bar <= last_greeting_bar)
        glCallList(static_cast<GLuint>(show.greeting_lists + (bar - first_greeting_bar)));
    glPopMatrix();
}

void fill_wall_cells(float clock_b, std::span<int8_t, wall_cell_count> cells) {
    // The same random pairs every frame: only time changes the wall.
    std::srand(1);
    const float u = static_cast<float>(1.2 * clock_b);
    const double w = 70.0 * u;  // grows by 84 per second of clock_b
    constexpr int8_t white_cell = 3;  // palette: 3 white, 4 blue
    for (int i = 0; i < wall_cell_count; ++i) {
        int8_t& cell = cells[i];
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
}

void draw_brick_wall() {
    glPushMatrix();
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    gl_setup::set_light0(0.4f, 2.0f, 6.0f, 10.0f);  // in eye space: the modelview is the identity here
    gl_setup::set_light0_attenuation(0.0f, 0.0f);
    const float t = scene_clocks.clock_b;
    int8_t cells[wall_cell_count];  // refilled every frame
    fill_wall_cells(t, cells);
    const float u = static_cast<float>(1.2 * t);  // the wall's own time, as fill_wall_cells takes it
    glTranslatef(0.0f, 0.0f, -8.5f);
    glRotatef(static_cast<float>(5.0 * std::cos(0.7 * u)), 0.0f, 0.0f, 1.0f);
    draw_brick_grid(6, cells, wall_columns, wall_rows, 1);  // six-facet studs, one layer
    glPopMatrix();
}
