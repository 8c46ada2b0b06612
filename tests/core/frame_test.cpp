// The frame loop on a virtual clock, with a real GL context.
#include <SDL_opengl.h>
#include <gtest/gtest.h>

#include <array>

#include "core/demo.h"
#include "core/ticks.h"
#include "support/gl_test_context.h"
#include "synth/synth.h"

namespace {
SDL_Event key_event(SDL_Keycode key) {
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.keysym.sym = key;
    return e;
}

SDL_Event window_event(uint32_t window_id, uint8_t kind, int w, int h) {
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = window_id;
    e.window.event = kind;
    e.window.data1 = w;
    e.window.data2 = h;
    return e;
}

std::array<GLint, 4> current_viewport() {
    std::array<GLint, 4> v{};
    glGetIntegerv(GL_VIEWPORT, v.data());
    return v;
}
}  // namespace

TEST(SceneClocks, FirstFrameStartsClockAWhileClockBCountsFromTickZero) {
    GlTestContext ctx;
    ASSERT_GL_CONTEXT(ctx);
    set_virtual_ticks(5000);
    draw_frame();
    EXPECT_FLOAT_EQ(scene_clocks.clock_a_start, 5000.0f);
    EXPECT_FLOAT_EQ(scene_clocks.clock_a, 0.0f);
    EXPECT_FLOAT_EQ(scene_clocks.clock_b, 5.0f);

    set_virtual_ticks(5250);
    draw_frame();
    EXPECT_FLOAT_EQ(scene_clocks.clock_a_start, 5000.0f);  // set once only
    EXPECT_FLOAT_EQ(scene_clocks.clock_a, 0.25f);
    // The title words (bars 0-7) set clock B's mark on the first frame.
    EXPECT_FLOAT_EQ(scene_clocks.clock_b, 0.25f);
}

TEST(SceneClocks, ResetMarksTakeEffectFromTheirTicks) {
    GlTestContext ctx;
    ASSERT_GL_CONTEXT(ctx);
    set_virtual_ticks(100000);
    scene_clocks.clock_a_start = 99000;
    scene_clocks.clock_b_start = 100000;
    draw_frame();
    EXPECT_FLOAT_EQ(scene_clocks.clock_a, 1.0f);
    EXPECT_FLOAT_EQ(scene_clocks.clock_b, 0.0f);
}

TEST(SceneClocks, TicksAreUnsignedSoLateTimesStayPositive) {
    GlTestContext ctx;
    ASSERT_GL_CONTEXT(ctx);
    set_virtual_ticks(3000000000u);  // beyond INT32_MAX milliseconds
    scene_clocks.clock_a_start = 2999999000.0f;
    draw_frame();
    EXPECT_GT(scene_clocks.clock_a, 0.0f);
    EXPECT_NEAR(scene_clocks.clock_b, 3000000.0f, 1.0f);
}

TEST(Frame, ClearsAndLoadsTheFixedProjection) {
    GlTestContext ctx;
    ASSERT_GL_CONTEXT(ctx);
    glClearColor(1, 1, 1, 1);
    glMatrixMode(GL_MODELVIEW);
    glTranslatef(1, 2, 3);
    set_virtual_ticks(1);
    draw_frame();

    GLfloat p[16], m[16], clear[4];
    glGetFloatv(GL_PROJECTION_MATRIX, p);
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    // glFrustum(-1, 1, -0.75, 0.75, 1, 10000)
    EXPECT_FLOAT_EQ(p[0], 1.0f);
    EXPECT_FLOAT_EQ(p[5], 1.0f / 0.75f);
    EXPECT_FLOAT_EQ(p[10], -10001.0f / 9999.0f);
    EXPECT_FLOAT_EQ(p[11], -1.0f);
    EXPECT_FLOAT_EQ(p[14], -20000.0f / 9999.0f);
    for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(m[i], (i % 5 == 0) ? 1.0f : 0.0f) << i;
    for (float c : clear) EXPECT_EQ(c, 0.0f);
    GLint mode;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    auto rgb = ctx.read_rgb();
    EXPECT_EQ(rgb[0] + rgb[1] + rgb[2], 0);  // cleared to black
}

TEST(FrameLoop, EndsAfterTheFirstFrameBeyondBar72) {
    GlTestContext ctx;
    ASSERT_GL_CONTEXT(ctx);
    demo.window = ctx.window();
    set_virtual_ticks(10);
    song_bar.store(72);
    EXPECT_EQ(draw_frame(), 72);
    song_bar.store(73);
    frame_loop();  // returns after one frame
    EXPECT_TRUE(demo.quit_requested);
    demo.window = nullptr;
}

TEST(Events, QuitClickAndEscapeRequestQuit) {
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_Event click{};
    click.type = SDL_MOUSEBUTTONDOWN;
    click.button.button = SDL_BUTTON_RIGHT;
    for (const SDL_Event& e : {quit, click, key_event(SDLK_ESCAPE)}) {
        demo.quit_requested = false;
        handle_event(e);
        EXPECT_TRUE(demo.quit_requested) << e.type;
    }
}

TEST(Events, OtherKeysAndMouseMotionAreIgnored) {
    SDL_Event motion{};
    motion.type = SDL_MOUSEMOTION;
    SDL_Event release{};
    release.type = SDL_MOUSEBUTTONUP;
    demo.quit_requested = false;
    for (const SDL_Event& e : {motion, release, key_event(SDLK_q), key_event(SDLK_SPACE)}) handle_event(e);
    EXPECT_FALSE(demo.quit_requested);
}

TEST(Events, FWithoutAWindowDoesNothing) {
    demo.window = nullptr;
    demo.quit_requested = false;
    handle_event(key_event(SDLK_f));
    EXPECT_FALSE(demo.quit_requested);
}

TEST(Events, ResizeOfOurWindowSetsTheCentredViewport) {
    GlTestContext ctx;
    ASSERT_GL_CONTEXT(ctx);
    demo.window_id = 7;
    handle_event(window_event(7, SDL_WINDOWEVENT_RESIZED, 1024, 600));
    EXPECT_EQ(current_viewport(), (std::array<GLint, 4>{112, 0, 800, 600}));
    handle_event(window_event(7, SDL_WINDOWEVENT_RESIZED, 800, 800));
    EXPECT_EQ(current_viewport(), (std::array<GLint, 4>{0, 100, 800, 600}));
    handle_event(window_event(7, SDL_WINDOWEVENT_RESIZED, 640, 0));
    EXPECT_EQ(current_viewport(), (std::array<GLint, 4>{319, 0, 1, 1}));
}

TEST(Events, ResizeOfAnotherWindowOrOtherWindowEventsAreIgnored) {
    GlTestContext ctx;
    ASSERT_GL_CONTEXT(ctx);
    demo.window_id = 7;
    glViewport(1, 2, 3, 4);
    handle_event(window_event(8, SDL_WINDOWEVENT_RESIZED, 1024, 600));
    handle_event(window_event(7, SDL_WINDOWEVENT_SIZE_CHANGED, 1024, 600));
    handle_event(window_event(7, SDL_WINDOWEVENT_MOVED, 1024, 600));
    EXPECT_EQ(current_viewport(), (std::array<GLint, 4>{1, 2, 3, 4}));
}
