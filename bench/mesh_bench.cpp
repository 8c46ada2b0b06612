// Mesh benchmarks: decoding both embedded figures (start-up cost) and one
// draw_mesh(toy_figure) in immediate mode into a hidden 640 x 480 window (the
// walking scene draws it five times a frame). The draw figure includes
// glFinish, so it is the whole cost of one figure, submission and
// rasterising together. Drawing needs a display: run under xvfb-run where
// there is none; without a GPU driver the times are the software renderer's.
#include <SDL.h>
#include <SDL_opengl.h>
#include <benchmark/benchmark.h>

#include "embedded/blocky_figure_packed.h"
#include "embedded/toy_figure_packed.h"
#include "mesh/figures.h"
#include "mesh/mesh_draw.h"

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
    const int hidden_gl = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
    SDL_Window* window = SDL_Init(SDL_INIT_VIDEO) == 0 ? SDL_CreateWindow("mesh bench", 0, 0, 640, 480, hidden_gl) : nullptr;
    SDL_GLContext context = window ? SDL_GL_CreateContext(window) : nullptr;
    if (!context) state.SkipWithError("no GL context (no display? run under xvfb-run)");
    if (context) {
        decode_figures();
        glMatrixMode(GL_PROJECTION);
        glFrustum(-1, 1, -0.75, 0.75, 1, 10000);  // the demo's projection and switches
        glMatrixMode(GL_MODELVIEW);
        glTranslatef(0, -1.5f, -14);
        glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 1);
        for (GLenum on : {GL_LIGHTING, GL_CULL_FACE, GL_DEPTH_TEST}) glEnable(on);
        for (auto _ : state) {
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            draw_mesh(toy_figure);
            glFinish();
        }
        SDL_GL_DeleteContext(context);
    }
    if (window) SDL_DestroyWindow(window);
    SDL_Quit();
}
BENCHMARK(BM_DrawToyFigure)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
