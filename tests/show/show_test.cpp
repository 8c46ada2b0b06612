// The whole show through the capture tool's driver: the real start-up and
// frame code on the virtual clock, with the audio callback called in
// device-sized buffers. Frames are small; what matters is which blocks ran,
// the clocks, the scenes' state, and a few pictures.
#include <SDL_opengl.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "bricks/display_lists.h"
#include "capture/show_driver.h"
#include "core/demo.h"
#include "core/projection.h"
#include "core/scenes.h"
#include "core/timeline.h"
#include "effects/effects.h"
#include "embedded/face_pictures.h"
#include "support/png_image.h"
#include "synth/synth.h"
#include "synth/synth_state.h"

namespace {
using Blocks = std::vector<SceneBlock>;

// What one frame did.
struct FrameRecord {
    int32_t bar = 0;  // song_bar the timeline last tested
    Blocks blocks;
    float clock_a = 0, clock_b = 0;
    float cloud_time = 0;
    int32_t title_lists = 0, slogan_lists = 0, greeting_lists = 0;
};

ShowDriver start(int32_t fps, int32_t width = 64, int32_t height = 48) {
    ShowDriver driver;
    std::string error;
    ShowDriverConfig config;
    config.fps = fps;
    config.width = width;
    config.height = height;
    EXPECT_TRUE(start_show_driver(driver, config, error)) << error;
    return driver;
}

// Draws frames until the show ends or `until_bar` is passed; calls `look`
// after each frame.
std::vector<FrameRecord> run_show(ShowDriver& driver, int32_t until_bar = 1000,
                                  const std::function<void(int64_t, const FrameRecord&)>& look = nullptr) {
    std::vector<FrameRecord> frames;
    while (!driver.ended && driver.last_bar_seen <= until_bar) {
        const int64_t n = driver.next_frame;
        FrameRecord r;
        r.bar = draw_next_frame(driver);
        r.blocks.assign(timeline_trace.blocks, timeline_trace.blocks + timeline_trace.count);
        r.clock_a = scene_clocks.clock_a;
        r.clock_b = scene_clocks.clock_b;
        r.cloud_time = scene_trace.credits_cloud_time;
        r.title_lists = show.title_lists;
        r.slogan_lists = show.slogan_lists;
        r.greeting_lists = show.greeting_lists;
        if (look) look(n, r);
        frames.push_back(r);
    }
    return frames;
}

// The blocks whose ranges hold `bar`, in test order; past the last bar,
// the wall.
Blocks blocks_for_bar(int32_t bar) {
    if (bar > last_song_bar) return {SceneBlock::brick_wall};
    Blocks blocks;
    for (const SceneBars& s : scene_bars)
        if (s.bars.contains(bar)) blocks.push_back(s.block);
    return blocks;
}

std::string names(const Blocks& blocks) {
    std::string s;
    for (SceneBlock b : blocks) s += std::string(s.empty() ? "" : ", ") + scene_block_name(b);
    return s;
}
}  // namespace

