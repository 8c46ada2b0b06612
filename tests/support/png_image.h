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
