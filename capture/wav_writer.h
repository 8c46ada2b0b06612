// Writing 16-bit stereo PCM WAV files (44-byte RIFF header, then the
// samples). Used by the capture tool; no device or display involved.
#pragma once
#include <cstdint>
#include <cstdio>
#include <vector>

// The 44-byte header of a WAV file holding `frames` frames of interleaved
// stereo signed 16-bit samples at `rate` frames per second. Sizes that do
// not fit the format's 32-bit fields are capped.
std::vector<uint8_t> wav_header(int64_t frames, int32_t rate);

// Appends interleaved stereo samples (2 * frames values) as little-endian
// bytes. Returns false on a write error.
bool write_wav_samples(std::FILE* file, const int16_t* samples, int64_t frames);
