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
        if (std::strcmp(argv[i], "-w") == 0) {
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
