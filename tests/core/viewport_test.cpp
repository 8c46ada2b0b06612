#include "core/viewport.h"

#include <gtest/gtest.h>

TEST(Viewport, WideWindowIsPillarboxed) {
    EXPECT_EQ(viewport_for(1024, 600), (Viewport{112, 0, 800, 600}));
    EXPECT_EQ(viewport_for(1920, 1080), (Viewport{240, 0, 1440, 1080}));
}

TEST(Viewport, TallWindowIsLetterboxed) {
    EXPECT_EQ(viewport_for(800, 800), (Viewport{0, 100, 800, 600}));
    EXPECT_EQ(viewport_for(1, 1000), (Viewport{0, 500, 1, 0}));
}

TEST(Viewport, ExactFourByThreeFillsTheWindow) {
    EXPECT_EQ(viewport_for(640, 480), (Viewport{0, 0, 640, 480}));
    EXPECT_EQ(viewport_for(1280, 960), (Viewport{0, 0, 1280, 960}));
}

TEST(Viewport, ZeroHeightCountsAsOne) {
    EXPECT_EQ(viewport_for(640, 0), (Viewport{319, 0, 1, 1}));
    EXPECT_EQ(viewport_for(0, 0), (Viewport{0, 0, 0, 0}));
}

TEST(Viewport, TruncatesTowardZero) {
    // 4/3 of 100 is 133.33; (1001 - 133) / 2 = 434.
    EXPECT_EQ(viewport_for(1001, 100), (Viewport{434, 0, 133, 100}));
    // 3/4 of 101 is 75.75; (200 - 75) / 2 = 62.
    EXPECT_EQ(viewport_for(101, 200), (Viewport{0, 62, 101, 75}));
}

TEST(Viewport, ExtremeSizesDoNotOverflow) {
    Viewport wide = viewport_for(INT32_MAX, 1);
    EXPECT_EQ(wide.width, 1);
    EXPECT_EQ(wide.x, (INT32_MAX - 1) / 2);
    Viewport tall = viewport_for(4, INT32_MAX);
    EXPECT_EQ(tall.height, 3);
    EXPECT_EQ(tall.y, (INT32_MAX - 3) / 2);
}
