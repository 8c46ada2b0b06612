// Time from process start to the first presented frame of the live program,
// split into its start-up steps, as medians over repeated runs. The program
// runs itself as a child for each run: the parent notes the time just
// before starting the child, the child replays the live start-up step by
// step (the same functions, in the same order) and reports when each ended.
//
//   xvfb-run -a -s "-screen 0 1280x1024x24" build/bench/startup_bench [runs]
//
// Sound goes to SDL's dummy driver (no sound card here); the window is
// 640x480.
#include <SDL.h>
#include <SDL_opengl.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "bricks/display_lists.h"
#include "core/demo.h"
#include "mesh/figures.h"
#include "synth/synth.h"

extern char** environ;

namespace {
double now_ms() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);  // one clock for every process
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

constexpr const char* steps[] = {
    "process start to main (loading libraries)",
    "SDL_Init",
    "open the audio device",
    "init_synth (tables, noise)",
    "parse_score (instruments rendered)",
    "window and GL context",
    "decode the two figures",
    "start-up display lists",
    "first frame drawn and presented",
};
constexpr int step_count = sizeof steps / sizeof steps[0];

// The child: one start-up, printing the end time of every step.
int child(double spawned_ms) {
    double t[step_count + 1];
    t[0] = spawned_ms;
    t[1] = now_ms();
    SDL_Init(SDL_INIT_TIMER | SDL_INIT_AUDIO | SDL_INIT_VIDEO);
    t[2] = now_ms();
    if (!open_audio_device()) return 1;
    t[3] = now_ms();
    init_synth();
    t[4] = now_ms();
    parse_score();
    t[5] = now_ms();
    Options options;
    options.windowed = true;
    if (!create_window(options)) return 2;
    t[6] = now_ms();
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 1);
    decode_figures();
    t[7] = now_ms();
    build_startup_lists();
    t[8] = now_ms();
    SDL_PauseAudio(0);
    draw_frame();
    SDL_GL_SwapWindow(demo.window);
    glFinish();
    t[9] = now_ms();
    for (int i = 0; i < step_count; ++i) std::printf("%.3f\n", t[i + 1] - t[i]);
    return 0;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--child") == 0) return child(std::atof(argv[2]));
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    std::vector<double> ms[step_count];
    for (int r = 0; r < runs; ++r) {
        const std::string out = "/tmp/startup_bench_" + std::to_string(getpid());
        char spawned[32];
        std::snprintf(spawned, sizeof spawned, "%.3f", now_ms());
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        char* child_argv[] = {argv[0], const_cast<char*>("--child"), spawned, nullptr};
        pid_t pid = 0;
        if (posix_spawn(&pid, argv[0], &actions, nullptr, child_argv, environ) != 0) return 1;
        int status = 0;
        waitpid(pid, &status, 0);
        posix_spawn_file_actions_destroy(&actions);
        std::FILE* f = std::fopen(out.c_str(), "r");
        for (int i = 0; f && i < step_count; ++i) {
            double v = 0;
            if (std::fscanf(f, "%lf", &v) == 1) ms[i].push_back(v);
        }
        if (f) std::fclose(f);
        std::remove(out.c_str());
    }
    double total = 0, own = 0;
    std::printf("| Step | Median (ms) |\n|---|---|\n");
    for (int i = 0; i < step_count; ++i) {
        std::vector<double> v = ms[i];
        if (v.empty()) continue;
        std::sort(v.begin(), v.end());
        const double median = v[v.size() / 2];
        total += median;
        if (i == 3 || i == 4 || i == 6 || i == 7) own += median;
        std::printf("| %s | %.1f |\n", steps[i], median);
    }
    std::printf("| total, process start to first presented frame | %.1f |\n", total);
    std::printf("| of which the program's own work (synthesizer, score, figures, lists) | %.1f |\n", own);
    return 0;
}
