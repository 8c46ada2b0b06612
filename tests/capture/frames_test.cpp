// tumbo-capture's command line and its --frames mode, run as a program.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "capture/capture.h"
#include "capture/picture.h"
#include "capture_run.h"
#include "support/png_image.h"

using namespace capture_test;

namespace {
bool parses(std::vector<const char*> args, CaptureRequest& request, std::string& error) {
    args.insert(args.begin(), "tumbo-capture");
    return parse_capture_args(static_cast<int>(args.size()), args.data(), request, error);
}
}  // namespace

TEST(CaptureOptions, ReadsModeSizeRateAndRange) {
    CaptureRequest r;
    std::string error;
    ASSERT_TRUE(parses({"--frames", "out", "--fps", "25", "--size", "1280x720", "--from", "2.5", "--to", "4"}, r, error))
        << error;
    EXPECT_EQ(r.mode, CaptureMode::frames);
    EXPECT_EQ(r.output, "out");
    EXPECT_EQ(r.fps, 25);
    EXPECT_EQ(r.width, 1280);
    EXPECT_EQ(r.height, 720);
    EXPECT_DOUBLE_EQ(r.from_seconds, 2.5);
    EXPECT_DOUBLE_EQ(r.to_seconds, 4.0);
    EXPECT_EQ(r.samples, 4);  // antialiased unless --aa 1
    ASSERT_TRUE(parses({"--wav", "x.wav"}, r, error));
    EXPECT_EQ(r.fps, 60);
    EXPECT_EQ(r.width, 640);
    EXPECT_EQ(r.height, 480);
    EXPECT_LT(r.to_seconds, 0);  // to the end
    ASSERT_TRUE(parses({"--frames", "out", "--aa", "1"}, r, error)) << error;
    EXPECT_EQ(r.samples, 1);
}

// A video is 4:3 HD at 60 fps unless told otherwise; each option overrides
// its own default only.
TEST(CaptureOptions, VideoDefaultsTo1440x1080At60Fps) {
    CaptureRequest r;
    std::string error;
    ASSERT_TRUE(parses({"--video", "v.mp4"}, r, error)) << error;
    EXPECT_EQ(r.width, 1440);
    EXPECT_EQ(r.height, 1080);
    EXPECT_EQ(r.fps, 60);
    ASSERT_TRUE(parses({"--video", "v.mp4", "--fps", "30"}, r, error)) << error;
    EXPECT_EQ(r.width, 1440);
    EXPECT_EQ(r.fps, 30);
    ASSERT_TRUE(parses({"--video", "v.mp4", "--size", "1280x720"}, r, error)) << error;
    EXPECT_EQ(r.width, 1280);
    EXPECT_EQ(r.height, 720);
    EXPECT_EQ(r.fps, 60);
}

TEST(CaptureOptions, RejectsWhatCannotBeHonouredWithOneLine) {
    const std::vector<std::vector<const char*>> bad = {
        {},
        {"--frames"},
        {"--frames", "d", "--wav", "x"},
        {"--frames", "d", "--bogus", "1"},
        {"--frames", "d", "--fps", "0"},
        {"--frames", "d", "--fps", "12.5"},
        {"--frames", "d", "--size", "640"},
        {"--frames", "d", "--size", "0x480"},
        {"--frames", "d", "--size", "640x480x3"},
        {"--frames", "d", "--size", "99999x480"},
        {"--frames", "d", "--from", "-1"},
        {"--frames", "d", "--from", "nan"},
        {"--frames", "d", "--from", "5", "--to", "5"},
        {"--wav", "x.wav", "--size", "64x48"},
        {"--wav", "x.wav", "--aa", "4"},
        {"--frames", "d", "--aa", "0"},
        {"--frames", "d", "--aa", "8"},  // not a square: no whole supersampling
        {"--frames", "d", "--aa", "four"},
        {"--raw-sound", "5:5"},
        {"--raw-sound", "0:10", "--from", "1"},
        {"--check-score", "s.txt", "--from", "1"},
        // What the video encoder cannot take, refused before any work.
        {"--video", "v.mp4", "--fps", "25"},
        {"--video", "v.mp4", "--size", "641x480"},
        {"--video", "v.mp4", "--size", "640x481"},
    };
    for (const auto& args : bad) {
        CaptureRequest r;
        std::string error;
        EXPECT_FALSE(parses(args, r, error)) << (args.empty() ? "(none)" : args.back());
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    }
}

