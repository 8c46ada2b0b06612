#include "core/viewport.h"

Viewport viewport_for(int32_t width, int32_t height) {
    if (height == 0) height = 1;
    // Compared against the single-precision 4/3 (1.3333334), so an exact
    // 4:3 window takes the letterbox branch and gets the full window.
    const double aspect_4_3 = static_cast<double>(4.0f / 3.0f);
    if (static_cast<double>(width) / static_cast<double>(height) > aspect_4_3) {
        // 64-bit intermediates: height * 4 must not overflow.
        int32_t vw = static_cast<int32_t>(static_cast<int64_t>(height) * 4 / 3);
        int32_t x = static_cast<int32_t>((static_cast<int64_t>(width) - vw) / 2);
        return {x, 0, vw, height};
    }
    int32_t vh = static_cast<int32_t>(static_cast<double>(width) * 3 * 0.25);  // 3/4 of the width
    int32_t y = static_cast<int32_t>((static_cast<int64_t>(height) - vh) / 2);
    return {0, y, width, vh};
}
