#include "core/cmdline.h"

#include <cstdlib>
#include <cstring>

namespace {
// strtol in base 10, clamped into 32 bits so that an absurd size reaches SDL
// as an absurd size (which it refuses) rather than as a wrapped small one.
int32_t parse_size(const char* text) {
    long value = std::strtol(text, nullptr, 10);
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(value);
}
}  // namespace

Options parse_command_line(int argc, const char* const* argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const bool help = std::strcmp(argv[i], "--help") == 0;
        if (help || std::strcmp(argv[i], "--version") == 0) {
            if (options.request == DemoRequest::run) options.request = help ? DemoRequest::help : DemoRequest::version;
        } else if (std::strcmp(argv[i], "-w") == 0) {
            options.windowed = true;
            ++options.flag_count;
        } else if (std::strcmp(argv[i], "-a") == 0) {
            options.request_antialias = false;
            ++options.flag_count;
        }
    }
    if (argc > options.flag_count + 2) {
        options.window_width = parse_size(argv[argc - 2]);
        options.window_height = parse_size(argv[argc - 1]);
    }
    if (argc >= 1 && argv[0] != nullptr) {
        size_t length = std::strlen(argv[0]);
        if (length > 0 && argv[0][length - 1] == 'w') options.windowed = true;
    }
    return options;
}

const char* demo_usage() {
    return "usage: tumbo [-w] [-a] [WIDTH HEIGHT]\n"
           "       tumbo --help | --version\n"
           "Plays the show (about 140 s) with its song, then exits.\n"
           "  -w             in a window (default: fullscreen at the desktop's resolution);\n"
           "                 a program name ending in 'w', such as tumbow, does the same\n"
           "  -a             do not ask the driver for antialiasing\n"
           "  WIDTH HEIGHT   window size in pixels (default 640 480); always read from\n"
           "                 the last two arguments, so flags come first\n"
           "  --help         this text\n"
           "  --version      the version\n"
           "keys: F toggles fullscreen; Escape, a mouse click or closing the window quits\n"
           "without a sound card: SDL_AUDIODRIVER=dummy tumbo -w\n"
           "exit status: 0 after the show or a quit, 1 without an audio device,\n"
           "2 without a window or OpenGL context\n"
           "tumbo-capture renders the show to PNG, WAV or MP4 files offline.\n";
}
