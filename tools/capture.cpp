// tumbo-capture: renders the show offline, with no display and no audio
// device, on a virtual clock.
//
//   tumbo-capture --wav FILE    the whole song, 44.1 kHz 16-bit stereo WAV
//   tumbo-capture --help
//
// The song comes from the real audio_callback, called in device-sized
// buffers (synth/audio_driver.h), so the file holds exactly the samples a
// device receives, from the first frame to the end of the last bar.
//
// Each mode is one entry of `modes` below: an option that takes an output
// path, and the function that produces it. Options shared by several modes
// go into CaptureRequest.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "synth/audio_driver.h"
#include "synth/synth.h"
#include "synth/synth_state.h"
#include "tools/wav_writer.h"

namespace {
// What the command line asked for.
struct CaptureRequest {
    std::string output;  // file (or folder) the mode writes
};

struct CaptureMode {
    const char* option;  // e.g. "--wav"
    const char* help;    // one line for the usage text
    int (*run)(const CaptureRequest&);
};

int capture_wav(const CaptureRequest& request) {
    init_synth();
    parse_score();
    const int64_t frames = frames_through_bar(last_song_bar);
    std::FILE* file = std::fopen(request.output.c_str(), "wb");
    if (!file) {
        std::perror(request.output.c_str());
        return 1;
    }
    const std::vector<uint8_t> header = wav_header(frames, sample_rate);
    bool ok = std::fwrite(header.data(), 1, header.size(), file) == header.size();
    // Whole buffers, as a device asks for them; the file ends at the song's
    // last frame, inside the last buffer.
    AudioDriver driver;
    std::vector<int16_t> buffer(2 * audio_buffer_frames);
    while (ok && driver.frames_rendered < frames) {
        const int64_t start = driver.frames_rendered;
        drive_audio_until(driver, start + 1, buffer.data());
        const int64_t keep = std::min<int64_t>(audio_buffer_frames, frames - start);
        ok = write_wav_samples(file, buffer.data(), keep);
    }
    ok = (std::fclose(file) == 0) && ok;
    if (!ok) {
        std::fprintf(stderr, "tumbo-capture: cannot write %s\n", request.output.c_str());
        return 1;
    }
    return 0;
}

const CaptureMode modes[] = {
    {"--wav", "the whole song as a 44.1 kHz 16-bit stereo WAV file", capture_wav},
};

void usage(std::FILE* out) {
    std::fprintf(out, "usage: tumbo-capture MODE FILE\nmodes:\n");
    for (const CaptureMode& m : modes) std::fprintf(out, "  %s FILE\t%s\n", m.option, m.help);
}
}  // namespace

int main(int argc, char** argv) {
    const CaptureMode* mode = nullptr;
    CaptureRequest request;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
            usage(stdout);
            return 0;
        }
        const CaptureMode* match = nullptr;
        for (const CaptureMode& m : modes)
            if (std::strcmp(arg, m.option) == 0) match = &m;
        if (!match) {
            std::fprintf(stderr, "tumbo-capture: unknown argument '%s'\n", arg);
            usage(stderr);
            return 2;
        }
        if (mode) {
            std::fprintf(stderr, "tumbo-capture: give one mode only\n");
            return 2;
        }
        if (i + 1 >= argc) {
            std::fprintf(stderr, "tumbo-capture: %s needs an output file\n", arg);
            return 2;
        }
        mode = match;
        request.output = argv[++i];
    }
    if (!mode) {
        usage(stderr);
        return 2;
    }
    return mode->run(request);
}
