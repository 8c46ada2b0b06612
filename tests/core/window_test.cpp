// The window's framebuffer: multisampled unless -a is given. Needs an X
// display (xvfb-run): Mesa's software GLX offers 4-sample visuals there.
#include <SDL.h>
#include <SDL_opengl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "core/demo.h"

namespace {
// GL_SAMPLES of a hidden window made for the command line `args`.
GLint samples_for(std::vector<const char*> args) {
    args.insert(args.begin(), "tumbo");
    if (SDL_Init(SDL_INIT_VIDEO) < 0) return -1;
    const Options options = parse_command_line(static_cast<int>(args.size()), args.data());
    if (!create_window(options, SDL_WINDOW_HIDDEN)) return -1;
    GLint samples = -1;
    glGetIntegerv(GL_SAMPLES, &samples);
    shutdown_window();
    return samples;
}
}  // namespace

TEST(Window, IsMultisampledWithFourSamplesByDefault) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display (xvfb-run)";
    EXPECT_EQ(samples_for({"-w"}), live_antialias_samples);
}

TEST(Window, MinusAAsksForNoMultisampling) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display (xvfb-run)";
    EXPECT_EQ(samples_for({"-w", "-a"}), 0);
}
