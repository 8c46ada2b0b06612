#include "capture/picture.h"

#include <cstddef>

void average_blocks(const uint8_t* rgba, int32_t width, int32_t height, int32_t factor, uint8_t* rgb) {
    const size_t w = static_cast<size_t>(width), k = static_cast<size_t>(factor);
    const size_t drawn_row = w * k * 4;  // bytes in a row of the drawn picture
    const uint32_t count = static_cast<uint32_t>(k * k), half = count / 2;
    for (size_t y = 0; y < static_cast<size_t>(height); ++y) {
        // Output row y (top first) averages drawn rows from the top's side.
        const uint8_t* block_rows = rgba + (static_cast<size_t>(height) - 1 - y) * k * drawn_row;
        uint8_t* out = rgb + y * w * 3;
        if (factor == 1) {
            // --aa 1 and the benchmark's read-back: a copy without alpha.
            for (size_t x = 0; x < w; ++x, block_rows += 4, out += 3) {
                out[0] = block_rows[0];
                out[1] = block_rows[1];
                out[2] = block_rows[2];
            }
            continue;
        }
        if (factor == 2) {
            // The default capture's 2x2, written out: the general loop below
            // takes about three times as long, and this runs on every frame.
            const uint8_t* a = block_rows;
            const uint8_t* b = block_rows + drawn_row;
            for (size_t x = 0; x < w; ++x, a += 8, b += 8, out += 3) {
                out[0] = static_cast<uint8_t>((a[0] + a[4] + b[0] + b[4] + 2) >> 2);
                out[1] = static_cast<uint8_t>((a[1] + a[5] + b[1] + b[5] + 2) >> 2);
                out[2] = static_cast<uint8_t>((a[2] + a[6] + b[2] + b[6] + 2) >> 2);
            }
            continue;
        }
        for (size_t x = 0; x < w; ++x, out += 3) {
            uint32_t sum[3] = {half, half, half};
            for (size_t dy = 0; dy < k; ++dy) {
                const uint8_t* p = block_rows + dy * drawn_row + x * k * 4;
                for (size_t dx = 0; dx < k; ++dx, p += 4) {
                    sum[0] += p[0];
                    sum[1] += p[1];
                    sum[2] += p[2];
                }
            }
            for (int c = 0; c < 3; ++c) out[c] = static_cast<uint8_t>(sum[c] / count);
        }
    }
}

namespace {
// BT.709 (Kr = 0.2126, Kb = 0.0722) at limited range, in 16-bit fixed
// point: Y = 16 + 219/255 (Kr R + Kg G + Kb B); Cb = 128 + 224/255 (B - Y')
// / (2 (1 - Kb)); Cr = 128 + 224/255 (R - Y') / (2 (1 - Kr)), with Y' the
// unscaled luma. Each coefficient is the exact value times 65536, rounded;
// the Cb row's 0.5 term is rounded up instead (28784.44 to 28785) so that
// each chroma row sums to 0 and every grey gets exactly 128.
constexpr int32_t y_r = 11966, y_g = 40254, y_b = 4064;
constexpr int32_t cb_r = -6596, cb_g = -22189, cb_b = 28785;
constexpr int32_t cr_r = 28784, cr_g = -26145, cr_b = -2639;
static_assert(cb_r + cb_g + cb_b == 0 && cr_r + cr_g + cr_b == 0);
constexpr int32_t fraction_bits = 16;
}  // namespace

void rgb_to_yuv420(const uint8_t* rgb, int32_t width, int32_t height, uint8_t* yuv) {
    const size_t w = static_cast<size_t>(width), h = static_cast<size_t>(height);
    uint8_t* y_plane = yuv;
    uint8_t* cb_plane = yuv + w * h;
    uint8_t* cr_plane = cb_plane + w / 2 * (h / 2);
    // Y: 16 and a half (for rounding) in fixed point.
    constexpr int32_t y_offset = (16 << fraction_bits) + (1 << (fraction_bits - 1));
    // Chroma from the sums of 4 pixels: 2 more fraction bits; 128 and a
    // half. The sum stays non-negative (each chroma value lies in 16..240),
    // so the shift rounds as intended.
    constexpr int32_t c_bits = fraction_bits + 2;
    constexpr int32_t c_offset = (128 << c_bits) + (1 << (c_bits - 1));
    for (size_t y = 0; y < h; y += 2) {
        const uint8_t* top = rgb + y * w * 3;
        const uint8_t* bottom = top + w * 3;
        uint8_t* y_top = y_plane + y * w;
        uint8_t* y_bottom = y_top + w;
        uint8_t* cb = cb_plane + y / 2 * (w / 2);
        uint8_t* cr = cr_plane + y / 2 * (w / 2);
        for (size_t x = 0; x < w; x += 2) {
            const uint8_t* p[4] = {top + x * 3, top + x * 3 + 3, bottom + x * 3, bottom + x * 3 + 3};
            uint8_t* out[4] = {y_top + x, y_top + x + 1, y_bottom + x, y_bottom + x + 1};
            int32_t r = 0, g = 0, b = 0;  // sums of the 2x2
            for (int i = 0; i < 4; ++i) {
                *out[i] = static_cast<uint8_t>((y_r * p[i][0] + y_g * p[i][1] + y_b * p[i][2] + y_offset) >>
                                               fraction_bits);
                r += p[i][0];
                g += p[i][1];
                b += p[i][2];
            }
            cb[x / 2] = static_cast<uint8_t>((cb_r * r + cb_g * g + cb_b * b + c_offset) >> c_bits);
            cr[x / 2] = static_cast<uint8_t>((cr_r * r + cr_g * g + cr_b * b + c_offset) >> c_bits);
        }
    }
}
