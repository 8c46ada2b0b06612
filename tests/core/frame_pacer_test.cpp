#include <gtest/gtest.h>

#include "core/frame_pacer.h"

namespace {
// Runs `frames` frames that each keep the loop busy for `busy_s` (drawing
// and swapping), sleeping as the pacer says; returns the end of the last.
double run(FramePacer& pacer, int frames, double busy_s, double start_s = 0) {
    double now = start_s;
    for (int i = 0; i < frames; ++i) {
        now += busy_s;
        now += pace_frame(pacer, now);
    }
    return now;
}
}  // namespace

TEST(FramePacer, SleepsToTheRefreshRateOnlyWhenSwapsDoNotWait) {
    FramePacer vsync;
    set_refresh_rate(vsync, 0);  // unknown: 60 Hz
    EXPECT_DOUBLE_EQ(vsync.period_s, 1.0 / 60);
    // Swaps that wait for the display: never a sleep.
    EXPECT_NEAR(run(vsync, 120, 1.0 / 60), 2.0, 1e-9);
    EXPECT_FALSE(vsync.pacing);

    // 1 ms frames on a 75 Hz display: after the pacer has noticed, one
    // frame per period, however long it runs.
    FramePacer fast;
    set_refresh_rate(fast, 75);
    const double noticed = run(fast, 40, 0.001);
    EXPECT_TRUE(fast.pacing);
    EXPECT_NEAR(run(fast, 750, 0.001, noticed) - noticed, 10.0, 1.0 / 75);

    // A frame that runs long does not make the next ones rush to catch up.
    const double before = run(fast, 1, 0.5, noticed);
    const double after = run(fast, 3, 0.001, before);
    EXPECT_NEAR(after - before, 3.0 / 75, 1.0 / 75);
}
