// Base waves, the noise table's place in the rand() sequence, and the
// instrument renderer's envelope, ring and drift.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "synth_test_util.h"

namespace {
std::vector<float> buffer_of(int32_t voice) {
    const Voice& v = synth.voices[voice];
    return {v.wave_buffer, v.wave_buffer + v.wave_length};
}
}  // namespace

TEST(BaseWaves, SquareSawAndSineHaveTheirShapes) {
    load_score("");
    EXPECT_EQ(synth.fixed.square[0], -1.0f);
    EXPECT_EQ(synth.fixed.square[83], -1.0f);
    EXPECT_EQ(synth.fixed.square[84], 1.0f);
    EXPECT_EQ(synth.fixed.square[167], 1.0f);
    EXPECT_EQ(synth.fixed.saw[0], 0.0f);
    EXPECT_FLOAT_EQ(synth.fixed.saw[83], 83.0f / 84.0f);
    EXPECT_EQ(synth.fixed.saw[84], -1.0f);
    EXPECT_FLOAT_EQ(synth.fixed.saw[167], -1.0f / 84.0f);
    EXPECT_EQ(synth.fixed.sine[0], 0.0f);
    EXPECT_EQ(synth.fixed.sine[42], 1.0f);  // a quarter cycle
    EXPECT_NEAR(synth.fixed.sine[84], 0.0f, 1e-6f);
    EXPECT_EQ(synth.fixed.sine[126], -1.0f);
}

TEST(BaseWaves, NoiseTakesTheFirst44100RandValuesAndLeavesTheSequenceAfterThem) {
    std::srand(1);  // the unseeded sequence
    std::vector<int> expected(noise_length + 1);
    for (int& r : expected) r = std::rand();
    std::srand(1);
    init_synth();
    for (int j = 0; j < noise_length; ++j)
        ASSERT_EQ(synth.fixed.noise[j], static_cast<float>(expected[j] % 2000 - 1000) / 1000.0f) << j;
    // Later start-up steps continue the same sequence.
    EXPECT_EQ(std::rand(), expected[noise_length]);
    float lowest = 1, highest = -1;
    for (float x : synth.fixed.noise) lowest = std::min(lowest, x), highest = std::max(highest, x);
    EXPECT_GE(lowest, -1.0f);
    EXPECT_LE(highest, 0.999f);
}

TEST(InstrumentEnvelope, RampsDecaysPastZeroSustainsAndReleases) {
    // The envelope of the song's instrument 5 (a 1, b 30, c 20, d 20) on a
    // square wave without ring: the level climbs to 1 in one sample, falls
    // by 1 per sample to -29, holds, and returns linearly to 0.
    load_score("");
    render_instrument(20, wave_square, 1, 30, 20, 20, 0, 0);
    const std::vector<float> x = buffer_of(20);
    ASSERT_EQ(x.size(), 72u);
    EXPECT_EQ(x[0], 0.0f);    // level 0 at the first sample
    EXPECT_EQ(x[1], -1.0f);   // level 1 x square -1
    EXPECT_EQ(x[2], 0.0f);    // decay: level 0
    EXPECT_EQ(x[31], 29.0f);  // level -29 x square -1
    for (int j = 31; j <= 50; ++j) ASSERT_EQ(x[j], 29.0f) << "sustain sample " << j;
    EXPECT_FLOAT_EQ(x[51], 29.0f);                 // release starts at the sustain level
    EXPECT_NEAR(x[61], 29.0f * 10.0f / 20.0f, 1e-4f);  // halfway
    EXPECT_NEAR(x[70], 29.0f / 20.0f, 1e-4f);
    EXPECT_EQ(x[71], 0.0f);  // no segment writes the last sample
}

TEST(InstrumentEnvelope, SongInstrumentFiveIs72SamplesAndSustainsAtMinus29) {
    load_score(std::string("bpm:125\n") + song_instruments());
    const std::vector<float> x = buffer_of(5);
    ASSERT_EQ(x.size(), 72u);
    // Saw x level x ring: dividing out the saw and the ring sine leaves the
    // level, -29 through the sustain.
    const double ring_step = 0.1 * 2.0 * M_PI / 168.0;
    for (int j = 32; j <= 50; ++j) {
        const double level = x[j] / (synth.fixed.saw[j] * std::sin(j * ring_step));
        ASSERT_NEAR(level, -29.0, 0.01) << j;
    }
    EXPECT_EQ(x[71], 0.0f);
}

TEST(InstrumentEnvelope, WithoutRingTheBufferIsWaveTimesLevelFromZero) {
    load_score("");
    render_instrument(7, wave_sine, 4, 0, 100, 4, 0, 0);
    const std::vector<float> x = buffer_of(7);
    EXPECT_EQ(x[0], 0.0f);  // the level starts at 0
    for (int j = 4; j < 104; ++j) ASSERT_EQ(x[j], synth.fixed.sine[j % 168]) << j;
}

