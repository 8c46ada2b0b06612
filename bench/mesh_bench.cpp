// Mesh benchmarks: decoding both embedded figures (start-up cost) and
// drawing toy_figure once in immediate mode (the walking scene draws it
// five times a frame). Drawing needs a display: run under xvfb-run where
// there is none. GL timings here are the software renderer's unless a GPU
// driver is present; the draw figure includes glFinish, so it is the whole
// frame cost of one figure, submission and rasterising together.
#include <SDL.h>
#include <SDL_opengl.h>
#include <benchmark/benchmark.h>

#include "embedded/blocky_figure_packed.h"
#include "embedded/toy_figure_packed.h"
#include "mesh/figures.h"
#include "mesh/mesh_draw.h"

namespace {

void BM_DecodeToyFigure(benchmark::State& state) {
    for (auto _ : state) {
        Mesh m;
        benchmark::DoNotOptimize(decode_mesh(m, toy_figure_packed, toy_figure_packed_size));
        benchmark::DoNotOptimize(m.objects);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * toy_figure_packed_size));
}
BENCHMARK(BM_DecodeToyFigure);

void BM_DecodeBlockyFigure(benchmark::State& state) {
    for (auto _ : state) {
        Mesh m;
        benchmark::DoNotOptimize(decode_mesh(m, blocky_figure_packed, blocky_figure_packed_size));
        benchmark::DoNotOptimize(m.objects);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * blocky_figure_packed_size));
}
BENCHMARK(BM_DecodeBlockyFigure);

// A hidden 640 x 480 window with the demo's projection and lighting state.
struct GlWindow {
    SDL_Window* window = nullptr;
    SDL_GLContext context = nullptr;
    GlWindow() {
        if (SDL_Init(SDL_INIT_VIDEO) < 0) return;
        window = SDL_CreateWindow("mesh bench", 0, 0, 640, 480, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        if (window) context = SDL_GL_CreateContext(window);
    }
    ~GlWindow() {
        if (context) SDL_GL_DeleteContext(context);
        if (window) SDL_DestroyWindow(window);
        SDL_Quit();
    }
};

void draw_setup() {
    glViewport(0, 0, 640, 480);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-1, 1, -0.75, 0.75, 1, 10000);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0, -1.5f, -14);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 1);
    glEnable(GL_LIGHTING);
    glShadeModel(GL_SMOOTH);
    glCullFace(GL_BACK);
    glEnable(GL_CULL_FACE);
    glEnable(GL_DEPTH_TEST);
}

void BM_DrawToyFigure(benchmark::State& state) {
    GlWindow gl;
    if (!gl.context) {
        state.SkipWithError("no GL context (no display? run under xvfb-run)");
        return;
    }
    decode_figures();
    draw_setup();
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        draw_mesh(toy_figure);
        glFinish();
    }
}
BENCHMARK(BM_DrawToyFigure)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
