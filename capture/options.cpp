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
    {"--raw-sound", CaptureMode::raw_sound},
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

// "FIRST:END", sample frames, 0 <= FIRST < END.
bool parse_sample_range(const char* text, int64_t& first, int64_t& end) {
    char* colon = nullptr;
    errno = 0;
    const long long a = std::strtoll(text, &colon, 10);
    if (colon == text || *colon != ':' || errno == ERANGE) return false;
    char* rest = nullptr;
    const long long b = std::strtoll(colon + 1, &rest, 10);
    if (rest == colon + 1 || *rest != '\0' || errno == ERANGE || a < 0 || b <= a) return false;
    first = a;
    end = b;
    return true;
}

// "WxH", both decimal.
bool parse_size(const char* text, int32_t& width, int32_t& height) {
    const char* x = std::strchr(text, 'x');
    if (!x) return false;
    const std::string w(text, x);
    return parse_int(w.c_str(), width) && parse_int(x + 1, height);
}
// The options that make no sense for the request's mode, and what --video
// needs of the picture; sets a video's default size and rate.
bool check_mode_options(CaptureRequest& request, std::string& error) {
    const bool pictures = request.mode == CaptureMode::frames || request.mode == CaptureMode::video;
    if (request.mode == CaptureMode::raw_sound && (request.range_given || request.fps_given || request.size_given ||
                                                   request.aa_given)) {
        error = "--raw-sound takes its range in samples; only --score applies";
        return false;
    }
    if (!pictures && (request.fps_given || request.size_given || request.aa_given)) {
        error = std::string(request.mode == CaptureMode::wav ? "--wav" : "--check-score") +
                " makes no pictures; --fps, --size and --aa do not apply";
        return false;
    }
    if (request.mode == CaptureMode::check_score && (request.range_given || !request.score_path.empty())) {
        error = "--check-score only reads its file; --from, --to and --score do not apply";
        return false;
    }
    if (request.mode != CaptureMode::video) return true;
    if (!request.size_given) {
        request.width = default_video_width;
        request.height = default_video_height;
    }
    if (!request.fps_given) request.fps = default_video_fps;
    bool fps_ok = false;
    for (const int32_t fps : video_fps_choices) fps_ok = fps_ok || request.fps == fps;
    if (!fps_ok) {
        error = "--video takes --fps 30 or 60, not " + std::to_string(request.fps);
        return false;
    }
    // H.264 in yuv420p stores colour for 2x2 blocks of pixels.
    if (request.width % 2 != 0 || request.height % 2 != 0) {
        error = "--video needs an even width and height (the encoder stores colour per 2x2 pixels), not " +
                std::to_string(request.width) + "x" + std::to_string(request.height);
        return false;
    }
    return true;
}
}  // namespace

int32_t supersample_for(int32_t samples) {
    for (int32_t k = 1; k <= max_capture_supersample; ++k)
        if (k * k == samples) return k;
    return 0;
}

bool parse_capture_args(int argc, const char* const* argv, CaptureRequest& request, std::string& error) {
    request = CaptureRequest{};
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            request.mode = CaptureMode::help;
            return true;
        }
        if (arg == "--version") {
            request.mode = CaptureMode::version;
            return true;
        }
        const ModeOption* mode = nullptr;
        for (const ModeOption& m : mode_options)
            if (arg == m.option) mode = &m;
        const bool known = mode || arg == "--score" || arg == "--fps" || arg == "--size" || arg == "--from" ||
                           arg == "--to" || arg == "--aa";
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
            if (request.mode == CaptureMode::raw_sound) {
                if (!parse_sample_range(value, request.raw_first, request.raw_end)) {
                    error = "--raw-sound takes FIRST:END, sample frames with FIRST < END, not '" +
                            std::string(value) + "'";
                    return false;
                }
            } else if (request.output.empty()) {
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
        } else if (arg == "--aa") {
            if (!parse_int(value, request.samples) || supersample_for(request.samples) == 0) {
                error = "--aa takes samples per pixel: 1 (no antialiasing)";
                for (int32_t k = 2; k <= max_capture_supersample; ++k)
                    error += (k < max_capture_supersample ? ", " : " or ") + std::to_string(k * k);
                error += std::string(", not '") + value + "'";
                return false;
            }
            request.aa_given = true;
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
    return check_mode_options(request, error);
}

const char* capture_usage() {
    return "usage: tumbo-capture MODE PATH [options]\n"
           "modes:\n"
           "  --video FILE        the show as an MP4 file made as video sites ask for\n"
           "                      uploads (H.264 High yuv420p BT.709, GOPs of half a\n"
           "                      second, AAC-LC stereo 48 kHz 384 kbit/s, no edit\n"
           "                      list), encoded by the ffmpeg program (Debian package\n"
           "                      ffmpeg); --fps 30 or 60 (default 60), an even --size\n"
           "                      (default 1440x1080: 4:3 HD, the picture filling it)\n"
           "                      e.g. tumbo-capture --video show.mp4\n"
           "                           tumbo-capture --video small.mp4 --fps 30 --size 1280x720\n"
           "  --wav FILE          the song as a 44.1 kHz 16-bit stereo WAV file\n"
           "                      e.g. tumbo-capture --wav song.wav\n"
           "                           tumbo-capture --wav bars.wav --from 60 --to 70\n"
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
           "  --size WxH          picture size in pixels (default 640x480, for --video\n"
           "                      1440x1080); a size that is not 4:3 shows the 4:3\n"
           "                      picture centred, as the live window does\n"
           "  --aa N              samples per pixel of the antialiasing: 4 (the default),\n"
           "                      9 or 16 draw at 2, 3 or 4 times the width and height\n"
           "                      and average; --aa 1 draws without antialiasing\n"
           "  --from S, --to S    capture only from S up to (not including) S seconds\n"
           "                      after the start of the song; the show before S still\n"
           "                      runs, so the frames are those of a whole capture.\n"
           "                      A video's sound runs from its first frame's time to\n"
           "                      its end; --wav with the same range gives the same\n"
           "                      samples when S falls on a frame (a multiple of 1/fps)\n"
           "  --help              this text\n"
           "  --raw-sound A:B     (what --video runs for its sound) sample frames [A, B)\n"
           "                      of the song as raw 16-bit stereo on stdout\n"
           "  --version           the version\n"
           "A capture shows its progress on stderr. Ctrl-C stops it. Every file is\n"
           "written under a temporary name and renamed when complete: a stopped or\n"
           "failed --wav or --video leaves no file under the name asked for, and\n"
           "--frames leaves only whole frames.\n";
}