TEST(InstrumentEnvelope, EveryBufferEndsInZeroAndZeroLengthSegmentsDoNotOverrun) {
    load_score("");
    // a = 0 and d = 0 each still take one sample; the buffer has
    // b + c + 1 samples and is not written past its end.
    render_instrument(1, wave_square, 0, 2, 3, 0, 0, 0);
    EXPECT_EQ(synth.voices[1].wave_length, 6);
    render_instrument(2, wave_square, 0, 0, 0, 0, 0, 0);
    EXPECT_EQ(synth.voices[2].wave_length, 1);
    EXPECT_EQ(synth.voices[2].wave_buffer[0], 0.0f);
    render_instrument(3, wave_saw, 3, 1, 2, 5, 400, 20);
    EXPECT_EQ(synth.voices[3].wave_length, 12);
    EXPECT_EQ(synth.voices[3].wave_buffer[11], 0.0f);
}

TEST(InstrumentEnvelope, SegmentLengthsAreClampedToTheirRange) {
    load_score("");
    render_instrument(4, wave_square, -5, -1, 7, -100, 0, 0);
    EXPECT_EQ(synth.voices[4].wave_length, 8);
    // An envelope beyond the limit is cut, and still ends in silence.
    render_instrument(5, wave_square, 1, 0, 2000000000, 2000000000, 0, 0);
    EXPECT_EQ(synth.voices[5].wave_length, max_instrument_samples + 1);
    EXPECT_EQ(synth.voices[5].wave_buffer[max_instrument_samples - 1], 1.0f);  // sustain at level 1
    EXPECT_EQ(synth.voices[5].wave_buffer[max_instrument_samples], 0.0f);
    // Outside the voices, or with an unknown wave: nothing breaks.
    render_instrument(30, wave_square, 1, 1, 1, 1, 0, 0);
    render_instrument(-1, wave_square, 1, 1, 1, 1, 0, 0);
    render_instrument(6, 9, 1, 0, 200, 1, 0, 0);
    for (int j = 1; j < 168; ++j) ASSERT_EQ(synth.voices[6].wave_buffer[j], synth.fixed.square[j]) << j;
}

TEST(InstrumentRing, MultipliesBySineStartingAtZero) {
    load_score("");
    // Square at level 1 times a sine of 1 cycle per 168 samples (e = 100):
    // the product follows the sine, with the square's sign.
    render_instrument(8, wave_square, 1, 0, 400, 1, 100, 0);
    const std::vector<float> x = buffer_of(8);
    EXPECT_FLOAT_EQ(x[1], static_cast<float>(std::sin(2.0 * M_PI / 168.0) * -1.0));
    EXPECT_NEAR(x[42], -1.0f, 1e-5f);  // sine peak, square -1
    EXPECT_NEAR(x[126], -1.0f, 1e-5f); // sine trough, square +1
    EXPECT_NEAR(x[84], 0.0f, 1e-4f);
}

TEST(InstrumentDrift, APositiveDriftRaisesThePitchWithinTheSound) {
    load_score("");
    // f = 1000: the read increment grows by 1/168 per sample, so after 168
    // samples the wave is read twice as fast. Count sign changes of a square.
    render_instrument(9, wave_square, 1, 0, 3000, 1, 0, 1000);
    const std::vector<float> x = buffer_of(9);
    auto crossings = [&](int from, int to) {
        int n = 0;
        for (int j = from + 1; j < to; ++j) n += (x[j] > 0) != (x[j - 1] > 0);
        return n;
    };
    EXPECT_GT(crossings(2000, 2500), 4 * crossings(1, 500));
}

TEST(InstrumentDrift, AReadPositionDrivenBelowZeroReadsTheWaveBackwards) {
    load_score("");
    // f = -2000: the increment falls from 1 through 0 at sample 84 to -1
    // at sample 168, so p rises to about 42, is back at 0 near sample 168
    // and then goes negative. The wave repeats both ways: positions -1 to
    // -83 read the square's upper half (+1), 1 to 83 its lower half (-1).
    render_instrument(10, wave_square, 1, 0, 1000, 1, 0, -2000);
    const std::vector<float> x = buffer_of(10);
    double p = 0, k = 1;
    const double drift = -2000.0 / 1000.0 / 168.0;
    for (int j = 0; j < 1001; ++j) {
        if (j >= 1 && p > 1.5 && p < 82.5) {
            ASSERT_EQ(x[j], -1.0f) << "sample " << j << " p " << p;
        }
        if (j >= 1 && p < -1.5 && p > -82.5) {
            ASSERT_EQ(x[j], 1.0f) << "sample " << j << " p " << p;
        }
        p += k;
        k += drift;
    }
    EXPECT_LT(p, -1000.0);  // the test did reach far below zero
}

TEST(InstrumentDrift, AHugeDriftStaysInsideTheWave) {
    load_score("");
    render_instrument(11, wave_noise, 1, 0, 200000, 1, 300, 2000000000);
    render_instrument(12, wave_noise, 1, 0, 200000, 1, 300, -2000000000);
    for (int v : {11, 12})
        for (float s : buffer_of(v)) ASSERT_TRUE(std::isfinite(s) && std::fabs(s) <= 1.0f);
}