TEST(Show, EveryBarRunsItsBlocksAndTheShowEndsOnTheFirstFrameOfBar73) {
    ShowDriver driver = start(4);
    const std::vector<FrameRecord> frames = run_show(driver);
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(static_cast<int64_t>(frames.size()), show_end_frame(4) + 1);
    // Every bar of the show belongs to some block, and only the arc swing
    // and the greetings share bars with another.
    for (int32_t bar = 0; bar <= last_song_bar; ++bar) {
        const Blocks blocks = blocks_for_bar(bar);
        EXPECT_FALSE(blocks.empty()) << "bar " << bar;
        if (blocks.size() > 1) {
            EXPECT_TRUE(blocks[0] == SceneBlock::arc_swing || blocks[0] == SceneBlock::greetings) << "bar " << bar;
        }
    }
    for (size_t n = 0; n < frames.size(); ++n) {
        const FrameRecord& r = frames[n];
        EXPECT_EQ(names(r.blocks), names(blocks_for_bar(r.bar))) << "frame " << n << ", bar " << r.bar;
        EXPECT_EQ(r.bar > 72, n + 1 == frames.size()) << "frame " << n << " saw bar " << r.bar;
    }
    EXPECT_EQ(frames.back().bar, 73);
    // Each word list was built once: its handle never changed once set, and
    // no list name was made after the greetings' six.
    const FrameRecord& last = frames.back();
    for (const FrameRecord& r : frames) {
        if (r.title_lists != list_not_built) {
            EXPECT_EQ(r.title_lists, last.title_lists);
        }
        if (r.slogan_lists != list_not_built) {
            EXPECT_EQ(r.slogan_lists, last.slogan_lists);
        }
        if (r.greeting_lists != list_not_built) {
            EXPECT_EQ(r.greeting_lists, last.greeting_lists);
        }
    }
    EXPECT_NE(last.title_lists, list_not_built);
    EXPECT_EQ(last.slogan_lists, last.title_lists + title_list_count);
    EXPECT_EQ(last.greeting_lists, last.slogan_lists + slogan_list_count);
    EXPECT_FALSE(glIsList(static_cast<GLuint>(last.greeting_lists + greeting_list_count)));
    EXPECT_EQ(first_gl_error, 0u);
}

TEST(Show, EachSceneStartsItsClockNearZeroAndTheCreditsCloudRunsForwardThenBack) {
    constexpr int32_t fps = 4;
    constexpr float frame_time = 1.0f / fps;  // the outgoing scene reset the mark one frame ago
    ShowDriver driver = start(fps);
    const std::vector<FrameRecord> frames = run_show(driver, 72);
    struct Start {
        SceneBlock block;
        bool uses_clock_a;
    };
    const Start starts[] = {{SceneBlock::walkers, false}, {SceneBlock::born, true},
                            {SceneBlock::credits, false}, {SceneBlock::slogan, true},
                            {SceneBlock::keep_walking, false}, {SceneBlock::greetings, true},
                            {SceneBlock::brick_wall, false}};
    for (const Start& s : starts) {
        bool found = false;
        for (const FrameRecord& r : frames) {
            if (r.blocks.empty() || r.blocks.back() != s.block) continue;
            EXPECT_NEAR(s.uses_clock_a ? r.clock_a : r.clock_b, frame_time, 1e-3) << scene_block_name(s.block);
            found = true;
            break;
        }
        EXPECT_TRUE(found) << scene_block_name(s.block) << " never ran";
    }
    // Credits phases of four bars: forward from 0, back from 12, forward
    // from 0, back from 12, each frame 1.8 x 0.25 s of cloud time apart.
    const float step = 1.8f * frame_time;
    for (int phase = 0; phase < 4; ++phase) {
        std::vector<float> times;
        for (const FrameRecord& r : frames)
            if (r.bar >= 32 + 4 * phase && r.bar < 36 + 4 * phase) times.push_back(r.cloud_time);
        ASSERT_GT(times.size(), 20u);
        const bool forward = phase % 2 == 0;
        EXPECT_NEAR(times.front(), forward ? step : 12.0f - step, 1e-3) << "phase " << phase + 1;
        for (size_t i = 1; i < times.size(); ++i)
            EXPECT_NEAR(times[i] - times[i - 1], forward ? step : -step, 1e-3) << "phase " << phase + 1;
    }
}

// In a frame where song_bar moves on while a block draws (the audio thread
// can), the incoming block follows in the same frame if it comes later in
// the test order, and only from the next frame otherwise.
TEST(Show, BoundaryFrameDrawsTheIncomingBlockOnlyWhenItComesLaterInTheOrder) {
    ShowDriver driver = start(60);
    static SceneBlock advance_after;
    static int32_t advance_to;
    after_scene_block = [](SceneBlock b) {
        if (b == advance_after) song_bar.store(advance_to);
    };
    auto frame_at = [](int32_t bar, SceneBlock after, int32_t to) {
        song_bar.store(bar);
        advance_after = after;
        advance_to = to;
        draw_frame();
        return names(Blocks(timeline_trace.blocks, timeline_trace.blocks + timeline_trace.count));
    };
    using B = SceneBlock;
    EXPECT_EQ(frame_at(19, B::walkers, 20), names({B::arc_swing, B::walkers, B::born}));
    EXPECT_EQ(frame_at(47, B::credits, 48), names({B::credits}));
    EXPECT_EQ(frame_at(55, B::slogan, 56), names({B::slogan, B::keep_walking}));
    EXPECT_EQ(frame_at(70, B::greetings, 71), names({B::greetings, B::brick_wall}));
    EXPECT_EQ(frame_at(31, B::born, 32), names({B::born}));
    after_scene_block = nullptr;
}

