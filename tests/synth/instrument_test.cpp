// Base waves, the noise table's place in the rand() sequence, and the
// instrument renderer.
#include <gtest/gtest.h>

#include <cmath>

#include "synth_test_util.h"

namespace {
const float* buffer(int32_t voice) { return synth.voices[voice].wave_buffer; }
}  // namespace

TEST(BaseWaves, HaveTheirShapesAndNoiseTakesTheFirst44100RandValues) {
    std::srand(1);  // the unseeded sequence
    std::vector<int> r(noise_length + 1);
    for (int& x : r) x = std::rand();
    load_score("");
    const FixedTables& w = synth.fixed;
    EXPECT_EQ(std::vector<float>({w.square[83], w.square[84], w.saw[0], w.saw[84], w.sine[42]}),
              std::vector<float>({-1, 1, 0, -1, 1}));
    EXPECT_FLOAT_EQ(w.saw[83], 83.0f / 84.0f);
    EXPECT_FLOAT_EQ(w.saw[167], -1.0f / 84.0f);
    EXPECT_NEAR(w.sine[84], 0.0f, 1e-6f);
    for (int j = 0; j < noise_length; ++j) ASSERT_EQ(w.noise[j], (r[j] % 2000 - 1000) / 1000.0f) << j;
    EXPECT_EQ(std::rand(), r[noise_length]);  // later start-up steps continue the sequence
}

TEST(Instruments, EnvelopeRampsDecaysPastZeroSustainsAndEndsInSilence) {
    // The song's instrument 5 (a 1, b 30, c 20, d 20) on a plain square:
    // level 0, 1, then down by 1 per sample to -29, held, released to 0.
    load_score(song_instruments());
    render_instrument(20, wave_square, 1, 30, 20, 20, 0, 0);
    const float* x = buffer(20);
    ASSERT_EQ(synth.voices[20].wave_length, 72);
    EXPECT_EQ(x[0] + x[1], -1.0f);
    for (int j = 31; j <= 51; ++j) ASSERT_EQ(x[j], 29.0f) << j;  // -29 x square -1
    EXPECT_NEAR(x[61], 14.5f, 1e-4f);
    EXPECT_EQ(x[71], 0.0f);  // no segment writes the last sample
    ASSERT_EQ(synth.voices[5].wave_length, 72);  // the song's: that envelope on a ring-modulated saw
    for (int j = 32; j <= 50; ++j)
        ASSERT_NEAR(buffer(5)[j] / (synth.fixed.saw[j] * std::sin(j * 0.2 * M_PI / 168)), -29.0, 0.01) << j;
    render_instrument(1, wave_square, 0, 2, 3, 0, 0, 0);  // zero attack and release take a sample each
    EXPECT_EQ(synth.voices[1].wave_length, 6);         // and do not overrun
    render_instrument(2, wave_saw, -5, -1, 7, -100, 0, 0);
    EXPECT_EQ(synth.voices[2].wave_length, 8);
    render_instrument(3, wave_square, 1, 0, 2000000000, 2000000000, 0, 0);  // cut to the limit
    EXPECT_EQ(synth.voices[3].wave_length, max_instrument_samples + 1);
    EXPECT_EQ(buffer(3)[max_instrument_samples], 0.0f);
}

TEST(Instruments, RingMultipliesBySineAndDriftBendsTheReadPosition) {
    load_score("");
    render_instrument(8, wave_square, 1, 0, 400, 1, 100, 0);  // one ring cycle per 168 samples
    EXPECT_FLOAT_EQ(buffer(8)[1], -std::sin(2 * M_PI / 168));
    EXPECT_NEAR(buffer(8)[42] + buffer(8)[126], -2.0f, 1e-5f);
    // f = -2000: the increment falls through 0 at sample 84 and the read
    // position goes below 0 near sample 168. The wave repeats both ways, so
    // positions 1..83 read the square's -1 half and -1..-83 its +1 half.
    render_instrument(10, wave_square, 1, 0, 1000, 1, 0, -2000);
    double p = 0, k = 1;
    for (int j = 0; j < 1000; ++j, p += k, k -= 2.0 / 168) {
        const bool clear = j > 0 && std::fabs(p) > 1.5 && std::fabs(p) < 82.5;  // not near a half's edge
        ASSERT_TRUE(!clear || buffer(10)[j] == (p > 0 ? -1.0f : 1.0f)) << j;
    }
    EXPECT_LT(p, -1000);
    render_instrument(11, wave_noise, 1, 0, 100000, 1, 300, -2000000000);  // far out of any table
    for (int j = 0; j < synth.voices[11].wave_length; ++j) ASSERT_LE(std::fabs(buffer(11)[j]), 1.0f);
}
