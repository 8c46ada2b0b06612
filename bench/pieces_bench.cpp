// Single pieces of the show, each drawn alone into a 640x480 frame set up
// as the show's and finished (glFinish), so that a piece's time holds the
// driver's work and the rasterising. This is where a slow scene's time is
// looked for: the scenes are made of these pieces.
//
//   xvfb-run -a -s "-screen 0 1280x1024x24" build/bench/pieces_bench
//
// Each figure is the fastest of --benchmark_repetitions runs (default 30),
// which leaves out preemption by other processes.
#include <SDL_opengl.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <functional>

#include "bricks/block_text.h"
#include "bricks/brick.h"
#include "bricks/display_lists.h"
#include "core/scenes.h"
#include "effects/effects.h"
#include "mesh/figures.h"
#include "mesh/mesh_draw.h"
#include "mesh/walkers.h"
#include "support/scene_view.h"

namespace {

// One hidden 640x480 window with the start-up content, for the whole run.
GlTestContext& context() {
    static GlTestContext gl(640, 480);
    static const bool built = [] {
        if (!gl.ok()) {
            std::fprintf(stderr, "pieces_bench: no GL context: %s\n", gl.error());
            std::exit(1);
        }
        glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 1);
        decode_figures();
        build_startup_lists();
        return true;
    }();
    (void)built;
    return gl;
}

// One frame: cleared and set up, the piece, then glFinish.
void BM_Piece(benchmark::State& state, const std::function<void()>& piece) {
    const GlTestContext& gl = context();
    for (auto _ : state) {
        begin_scene_frame(gl);
        piece();
        glFinish();
    }
}

double fastest(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

void piece(const char* name, std::function<void()> draw) {
    benchmark::RegisterBenchmark(name, [draw](benchmark::State& s) { BM_Piece(s, draw); })
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1)
        ->Repetitions(30)
        ->ComputeStatistics("min", fastest)
        ->ReportAggregatesOnly(true);
}

// Brick lists at the cloud's spacing, 16 x 16 of them, as the landed cloud
// calls them (without the cloud's fall and twist).
void landed_bricks() {
    glTranslatef(0, 0, -28);
    glRotatef(90, 1, 0, 0);
    for (int j = 0; j < 16; ++j)
        for (int c = 0; c < 16; ++c) {
            glPushMatrix();
            glTranslatef(-18.75f + 2.5f * c, 1.0f, -18.75f + 2.5f * j);
            glCallList(brick_state.brick_lists[(j + c) % 2 == 0 ? 1 : 3]);
            glPopMatrix();
        }
}

}  // namespace

int main(int argc, char** argv) {
    piece("cloud_falling", [] { draw_brick_cloud(0, 5.0f, 20.0f); });
    piece("cloud_landed", [] { draw_brick_cloud(0, 20.0f, 20.0f); });
    piece("plate_list", [] {
        glTranslatef(0, 0, -28);
        glRotatef(90, 1, 0, 0);
        glCallList(brick_state.brick_lists[4]);
    });
    piece("landed_bricks_256", landed_bricks);
    piece("floor_tunnel", [] { draw_floor_tunnel(1, 3.0f); });
    piece("shape_trio", [] { draw_shape_trio(3.0f); });
    piece("spirals", [] {
        glTranslatef(0, 0, -13);
        glRotatef(90, 1, 0, 0);
        glCallList(brick_state.spiral_lists[0]);
        glTranslatef(0, -4, 0);
        glCallList(brick_state.spiral_lists[1]);
    });
    piece("arc_swing", [] { draw_arc_swing(3.0f); });
    piece("word_dovozov", [] {
        glTranslatef(-7, 15, -44);
        draw_kept_block_text("dovozov", 4, 0, 1);
    });
    piece("studded_plate_14x10", [] {
        glTranslatef(0, -6, -13);
        glScalef(2, 1, 2);
        draw_brick(14, 10, 6, 0, 1.0f, 0.1f, 0.0f);
    });
    piece("brick_wall_standing", [] {
        scene_clocks.clock_b = 1.6f;  // s: nearly every cell stands
        draw_brick_wall();
    });
    piece("toy_walkers_5", [] {
        glTranslatef(0, 0, -9);
        draw_walkers(3, 1.0f);
        glTranslatef(0, 0, -4);
        draw_walkers(2, 2.0f);
    });
    piece("blocky_figures_5", [] {
        for (int i = 0; i < 5; ++i) {
            glPushMatrix();
            glTranslatef(static_cast<float>(-14 + 7 * i), -2, -9);
            draw_mesh(blocky_figure);
            glPopMatrix();
        }
    });
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
