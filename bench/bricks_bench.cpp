// Bricks benchmarks on the real GL driver (run under a display, e.g.
// xvfb-run): compiling the start-up display lists, and a word drawn
// directly, as captions are every frame.
#include <SDL_opengl.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

#include "bricks/block_text.h"
#include "bricks/display_lists.h"
#include "support/scene_view.h"

namespace {

// One hidden 640x480 window for the whole run.
GlTestContext& context() {
    static GlTestContext gl(640, 480);
    if (!gl.ok()) {
        std::fprintf(stderr, "bricks_bench: no GL context: %s\n", gl.error());
        std::exit(1);
    }
    return gl;
}

// Every start-up list in start-up order, with the global state step between
// the floor and the spirals, then deleted again.
void BM_CompileStartupLists(benchmark::State& state) {
    context();
    for (auto _ : state) {
        glDisable(GL_CULL_FACE);
        build_startup_lists();
        glFinish();
        state.PauseTiming();
        // Five names from the start of each family's range covers it; names
        // without a list are ignored.
        for (GLuint first : {brick_state.shape_lists[0], brick_state.floor_list, brick_state.spiral_lists[0], brick_state.arc_lists[0], brick_state.brick_lists[0]}) glDeleteLists(first, 5);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_CompileStartupLists)->Unit(benchmark::kMillisecond);

// A word drawn outside lists, as captions are every frame (kept in a list
// of its own after the first call): the calls only, what the frame loop
// pays on the CPU before the driver renders.
void BM_DrawBlockTextCalls(benchmark::State& state, const char* word) {
    begin_scene_frame(context());
    build_glyph_index();
    glTranslatef(0, 0, -40);
    for (auto _ : state) {
        draw_kept_block_text(word, 4, 0, 1);
        state.PauseTiming();
        glFinish();  // keep the driver's queue from growing into the next call
        state.ResumeTiming();
    }
}
BENCHMARK_CAPTURE(BM_DrawBlockTextCalls, walking, "walking")->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