// A word is first shown on the frame after its section's first voice-4
// note was noticed: the pulse starts at 0 on the frame that notices it.
TEST(Show, TitleWordAppearsOnTheFrameAfterTheFirstVoice4NoteOfItsSection) {
    ShowDriver driver = start(60);
    int32_t previous_count = 0;
    int64_t noticed = -1;  // frame that first saw a voice-4 note in bars 2-3
    bool checked = false;
    run_show(driver, 3, [&](int64_t n, const FrameRecord& r) {
        const int32_t count = synth.voices[4].trigger_count.load();
        if (r.bar >= 2 && r.bar <= 3) {
            if (noticed < 0 && count < previous_count) noticed = n;
            if (noticed < 0 || n == noticed) {
                EXPECT_EQ(scene_trace.title_list_shown, -1) << "frame " << n;
                EXPECT_EQ(show.title_stage, 0) << "frame " << n;
            } else if (n == noticed + 1) {
                EXPECT_EQ(scene_trace.title_list_shown, 0);
                EXPECT_EQ(show.title_stage, 1);
                checked = true;
            }
        }
        previous_count = count;
    });
    EXPECT_TRUE(checked) << "no voice-4 note in bars 2-3";
}

// The timing contract of the driver, as the README states it.
TEST(Show, BeforeEachFrameTheBufferPlayingAtItsTimeHasBeenRendered) {
    constexpr int32_t fps = 60;
    ShowDriver driver = start(fps);
    // Bar 1 begins at sample 16 x 5292 = 84672, inside the buffer that
    // starts at 20 x 4096 = 81920; frame 112 (sample 82320) is the first
    // whose time lies in that buffer, frame 111 (sample 81585) the last
    // before it.
    std::vector<FrameRecord> frames = run_show(driver, 1);
    ASSERT_GT(frames.size(), 112u);
    EXPECT_EQ(frames[111].bar, 0);
    EXPECT_EQ(frames[112].bar, 1);
    EXPECT_EQ(driver.audio.frames_rendered, buffers_before_frame(driver.next_frame - 1, fps) * 4096);
    EXPECT_EQ(buffers_before_frame(0, fps), 1);
    EXPECT_EQ(buffers_before_frame(112, fps), 21);
    // The first frame's tick is not 0, so its start mark holds: clock A
    // runs from the first frame.
    EXPECT_FLOAT_EQ(frames[0].clock_a, 0.0f);
    EXPECT_NEAR(frames[1].clock_a, 0.016f, 1e-6);  // ticks are whole milliseconds
    EXPECT_NEAR(frames[60].clock_a, 1.0f, 1e-6);
}

TEST(BrickWall, IsEmptyAtClockZeroCheckeredWhileStandingAndGoneBy3Point4Seconds) {
    auto cells_at = [](float clock_b) {
        std::vector<int8_t> cells(wall_cell_count, -1);
        fill_wall_cells(clock_b, std::span<int8_t, wall_cell_count>(cells.data(), wall_cell_count));
        return cells;
    };
    for (int8_t c : cells_at(0.0f)) EXPECT_EQ(c, 0);
    const std::vector<int8_t> standing = cells_at(1.6f);
    int shown = 0;
    for (int i = 0; i < wall_cell_count; ++i) {
        if (standing[i] == 0) continue;
        ++shown;
        EXPECT_EQ(standing[i], i % 2 == 0 ? 3 : 4) << i;  // white and blue checkerboard
    }
    EXPECT_GT(shown, 90);
    // Cells appear broadly from the bottom row up: early on, more of the
    // bottom half stands than of the top half.
    const std::vector<int8_t> rising = cells_at(1.0f);
    int top = 0, bottom = 0;
    for (int i = 0; i < wall_cell_count; ++i) (i < 45 ? top : bottom) += rising[i] != 0;
    EXPECT_GT(bottom, top);
    for (int8_t c : cells_at(3.4f)) EXPECT_EQ(c, 0);
}

