// Frame loop and event handling. Main thread.
#include <SDL.h>
#include <SDL_opengl.h>

#include <chrono>
#include <thread>

#include "core/demo.h"
#include "core/frame_pacer.h"
#include "core/projection.h"
#include "core/show_bars.h"
#include "core/timeline.h"
#include "core/viewport.h"

int32_t draw_frame() {
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    load_show_projection();
    update_scene_clocks();
    return run_timeline();
}

void toggle_fullscreen() {
    if (!demo.window) return;
    // The mask also catches plain SDL_WINDOW_FULLSCREEN.
    uint32_t current = SDL_GetWindowFlags(demo.window) & SDL_WINDOW_FULLSCREEN_DESKTOP;
    SDL_SetWindowFullscreen(demo.window, current != 0 ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
    SDL_ShowCursor(current != 0 ? SDL_ENABLE : SDL_DISABLE);
}

void handle_event(const SDL_Event& event) {
    switch (event.type) {
        case SDL_QUIT:
        case SDL_MOUSEBUTTONDOWN:
            demo.quit_requested = true;
            break;
        case SDL_KEYDOWN:
            // Modifiers are not looked at; auto-repeat toggles again.
            if (event.key.keysym.sym == SDLK_ESCAPE) demo.quit_requested = true;
            else if (event.key.keysym.sym == SDLK_f) toggle_fullscreen();
            break;
        case SDL_WINDOWEVENT:
            if (event.window.windowID == demo.window_id && event.window.event == SDL_WINDOWEVENT_RESIZED) {
                Viewport v = viewport_for(event.window.data1, event.window.data2);
                glViewport(v.x, v.y, v.width, v.height);
            }
            break;
        default:
            break;
    }
}

void frame_loop() {
    FramePacer pacer;
    SDL_DisplayMode mode{};
    if (demo.window && SDL_GetWindowDisplayMode(demo.window, &mode) == 0) set_refresh_rate(pacer, mode.refresh_rate);
    using steady = std::chrono::steady_clock;
    const steady::time_point origin = steady::now();
    for (;;) {
        // The show ends on the first frame that sees a bar after the last.
        demo.quit_requested = draw_frame() > last_song_bar;
        SDL_GL_SwapWindow(demo.window);
        // Drain the whole queue, even after a quit event.
        SDL_Event event;
        while (SDL_PollEvent(&event)) handle_event(event);
        if (demo.quit_requested) return;
        const double now = std::chrono::duration<double>(steady::now() - origin).count();
        const double sleep = pace_frame(pacer, now);
        if (sleep > 0) std::this_thread::sleep_for(std::chrono::duration<double>(sleep));
    }
}
