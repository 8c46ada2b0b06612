// tumbo-capture: renders the show offline, with no display and no audio
// device, on a virtual clock. The second program we ship.
//
//   tumbo-capture --wav FILE       the song as a 44.1 kHz 16-bit stereo WAV
//   tumbo-capture --frames DIR     the show as PNG frames
//   tumbo-capture --video FILE     the show as an H.264/AAC MP4 (through ffmpeg)
//   tumbo-capture --check-score FILE   only report what the parser cannot use
//   tumbo-capture --help | --version
//   common options: --fps N, --size WxH, --aa N, --from S, --to S, --score FILE
//
// Threads: the main thread calls audio_callback itself (the audio thread's
// role) and draws every frame (the main thread's role), so the show's state
// crosses no thread; a worker turns each read-back frame into a PNG or into
// the encoder's input while the next is drawn (capture/frame_loop.h).
// --video runs the ffmpeg program as a child process fed through two pipes,
// the sound coming from a second run of this program (--raw-sound, below).
//
// The command line is parsed by a pure function into a CaptureRequest; each
// mode is one function that takes the request and returns the exit status.
#pragma once
#include <cstdint>
#include <string>

// Exit statuses of the capture tool.
constexpr int capture_ok = 0;
constexpr int capture_failed = 1;     // the work itself failed (I/O, GL, ...)
constexpr int capture_bad_usage = 2;  // the command line cannot be honoured

enum class CaptureMode { none, help, version, wav, frames, video, check_score, raw_sound };

// Samples per pixel a picture is drawn with unless --aa says otherwise:
// supersampled, drawn at twice its width and height with each pixel the
// mean of the 2x2 drawn for it (1 draws without antialiasing). On the
// software renderer this is faster than 4-sample multisampling, whose
// resolve alone took about 15 ms a frame at 1440x1080, two to three times the
// averaging here; the quality is a little lower (BENCHMARKS.md).
constexpr int32_t default_capture_samples = 4;
// A --video's size without --size, and its rate without --fps: 4:3 HD, the
// show's picture filling the frame, at the higher of the two upload rates.
constexpr int32_t default_video_width = 1440, default_video_height = 1080;  // pixels
constexpr int32_t default_video_fps = 60;

// What the command line asked for. Times are seconds from the start of the
// song; a negative `to_seconds` means "to the end of the show".
struct CaptureRequest {
    CaptureMode mode = CaptureMode::none;
    std::string output;      // file or folder the mode writes (or the score to check)
    std::string score_path;  // --score: a score file instead of the embedded one; empty = embedded
    int32_t fps = 60;        // frames per second of the virtual clock
    int32_t width = 640;     // pixels
    int32_t height = 480;    // pixels
    int32_t samples = default_capture_samples;  // --aa: samples per pixel, the square of 1 to max_supersample
    double from_seconds = 0;
    double to_seconds = -1;
    // --raw-sound FIRST:END: sample frames [first, end) from the song's start
    int64_t raw_first = 0, raw_end = 0;
    bool fps_given = false, size_given = false, range_given = false, aa_given = false;
};

// Largest picture the capture accepts on either side, in pixels; the GL
// driver may refuse less (checked when the context exists).
constexpr int32_t max_capture_side = 8192;
// Largest supersampling --aa asks for: 4 times the width and height, 16
// samples a pixel.
constexpr int32_t max_capture_supersample = 4;
// The supersampling of `samples` per pixel (--aa): its square root, when it
// is the square of 1 to max_capture_supersample; 0 otherwise.
int32_t supersample_for(int32_t samples);
// Frame rates the virtual clock accepts for frames.
constexpr int32_t min_capture_fps = 1;
constexpr int32_t max_capture_fps = 1000;
// Frame rates a video may have: the common upload rates, at which every
// frame's time falls on a whole sample (44100 / 30 = 1470 samples).
constexpr int32_t video_fps_choices[] = {30, 60};
// Exit status of a capture stopped by SIGINT or SIGTERM: 128 + the signal,
// as a shell reports a command the signal ended.
constexpr int capture_stopped_status(int signal) { return 128 + signal; }

// Parses argv into `request`. On an error returns false and sets `error` to
// one line (without the program name). Checks everything that needs no
// rendering: a known mode with its argument, numbers in range, --from
// before --to, options that apply to the mode, and for --video a frame rate
// of 30 or 60 and an even width and height (defaults 1440x1080 and 60 fps).
// Pure.
bool parse_capture_args(int argc, const char* const* argv, CaptureRequest& request, std::string& error);

// The usage text, every mode with an example.
const char* capture_usage();

// The frames a request covers, [first, end) in frame indices at its fps:
// from --from up to (not including) --to, or to the frame that ends the
// show. Invalid (with a one-line reason) when the range starts after the
// show, ends after it, or holds no frame. Needs the score parsed (the
// show's length follows its tempo).
struct FrameRange {
    bool valid = false;
    std::string error;
    int64_t first = 0, end = 0;
};
FrameRange capture_frame_range(const CaptureRequest& request);

// What capture_frame_range and capture_sample_range share: the units of
// `rate` per second that --from and --to cover, out of `total` (end =
// total without --to), each time rounded as first_frame_at does. `whole`
// names the whole in the messages ("the song (140.160 s)"), `none` is the
// message when no unit lies between.
FrameRange request_range(const CaptureRequest& request, int32_t rate, int64_t total, const std::string& whole,
                         const char* none);

// The sound of a --wav capture, [first, end) in sample frames (44.1 kHz)
// of what the audio callback plays from the start of the song: from the
// first sample at or after --from up to the first at or after --to, or to
// the end of the last bar. Invalid (with a one-line reason) when --from is
// at or after that end or --to beyond it. A video's sound is the same
// samples for the times of its first frame and of its end frame
// (video_sound_range in capture/video.cpp), so at frame times the two agree
// sample for sample. Needs the score parsed.
FrameRange capture_sample_range(const CaptureRequest& request);

// --- modes; each returns an exit status and prints its own errors ---
int capture_wav(const CaptureRequest& request);
int capture_frames(const CaptureRequest& request);
int capture_video(const CaptureRequest& request);
// Parses the score file `output` and prints every problem; capture_failed
// when there was any or the file cannot be read (capture/score.cpp).
int capture_check_score(const CaptureRequest& request);
// --raw-sound FIRST:END (what --video runs to get its sound, not meant for
// users): sample frames [FIRST, END) of the song, which may run past the
// last bar, as raw 16-bit little-endian stereo on stdout, rendered as --wav
// renders them (capture/wav.cpp). Ends with SIGKILL when the process that
// started it ends.
int capture_raw_sound(const CaptureRequest& request);
