// The pictures the capture hands on, made from the pixels it reads back:
// the supersampled drawing averaged down to RGB (--frames writes it as
// PNG), and RGB turned into the planar YUV that the video encoder takes
// (--video), so that the encoder neither converts colours nor reads twice
// the bytes. Pure functions on caller-owned buffers; main thread.
#pragma once
#include <cstdint>

// Turns a picture of (width * factor) x (height * factor) RGBA pixels,
// bottom row first (as glReadPixels returns them), into width x height RGB
// pixels, top row first, each the mean of its factor x factor pixels,
// rounded to nearest (halves up). `factor` is 1 or more.
void average_blocks(const uint8_t* rgba, int32_t width, int32_t height, int32_t factor, uint8_t* rgb);

// Bytes of a width x height picture in yuv420 (both even).
constexpr int64_t yuv420_bytes(int32_t width, int32_t height) {
    return static_cast<int64_t>(width) * height * 3 / 2;
}

// Turns width x height RGB pixels, top row first (both even), into BT.709
// limited-range YUV 4:2:0, planar, as ffmpeg's "yuv420p": the Y plane
// (width x height bytes, 16 = black to 235 = white), then the Cb and the Cr
// plane (width / 2 x height / 2 each, 128 = no colour), each chroma sample
// made from the mean colour of its 2x2 pixels (sited at their centre).
// Rounded to nearest; `yuv` holds yuv420_bytes(width, height).
void rgb_to_yuv420(const uint8_t* rgb, int32_t width, int32_t height, uint8_t* yuv);