// With the plate unturned and every brick landed, each picture reads as
// its table: row 0 at the top, column 0 on the left. Bricks are lit from
// the upper right, so a black brick there can shine brighter than a white
// one on the left; the same cell in two pictures is lit alike, though, so
// where one picture has white and another black, the white one is brighter.
TEST(BrickCloud, LandedPicturesReadAsTheirTablesFromTheViewersSide) {
    constexpr int32_t w = 320, h = 240;
    ShowDriver driver = start(60, w, h);
    int brightness[cloud_picture_count][16][16];
    for (int picture = 0; picture < cloud_picture_count; ++picture) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        load_show_projection();
        draw_brick_cloud(picture, 20.0f, 0.0f);
        std::vector<uint8_t> rgb;
        read_frame_rgb(driver, rgb);
        write_png(std::string(TUMBO_TEST_OUTPUT_DIR) + "/cloud_" + std::to_string(picture) + ".png",
                  RgbImage{w, h, rgb});
        for (int row = 0; row < 16; ++row)
            for (int col = 0; col < 16; ++col) {
                // Brick tops lie 26.4 units ahead; the frustum is 1 wide and
                // 0.75 high at distance 1.
                const double x = -18.75 + 2.5 * col, y = 18.75 - 2.5 * row, z = 26.4;
                const int px = static_cast<int>((x / z + 1.0) / 2.0 * w);
                const int py = static_cast<int>((1.0 - y / (0.75 * z)) / 2.0 * h);
                const uint8_t* pixel = &rgb[(static_cast<size_t>(py) * w + px) * 3];
                brightness[picture][row][col] = pixel[0] + pixel[1] + pixel[2];
            }
    }
    int compared = 0;
    for (int row = 0; row < 16; ++row)
        for (int col = 0; col < 16; ++col)
            for (int a = 0; a < cloud_picture_count; ++a)
                for (int b = 0; b < cloud_picture_count; ++b) {
                    const bool a_white = face_pictures[(a + 3 * row) * 16 + col] != 0;
                    const bool b_white = face_pictures[(b + 3 * row) * 16 + col] != 0;
                    if (!a_white || b_white) continue;
                    ++compared;
                    EXPECT_GT(brightness[a][row][col], brightness[b][row][col] + 24)
                        << "row " << row << ", column " << col << ": picture " << a << " white, " << b << " black";
                }
    EXPECT_GT(compared, 100);
}

// One frame of each scene, compared with tests/show/golden/
// (compare_with_golden).
TEST(Show, GoldenFrameOfEachScene) {
    constexpr int32_t fps = 4, w = 200, h = 150;
    struct Golden {
        int64_t frame;
        const char* name;
    };
    const Golden goldens[] = {
        {54, "title_dax"},         {80, "walkers_from"},      {194, "born_word_born"},
        {264, "credits_dovozov"},  {388, "slogan_trio"},      {456, "keep_walking_walking"},
        {526, "greetings_orvanet"}, {550, "brick_wall"},
    };
    ShowDriver driver = start(fps, w, h);
    int compared = 0;
    run_show(driver, 72, [&](int64_t n, const FrameRecord&) {
        for (const Golden& g : goldens) {
            if (g.frame != n) continue;
            RgbImage actual{w, h, {}};
            read_frame_rgb(driver, actual.rgb);
            EXPECT_EQ(compare_with_golden(actual, std::string("show/golden/") + g.name + ".png", 1.5, 0.01), "");
            ++compared;
        }
    });
    EXPECT_EQ(compared, 8);
}
