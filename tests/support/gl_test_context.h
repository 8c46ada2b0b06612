// A real OpenGL context for tests (Mesa llvmpipe here): a hidden SDL window
// under X (DISPLAY set, as under xvfb-run) or the EGL offscreen driver when
// there is no display. One per test process.
#pragma once
#include <SDL.h>

#include <cstdint>
#include <vector>

class GlTestContext {
public:
    // width x height is the drawable that pictures are read back from.
    explicit GlTestContext(int width = 64, int height = 48);
    ~GlTestContext();
    GlTestContext(const GlTestContext&) = delete;
    GlTestContext& operator=(const GlTestContext&) = delete;

    bool ok() const { return context_ != nullptr; }
    const char* error() const { return error_; }
    SDL_Window* window() const { return window_; }

    // Reads the back buffer as tightly packed RGB rows, top row first.
    std::vector<uint8_t> read_rgb() const;
    int width() const { return width_; }
    int height() const { return height_; }

private:
    SDL_Window* window_ = nullptr;
    SDL_GLContext context_ = nullptr;
    int width_, height_;
    const char* error_ = "";
};

// Fails the current test (fatally) when no context could be made.
#define ASSERT_GL_CONTEXT(ctx) ASSERT_TRUE((ctx).ok()) << "no GL context: " << (ctx).error()
