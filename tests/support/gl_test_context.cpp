#include "support/gl_test_context.h"

#include <SDL_opengl.h>

#include <cstdlib>
#include <cstring>

GlTestContext::GlTestContext(int width, int height) : width_(width), height_(height) {
    if (std::getenv("DISPLAY") == nullptr && std::getenv("SDL_VIDEODRIVER") == nullptr)
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) < 0) {
        error_ = SDL_GetError();
        return;
    }
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    window_ = SDL_CreateWindow("tumbo test", 0, 0, width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!window_) {
        error_ = SDL_GetError();
        return;
    }
    context_ = SDL_GL_CreateContext(window_);
    if (!context_) {
        error_ = SDL_GetError();
        return;
    }
    glViewport(0, 0, width, height);
}

// The context and window stay until the process exits (one test case per
// process). Destroying the last GL window would unload the driver, and
// LeakSanitizer could then no longer name the module of the memory that the
// driver keeps for the process, so it could not be suppressed.
GlTestContext::~GlTestContext() = default;

std::vector<uint8_t> GlTestContext::read_rgb() const {
    std::vector<uint8_t> bottom_up(static_cast<size_t>(width_) * height_ * 3);
    glFinish();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width_, height_, GL_RGB, GL_UNSIGNED_BYTE, bottom_up.data());
    std::vector<uint8_t> top_down(bottom_up.size());
    const size_t row = static_cast<size_t>(width_) * 3;
    for (int y = 0; y < height_; ++y)
        std::memcpy(&top_down[y * row], &bottom_up[(height_ - 1 - y) * row], row);
    return top_down;
}
