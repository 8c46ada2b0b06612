// The capture tool's WAV header and sample bytes.
#include "tools/wav_writer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {
uint32_t u32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t(b[at + 3]) << 24);
}
uint16_t u16(const std::vector<uint8_t>& b, size_t at) { return static_cast<uint16_t>(b[at] | (b[at + 1] << 8)); }
std::string tag(const std::vector<uint8_t>& b, size_t at) { return std::string(b.begin() + at, b.begin() + at + 4); }
}  // namespace

TEST(WavWriter, HeaderDescribesTheWholeSongAsSixteenBitStereo) {
    const std::vector<uint8_t> h = wav_header(6181056, 44100);
    ASSERT_EQ(h.size(), 44u);
    EXPECT_EQ(tag(h, 0), "RIFF");
    EXPECT_EQ(u32(h, 4), 36u + 6181056u * 4);
    EXPECT_EQ(tag(h, 8), "WAVE");
    EXPECT_EQ(tag(h, 12), "fmt ");
    EXPECT_EQ(u32(h, 16), 16u);
    EXPECT_EQ(u16(h, 20), 1);  // PCM
    EXPECT_EQ(u16(h, 22), 2);  // channels
    EXPECT_EQ(u32(h, 24), 44100u);
    EXPECT_EQ(u32(h, 28), 44100u * 4);  // bytes per second
    EXPECT_EQ(u16(h, 32), 4);           // bytes per frame
    EXPECT_EQ(u16(h, 34), 16);          // bits per sample
    EXPECT_EQ(tag(h, 36), "data");
    EXPECT_EQ(u32(h, 40), 6181056u * 4);
}

TEST(WavWriter, SizesThatDoNotFitTheFormatAreCapped) {
    const std::vector<uint8_t> h = wav_header(int64_t{1} << 32, 44100);
    EXPECT_EQ(u32(h, 4), 0xFFFFFFFFu);
    EXPECT_EQ(u32(h, 40), 0xFFFFFFFFu - 36);
    EXPECT_EQ(u32(wav_header(-5, 44100), 40), 0u);
}

TEST(WavWriter, SamplesAreWrittenLittleEndianLeftThenRight) {
    std::FILE* f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    const int16_t samples[4] = {1, -2, 32766, -32766};
    ASSERT_TRUE(write_wav_samples(f, samples, 2));
    std::rewind(f);
    uint8_t b[9] = {};
    EXPECT_EQ(std::fread(b, 1, 9, f), 8u);
    const uint8_t expected[8] = {0x01, 0x00, 0xFE, 0xFF, 0xFE, 0x7F, 0x02, 0x80};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(b[i], expected[i]) << i;
    std::fclose(f);
}
