// Bricks benchmarks on the real GL driver (run under a display, e.g.
// xvfb-run): compiling the start-up display lists, and the per-frame costs
// of the words and the plate that scenes draw directly every frame.
#include <SDL_opengl.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

#include "bricks/block_text.h"
#include "bricks/brick.h"
#include "bricks/display_lists.h"
#include "support/gl_test_context.h"

namespace {

// One hidden 640x480 window for the whole run, lit and projected as the
// show does.
GlTestContext& context() {
    static GlTestContext gl(640, 480);
    if (!gl.ok()) {
        std::fprintf(stderr, "bricks_bench: no GL context: %s\n", gl.error());
        std::exit(1);
    }
    return gl;
}

void scene_state() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-1, 1, -0.75, 0.75, 1, 10000);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 1);
    glEnable(GL_LIGHTING);
    glShadeModel(GL_SMOOTH);
    glCullFace(GL_BACK);
    glEnable(GL_CULL_FACE);
    glEnable(GL_LIGHT0);
    glEnable(GL_DEPTH_TEST);
}

// Every start-up list, in start-up order (the global state step between
// the floor and the spirals), then deleted again.
void BM_CompileStartupLists(benchmark::State& state) {
    context();
    for (auto _ : state) {
        glDisable(GL_CULL_FACE);
        build_shape_lists();
        build_floor_list();
        scene_state();
        build_spiral_lists();
        build_arc_list();
        build_glyph_index();
        build_brick_lists();
        glFinish();
        state.PauseTiming();
        glDeleteLists(shape_lists[0], 3);
        glDeleteLists(floor_list, 1);
        glDeleteLists(spiral_lists[0], 2);
        glDeleteLists(arc_lists[0], 1);
        glDeleteLists(brick_lists[0], 5);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_CompileStartupLists)->Unit(benchmark::kMillisecond);

// The largest single lists.
void BM_CompileShapeLists(benchmark::State& state) {
    context();
    for (auto _ : state) {
        build_shape_lists();
        glFinish();
        state.PauseTiming();
        glDeleteLists(shape_lists[0], 3);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_CompileShapeLists)->Unit(benchmark::kMillisecond);

// Setting a word into the grid, without GL.
void BM_SetBlockText(benchmark::State& state) {
    build_glyph_index();
    for (auto _ : state) benchmark::DoNotOptimize(set_block_text("walking", 5, 0, 1));
}
BENCHMARK(BM_SetBlockText);

// A word drawn directly, as the captions are every frame: the calls only
// (what the frame loop pays on the CPU before the driver renders) ...
void BM_DrawBlockTextCalls(benchmark::State& state, const char* word, int invert, int style) {
    context();
    build_glyph_index();
    scene_state();
    glTranslatef(0, 0, -40);
    for (auto _ : state) {
        draw_block_text(word, 4, invert, style);
        state.PauseTiming();
        glFinish();  // keep the driver's queue from growing into the next call
        state.ResumeTiming();
    }
}
BENCHMARK_CAPTURE(BM_DrawBlockTextCalls, walking, "walking", 0, 1)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_DrawBlockTextCalls, orvanet_inverted, " orvanet ", 1, 18)->Unit(benchmark::kMicrosecond);

// ... the same word compiled once and replayed, as the scenes do for the
// words they keep in lists ...
void BM_ReplayBlockTextList(benchmark::State& state) {
    context();
    build_glyph_index();
    scene_state();
    glTranslatef(0, 0, -40);
    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    draw_block_text("walking", 4, 0, 1);
    glEndList();
    for (auto _ : state) {
        glCallList(list);
        state.PauseTiming();
        glFinish();
        state.ResumeTiming();
    }
    glDeleteLists(list, 1);
}
BENCHMARK(BM_ReplayBlockTextList)->Unit(benchmark::kMicrosecond);

// ... and calls plus rendering into a 640x480 frame on this machine's
// driver.
void BM_DrawBlockTextRendered(benchmark::State& state) {
    context();
    build_glyph_index();
    scene_state();
    glTranslatef(0, 0, -40);
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        draw_block_text("walking", 4, 0, 1);
        glFinish();
    }
}
BENCHMARK(BM_DrawBlockTextRendered)->Unit(benchmark::kMicrosecond);

// The 14x10 plate a scene draws directly every frame (six-facet studs, no
// underside): calls only.
void BM_DrawPlate14x10Calls(benchmark::State& state) {
    context();
    scene_state();
    glTranslatef(0, -6, -15);
    for (auto _ : state) {
        draw_brick(14, 10, 6, 0, 1.0f, 0.1f, 0.0f);
        state.PauseTiming();
        glFinish();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_DrawPlate14x10Calls)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
