// Mesh benchmarks: decoding both embedded figures (start-up cost) and one
// draw_mesh(toy_figure) in immediate mode into a hidden 640 x 480 test GL
// context, in a frame set up as the show's (the walking scene draws it five
// times a frame). The draw figure includes glFinish, so it is the whole cost
// of one figure, submission and rasterising together. Drawing needs a
// display (run under xvfb-run where there is none) or the EGL offscreen
// driver; without a GPU driver the times are the software renderer's.
#include <SDL_opengl.h>
#include <benchmark/benchmark.h>

#include "embedded/blocky_figure_packed.h"
#include "embedded/toy_figure_packed.h"
#include "mesh/figures.h"
#include "mesh/mesh_draw.h"
#include "support/scene_view.h"

namespace {

void decode(benchmark::State& state, const unsigned char* packed, size_t size) {
    for (auto _ : state) {
        Mesh m;
        benchmark::DoNotOptimize(decode_mesh(m, packed, size));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
}
void BM_DecodeToyFigure(benchmark::State& state) { decode(state, toy_figure_packed, toy_figure_packed_size); }
void BM_DecodeBlockyFigure(benchmark::State& state) { decode(state, blocky_figure_packed, blocky_figure_packed_size); }
BENCHMARK(BM_DecodeToyFigure);
BENCHMARK(BM_DecodeBlockyFigure);

void BM_DrawToyFigure(benchmark::State& state) {
    static GlTestContext context(640, 480);
    if (!context.ok()) {
        state.SkipWithError(context.error());
        return;
    }
    decode_figures();
    begin_scene_frame(context);
    glTranslatef(0, -1.5f, -14);
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        draw_mesh(toy_figure);
        glFinish();
    }
}
BENCHMARK(BM_DrawToyFigure)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
