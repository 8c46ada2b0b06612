#include "support/png_image.h"

#include <png.h>

#include <cstdio>
#include <cstdlib>

bool read_png(const std::string& path, RgbImage& image) {
    image = {};
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str())) return false;
    png.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, nullptr, pixels.data(), 0, nullptr)) {
        png_image_free(&png);
        return false;
    }
    image.width = static_cast<int>(png.width);
    image.height = static_cast<int>(png.height);
    image.rgb = std::move(pixels);
    return true;
}

bool write_png(const std::string& path, const RgbImage& image) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.width);
    png.height = static_cast<png_uint_32>(image.height);
    png.format = PNG_FORMAT_RGB;
    return png_image_write_to_file(&png, path.c_str(), 0, image.rgb.data(), 0, nullptr) != 0;
}

ImageDifference compare_images(const RgbImage& a, const RgbImage& b) {
    ImageDifference d;
    d.same_size = a.width == b.width && a.height == b.height && a.rgb.size() == b.rgb.size();
    if (!d.same_size || a.rgb.empty()) return d;
    long long total = 0;
    size_t differing = 0;
    for (size_t p = 0; p < a.rgb.size(); p += 3) {
        int worst = 0;
        for (size_t c = 0; c < 3; ++c) {
            int diff = std::abs(static_cast<int>(a.rgb[p + c]) - static_cast<int>(b.rgb[p + c]));
            total += diff;
            if (diff > worst) worst = diff;
        }
        if (worst > d.max_channel_difference) d.max_channel_difference = worst;
        if (worst > 16) ++differing;  // 16 of 255: beyond rasteriser noise
    }
    d.mean_channel_difference = static_cast<double>(total) / static_cast<double>(a.rgb.size());
    d.fraction_of_pixels_differing = static_cast<double>(differing) / static_cast<double>(a.rgb.size() / 3);
    return d;
}

std::string compare_with_golden(const RgbImage& actual, const std::string& golden, double max_mean, double max_share) {
    RgbImage expected;
    const std::string path = std::string(TUMBO_TEST_SOURCE_DIR) + "/" + golden;
    const bool have_golden = read_png(path, expected);
    const ImageDifference d = compare_images(actual, expected);
    if (have_golden && d.same_size && d.mean_channel_difference < max_mean && d.fraction_of_pixels_differing < max_share)
        return "";
    const std::string rendered = std::string(TUMBO_TEST_OUTPUT_DIR) + "/" + golden.substr(golden.rfind('/') + 1);
    write_png(rendered, actual);
    return path + (have_golden ? " differs" : " is missing") + " (mean " + std::to_string(d.mean_channel_difference) +
           ", " + std::to_string(100 * d.fraction_of_pixels_differing) + "% of pixels); rendered " + rendered;
}
