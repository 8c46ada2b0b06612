// The capture's progress report, driven with made-up times into a file.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "capture/progress.h"

namespace {
std::string contents(std::FILE* file) {
    std::fflush(file);
    std::string text(static_cast<size_t>(std::ftell(file)), '\0');
    std::rewind(file);
    EXPECT_EQ(std::fread(text.data(), 1, text.size(), file), text.size());
    return text;
}
}  // namespace

TEST(CaptureProgress, ALogGetsALineEveryFewSecondsThenTheTotals) {
    std::FILE* log = std::tmpfile();
    Progress p;
    start_progress(p, log, 100, 1000.0);
    EXPECT_FALSE(p.terminal);
    update_progress(p, 10, 1001.0);  // too soon for a line
    update_progress(p, 60, 1006.0);  // 10 frames a second: 4 s left
    update_progress(p, 70, 1007.0);  // too soon again
    finish_progress(p, 100, 1010.0, "; wrote show.mp4");
    EXPECT_EQ(contents(log),
              "tumbo-capture: 60/100 frames, 10.0 fps, 0:04 left\n"
              "tumbo-capture: 100/100 frames in 10.0 s (10.0 fps); wrote show.mp4\n");
    std::fclose(log);
}

TEST(CaptureProgress, ATerminalGetsOneBarRedrawnInPlaceThenTheTotals) {
    std::FILE* out = std::tmpfile();
    Progress p;
    p.unit = "s of sound";
    p.rate_unit = "x real time";
    start_progress(p, out, 140, 0.0);
    p.terminal = true;  // as if stderr were a terminal
    update_progress(p, 70, 0.5);
    update_progress(p, 71, 0.55);  // within a redraw interval: nothing
    update_progress(p, 140, 75.0);
    finish_progress(p, 140, 75.0, "");
    EXPECT_EQ(contents(out),
              "\r[############............] 70/140 s of sound  140.0 x real time  0:01 left\033[K"
              "\r[########################] 140/140 s of sound  1.9 x real time  0:00 left\033[K\n"
              "tumbo-capture: 140/140 s of sound in 1:15 (1.9 x real time)\n");
    std::fclose(out);
}
