// Command line of tumbo-capture. Pure functions.
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "capture/capture.h"

namespace {
struct ModeOption {
    const char* option;  // e.g. "--wav"
    CaptureMode mode;
};
const ModeOption mode_options[] = {
    {"--wav", CaptureMode::wav},
    {"--frames", CaptureMode::frames},
    {"--video", CaptureMode::video},
    {"--check-score", CaptureMode::check_score},
};

bool parse_int(const char* text, int32_t& value) {
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || errno == ERANGE || v < INT32_MIN || v > INT32_MAX) return false;
    value = static_cast<int32_t>(v);
    return true;
}

bool parse_seconds(const char* text, double& value) {
    char* end = nullptr;
    errno = 0;
    const double v = std::strtod(text, &end);
    if (end == text || *end != '\0' || errno == ERANGE || !std::isfinite(v)) return false;
    value = v;
    return true;
}

// "WxH", both decimal.
bool parse_size(const char* text, int32_t& width, int32_t& height) {
    const char* x = std::strchr(text, 'x');
    if (!x) return false;
    const std::string w(text, x);
    return parse_int(w.c_str(), width) && parse_int(x + 1, height);
}
}  // namespace

bool parse_capture_args(int argc, const char* const* argv, CaptureRequest& request, std::string& error) {
    request = CaptureRequest{};
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            request.mode = CaptureMode::help;
            return true;
        }
        const ModeOption* mode = nullptr;
        for (const ModeOption& m : mode_options)
            if (arg == m.option) mode = &m;
        const bool known = mode || arg == "--score" || arg == "--fps" || arg == "--size" || arg == "--from" ||
                           arg == "--to";
        if (!known) {
            error = "unknown argument '" + arg + "'";
            return false;
        }
        // Every other option takes one value.
        if (i + 1 >= argc) {
            error = arg + " needs a value";
            return false;
        }
        const char* value = argv[++i];
        if (mode) {
            if (request.mode != CaptureMode::none) {
                error = "give one mode only";
                return false;
            }
            request.mode = mode->mode;
            request.output = value;
            if (request.output.empty()) {
                error = arg + " needs a non-empty path";
                return false;
            }
        } else if (arg == "--score") {
            request.score_path = value;
        } else if (arg == "--fps") {
            if (!parse_int(value, request.fps) || request.fps < min_capture_fps || request.fps > max_capture_fps) {
                error = "--fps takes a whole number from " + std::to_string(min_capture_fps) + " to " +
                        std::to_string(max_capture_fps) + ", not '" + value + "'";
                return false;
            }
            request.fps_given = true;
        } else if (arg == "--size") {
            if (!parse_size(value, request.width, request.height) || request.width < 1 || request.height < 1 ||
                request.width > max_capture_side || request.height > max_capture_side) {
                error = "--size takes WIDTHxHEIGHT, each from 1 to " + std::to_string(max_capture_side) +
                        " pixels, not '" + value + "'";
                return false;
            }
            request.size_given = true;
        } else if (arg == "--from" || arg == "--to") {
            double& seconds = arg == "--from" ? request.from_seconds : request.to_seconds;
            if (!parse_seconds(value, seconds) || seconds < 0) {
                error = arg + " takes seconds from the start of the song (0 or more), not '" + value + "'";
                return false;
            }
            request.range_given = true;
        }
    }
    if (request.mode == CaptureMode::none) {
        error = "no mode given";
        return false;
    }
    if (request.to_seconds >= 0 && request.to_seconds <= request.from_seconds) {
        error = "--to must be later than --from";
        return false;
    }
    return true;
}

const char* capture_usage() {
    return "usage: tumbo-capture MODE PATH [options]\n"
           "modes:\n"
           "  --wav FILE          the song as a 44.1 kHz 16-bit stereo WAV file\n"
           "                      e.g. tumbo-capture --wav song.wav\n"
           "  --frames DIR        the show as PNG frames DIR/frame_NNNNNN.png, N counted\n"
           "                      from the start of the song at the chosen fps\n"
           "                      e.g. tumbo-capture --frames shots --fps 10 --from 60 --to 62\n"
           "  --check-score FILE  only read the score file and report, with its line, every\n"
           "                      line the synthesizer cannot use; exits 1 if there is any\n"
           "                      e.g. tumbo-capture --check-score my_song.txt\n"
           "options:\n"
           "  --score FILE        play this score file instead of the song built in; its\n"
           "                      problems are reported as with --check-score and the\n"
           "                      capture goes on\n"
           "                      e.g. tumbo-capture --score my_song.txt --wav my_song.wav\n"
           "  --fps N             frames per second (default 60)\n"
           "  --size WxH          picture size in pixels (default 640x480); a size that\n"
           "                      is not 4:3 shows the 4:3 picture centred, as the live\n"
           "                      window does\n"
           "  --from S, --to S    capture only from S up to (not including) S seconds\n"
           "                      after the start of the song; the show before S still\n"
           "                      runs, so the frames are those of a whole capture\n"
           "  --help              this text\n";
}
