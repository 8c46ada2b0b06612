#include "capture/wav_writer.h"

namespace {
constexpr int32_t channels = 2;
constexpr int32_t bytes_per_sample = 2;
constexpr int32_t header_bytes = 44;

void put_u32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void put_u16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
void put_tag(std::vector<uint8_t>& out, const char* tag) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(tag[i]));
}
}  // namespace

std::vector<uint8_t> wav_header(int64_t frames, int32_t rate) {
    const int64_t max_data = int64_t{UINT32_MAX} - (header_bytes - 8);
    int64_t data = frames * channels * bytes_per_sample;
    if (data < 0) data = 0;
    if (data > max_data) data = max_data;
    std::vector<uint8_t> h;
    h.reserve(header_bytes);
    put_tag(h, "RIFF");
    put_u32(h, static_cast<uint32_t>(data + header_bytes - 8));  // bytes after this field
    put_tag(h, "WAVE");
    put_tag(h, "fmt ");
    put_u32(h, 16);  // size of the PCM format chunk
    put_u16(h, 1);   // PCM
    put_u16(h, channels);
    put_u32(h, static_cast<uint32_t>(rate));
    put_u32(h, static_cast<uint32_t>(rate * channels * bytes_per_sample));  // bytes per second
    put_u16(h, channels * bytes_per_sample);                               // bytes per frame
    put_u16(h, 8 * bytes_per_sample);                                      // bits per sample
    put_tag(h, "data");
    put_u32(h, static_cast<uint32_t>(data));
    return h;
}

bool write_wav_samples(std::FILE* file, const int16_t* samples, int64_t frames) {
    std::vector<uint8_t> bytes(static_cast<size_t>(frames) * channels * bytes_per_sample);
    for (size_t i = 0; i < bytes.size() / 2; ++i) {
        const uint16_t v = static_cast<uint16_t>(samples[i]);
        bytes[2 * i] = static_cast<uint8_t>(v);
        bytes[2 * i + 1] = static_cast<uint8_t>(v >> 8);
    }
    return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
}