TEST(CaptureOptions, VideoNamesWhatItNeedsAndHelpShowsEveryModeWithAnExample) {
    CaptureRequest r;
    std::string error;
    EXPECT_FALSE(parses({"--video", "v.mp4", "--fps", "25"}, r, error));
    EXPECT_NE(error.find("30 or 60"), std::string::npos) << error;
    EXPECT_FALSE(parses({"--video", "v.mp4", "--size", "1279x720"}, r, error));
    EXPECT_NE(error.find("even"), std::string::npos) << error;
    ASSERT_TRUE(parses({"--video", "v.mp4", "--fps", "30", "--size", "1280x720", "--from", "3"}, r, error)) << error;
    EXPECT_EQ(r.mode, CaptureMode::video);
    const std::string usage = capture_usage();
    for (const char* mode : {"--video", "--wav", "--frames", "--check-score", "--score"})
        EXPECT_NE(usage.find(std::string("e.g. tumbo-capture ") + mode), std::string::npos) << mode;
}

// The frames of a partial capture are those of a capture from the start,
// byte for byte, and two runs write identical files.
TEST(FramesCapture, FromGivesTheFramesOfACaptureFromTheStart) {
    const fs::path whole = fresh_path("frames_whole"), part = fresh_path("frames_part");
    // Bars 2-4 at 20 fps: the title words, on state built since frame 0.
    ASSERT_EQ(capture("--frames " + whole.string() + " --fps 20 --size 96x72 --to 9").status, 0);
    ASSERT_EQ(capture("--frames " + part.string() + " --fps 20 --size 96x72 --from 7.5 --to 9").status, 0);
    int compared = 0;
    for (int n = 0; n < 180; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "frame_%06d.png", n);
        ASSERT_TRUE(fs::exists(whole / name)) << name;
        EXPECT_EQ(fs::exists(part / name), n >= 150) << name;
        if (n < 150) continue;
        EXPECT_EQ(read_file(whole / name), read_file(part / name)) << name;
        ++compared;
    }
    EXPECT_EQ(compared, 30);
    EXPECT_FALSE(fs::exists(whole / "frame_000180.png"));
    fs::remove_all(whole);
    fs::remove_all(part);
}

