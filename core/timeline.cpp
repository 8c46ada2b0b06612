// The timeline. Main thread.
#include "core/timeline.h"

#include <SDL_opengl.h>

#include <cstdio>

#include "core/scenes.h"

TimelineTrace timeline_trace;
void (*after_scene_block)(SceneBlock block) = nullptr;
#if defined(TUMBO_GL_CHECKS)
bool gl_error_checks = true;
#else
bool gl_error_checks = false;
#endif
unsigned int first_gl_error = 0;

namespace {
// Each block's drawing, in the order of SceneBlock.
constexpr void (*block_draws[scene_block_count])() = {
    draw_greetings, draw_brick_wall,    draw_slogan, draw_credits,     draw_arc_swing_block,
    draw_walkers_block, draw_born, draw_title_words, draw_keep_walking,
};
// Blocks 3 to 9 are tested one after the other by their ranges alone.
constexpr int first_plain_block = static_cast<int>(SceneBlock::slogan);

void run(SceneBlock block) {
    block_draws[static_cast<int>(block)]();
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
}  // namespace

int32_t run_timeline() {
    constexpr BarRange greetings = bars_of(SceneBlock::greetings);
    constexpr BarRange wall = bars_of(SceneBlock::brick_wall);
    timeline_trace.count = 0;
    int32_t bar = read_song_bar();
    if (bar >= greetings.first && show.greeting_lists == list_not_built) {
        build_greeting_lists();  // before anything of the frame is drawn
        bar = read_song_bar();
    }
    if (greetings.contains(bar)) {
        run(SceneBlock::greetings);
        bar = read_song_bar();
        if (bar >= wall.first) {
            run(SceneBlock::brick_wall);
        } else {
            reset_clock_b();  // after drawing: the wall starts from the last frame before its bar
        }
        bar = read_song_bar();
    } else if (bar > greetings.last) {
        run(SceneBlock::brick_wall);  // to the end of the show and on its very last frame
        bar = read_song_bar();
    }
    for (int i = first_plain_block; i < scene_block_count; ++i) {
        if (!scene_bars[i].bars.contains(bar)) continue;
        run(scene_bars[i].block);
        bar = read_song_bar();
    }
    return bar;
}
