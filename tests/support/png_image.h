// PNG files for picture tests (libpng): golden images are read from
// tests/, rendered images are written to the build tree for people to look
// at.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct RgbImage {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;  // tightly packed rows, top row first
};

// Returns false (and leaves `image` empty) when the file cannot be read.
bool read_png(const std::string& path, RgbImage& image);
bool write_png(const std::string& path, const RgbImage& image);

struct ImageDifference {
    bool same_size = false;
    int max_channel_difference = 0;       // 0..255
    double mean_channel_difference = 0;   // over all channels
    double fraction_of_pixels_differing = 0;  // pixels with any channel off by more than 16
};
ImageDifference compare_images(const RgbImage& a, const RgbImage& b);

// Compares `actual` with the golden image tests/`golden` (for example
// "show/golden/brick_wall.png"): it matches when the sizes agree, the mean
// channel difference is below `max_mean` and fewer than `max_share` of the
// pixels differ (software rasterisers differ in the last bits). Returns ""
// on a match; otherwise writes `actual` to the test output folder under the
// golden's file name, for people to look at, and returns one line naming
// both files and the difference.
std::string compare_with_golden(const RgbImage& actual, const std::string& golden, double max_mean, double max_share);
