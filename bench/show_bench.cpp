// Frame time of every scene of the show, drawn by the real frame code on the
// capture tool's virtual clock at 60 fps, into an offscreen framebuffer of
// the chosen size. Each frame is timed from the start of drawing to the end
// of rendering (glFinish), without presenting it.
//
//   show_bench [--size WxH] [--fps N] [--samples N] [--to S]
//
// --samples N draws into a framebuffer of N samples per pixel, as the live
// window with antialiasing (4) and captures (--aa) do, and times the
// read-back of each frame too (resolving the samples, as a multisampled
// window does when it presents a frame, and copying the pixels out): an
// upper bound for the live window, the same work for 1 and for 4.
//
// Prints, per scene, the number of frames and the median and 99th-percentile
// frame time. One pass over the show (about 140 s of song; at 640x480 it
// takes a few minutes on a software renderer).
#include <SDL_opengl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "capture/show_driver.h"
#include "core/show_bars.h"

namespace {
struct Scene {
    const char* name;
    int32_t first_bar, last_bar;
};
// The scenes in the order they follow one another, with their bars from
// core/show_bars.h. The arc swing runs under the title and the walkers and
// is not a scene of its own; bar 71, where the wall joins the greetings,
// counts for the wall, and the wall's bars run on to the frame that ends
// the show.
constexpr SceneBlock scene_order[] = {SceneBlock::title_words, SceneBlock::walkers, SceneBlock::born,
                                      SceneBlock::credits,     SceneBlock::slogan,  SceneBlock::keep_walking,
                                      SceneBlock::greetings,   SceneBlock::brick_wall};
constexpr Scene scene_of(SceneBlock block) {
    const SceneBars& s = scene_bars_of(block);
    if (block == SceneBlock::greetings) return {s.name, s.bars.first, bars_of(SceneBlock::brick_wall).first - 1};
    if (block == SceneBlock::brick_wall) return {s.name, s.bars.first, last_song_bar + 1};
    return {s.name, s.bars.first, s.bars.last};
}
constexpr Scene scenes[] = {scene_of(scene_order[0]), scene_of(scene_order[1]), scene_of(scene_order[2]),
                            scene_of(scene_order[3]), scene_of(scene_order[4]), scene_of(scene_order[5]),
                            scene_of(scene_order[6]), scene_of(scene_order[7])};
constexpr int scene_count = sizeof scenes / sizeof scenes[0];

double percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const size_t i = static_cast<size_t>(p * static_cast<double>(v.size() - 1) + 0.5);
    return v[std::min(i, v.size() - 1)];
}
}  // namespace

int main(int argc, char** argv) {
    ShowDriverConfig config;
    double to_seconds = 1e9;
    bool read_back = false;  // --samples given
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--size") == 0) std::sscanf(argv[i + 1], "%dx%d", &config.width, &config.height);
        if (std::strcmp(argv[i], "--fps") == 0) config.fps = std::atoi(argv[i + 1]);
        if (std::strcmp(argv[i], "--to") == 0) to_seconds = std::atof(argv[i + 1]);
        if (std::strcmp(argv[i], "--samples") == 0) {
            config.samples = std::atoi(argv[i + 1]);
            read_back = true;
        }
    }
    ShowDriver driver;
    std::string error;
    if (!start_show_driver(driver, config, error)) {
        std::fprintf(stderr, "show_bench: %s\n", error.c_str());
        return 1;
    }
    std::vector<double> times[scene_count];
    std::vector<uint8_t> rgb;
    using clock = std::chrono::steady_clock;
    while (!driver.ended && static_cast<double>(driver.next_frame) / config.fps < to_seconds) {
        const clock::time_point start = clock::now();
        const int32_t bar = draw_next_frame(driver);
        if (read_back) read_frame_rgb(driver, rgb);
        glFinish();
        const double ms = std::chrono::duration<double, std::milli>(clock::now() - start).count();
        for (int s = 0; s < scene_count; ++s)
            if (bar >= scenes[s].first_bar && bar <= scenes[s].last_bar) times[s].push_back(ms);
    }
    std::printf("%dx%d, %d fps, %d sample%s per pixel, %s\n", config.width, config.height, config.fps,
                config.samples, config.samples == 1 ? "" : "s",
                reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    std::printf("| Scene | Bars | Frames | Median (ms) | 99th percentile (ms) |\n|---|---|---|---|---|\n");
    for (int s = 0; s < scene_count; ++s)
        std::printf("| %s | %d–%d | %zu | %.1f | %.1f |\n", scenes[s].name, scenes[s].first_bar, scenes[s].last_bar,
                    times[s].size(), percentile(times[s], 0.5), percentile(times[s], 0.99));
    return 0;
}