// Each pixel is the rounded mean of its block, and the rows come out top
// first from the bottom-up drawing: a 2x1 picture drawn at 2 and at 3
// times its size, each drawn pixel's channels distinct.
TEST(FramesCapture, SupersampledBlocksAverageToNearestAndFlip) {
    for (int32_t k : {2, 3}) {
        const int32_t dw = 2 * k, dh = k;
        std::vector<uint8_t> rgba(static_cast<size_t>(dw * dh) * 4);
        std::vector<uint32_t> sum(6, 0);  // per output pixel and channel
        for (int32_t y = 0; y < dh; ++y)
            for (int32_t x = 0; x < dw; ++x)
                for (int32_t c = 0; c < 4; ++c) {
                    const auto v = static_cast<uint8_t>(7 * x + 31 * y + 60 * c + (c == 3 ? 99 : 0));
                    rgba[static_cast<size_t>((y * dw + x) * 4 + c)] = v;
                    if (c < 3) sum[static_cast<size_t>(x / k * 3 + c)] += v;
                }
        std::vector<uint8_t> rgb(6, 0);
        average_blocks(rgba.data(), 2, 1, k, rgb.data());
        for (size_t i = 0; i < 6; ++i)
            EXPECT_EQ(rgb[i], (sum[i] + static_cast<uint32_t>(k * k) / 2) / static_cast<uint32_t>(k * k))
                << "factor " << k << " byte " << i;
    }
    // Two rows of one pixel each at factor 1: the top row is the last drawn.
    const uint8_t two_rows[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    uint8_t out[6] = {};
    average_blocks(two_rows, 1, 2, 1, out);
    EXPECT_EQ(std::vector<uint8_t>(out, out + 6), (std::vector<uint8_t>{5, 6, 7, 1, 2, 3}));
    // Halves round up: 1 + 2 + 2 + 2 = 7 over 4 is 1.75, 2; 1+1+1+2 = 5 is 1.25, 1;
    // 2+2+1+1 = 6 is exactly 1.5, 2.
    const uint8_t block[16] = {1, 1, 2, 0, 2, 1, 2, 0, 2, 1, 1, 0, 2, 2, 1, 0};
    average_blocks(block, 1, 1, 2, out);
    EXPECT_EQ(std::vector<uint8_t>(out, out + 3), (std::vector<uint8_t>{2, 1, 2}));
}

// Frame 50 at 10 fps (a title word over its chequered band) drawn with the
// default 4 samples per pixel is far closer than --aa 1 to the same frame
// drawn at 4 times the width and height and box-filtered down.
TEST(FramesCapture, AntialiasingBringsAFrameCloseToAFourTimesLargerDrawing) {
    const fs::path dir = fresh_path("frames_aa");
    fs::create_directories(dir);
    const std::string frame = "/frame_000050.png", range = " --fps 10 --from 5 --to 5.1";
    ASSERT_EQ(capture("--frames " + (dir / "aa1").string() + range + " --size 160x120 --aa 1").status, 0);
    ASSERT_EQ(capture("--frames " + (dir / "aa4").string() + range + " --size 160x120").status, 0);
    ASSERT_EQ(capture("--frames " + (dir / "big").string() + range + " --size 640x480 --aa 1").status, 0);
    RgbImage off, on, big;
    ASSERT_TRUE(read_png((dir / "aa1").string() + frame, off));
    ASSERT_TRUE(read_png((dir / "aa4").string() + frame, on));
    ASSERT_TRUE(read_png((dir / "big").string() + frame, big));
    RgbImage reference{160, 120, std::vector<uint8_t>(160 * 120 * 3)};
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 160; ++x)
            for (int c = 0; c < 3; ++c) {
                int sum = 0;
                for (int dy = 0; dy < 4; ++dy)
                    for (int dx = 0; dx < 4; ++dx) sum += big.rgb[((4 * y + dy) * 640 + 4 * x + dx) * 3 + c];
                reference.rgb[(y * 160 + x) * 3 + c] = static_cast<uint8_t>((sum + 8) / 16);
            }
    const double error_off = compare_images(off, reference).mean_channel_difference;
    const double error_on = compare_images(on, reference).mean_channel_difference;
    EXPECT_GT(error_off, 1.0);  // the frame has edges to smooth
    EXPECT_LT(error_on, 0.5 * error_off);
    fs::remove_all(dir);
}

TEST(FramesCapture, RangeBeyondTheShowOrAnUnwritableFolderFails) {
    const fs::path dir = fresh_path("frames_range");
    ProgramRun r = capture("--frames " + dir.string() + " --fps 10 --from 141");
    EXPECT_EQ(r.status, capture_bad_usage);
    EXPECT_NE(r.err.find("end of the show"), std::string::npos) << r.err;
    r = capture("--frames " + dir.string() + " --fps 10 --from 139 --to 150");
    EXPECT_EQ(r.status, capture_bad_usage);
    EXPECT_NE(r.err.find("--to"), std::string::npos) << r.err;
    EXPECT_TRUE(fs::is_empty(dir));
    r = capture("--frames /proc/no_such_folder/frames --to 1");
    EXPECT_EQ(r.status, capture_failed);
    EXPECT_NE(r.err.find("/proc/no_such_folder/frames"), std::string::npos) << r.err;
    fs::remove_all(dir);
}
