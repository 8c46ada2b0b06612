// Writing 8-bit RGB PNG files with libpng, deterministically (no time
// stamp or other varying chunk). Used by the capture tool.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Writes `rgb` (tightly packed rows, top row first) as `path`. Returns
// false with a reason in `error` when the file cannot be written.
bool write_png_rgb(const std::string& path, int32_t width, int32_t height, const std::vector<uint8_t>& rgb,
                   std::string& error);
