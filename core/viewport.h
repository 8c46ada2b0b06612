// The centred 4:3 viewport that a resize sets: pillarboxed when the window
// is wider than 4:3, letterboxed otherwise. Pure function.
#pragma once
#include <cstdint>

struct Viewport {
    int32_t x, y, width, height;  // pixels, as passed to glViewport
    bool operator==(const Viewport&) const = default;
};

// `width` and `height` as reported by the resize event; a height of 0 is
// taken as 1.
Viewport viewport_for(int32_t width, int32_t height);
