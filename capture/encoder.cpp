#include "capture/encoder.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include "capture/interrupt.h"
#include "synth/synth_state.h"

namespace {
// The pipes' ends in ffmpeg, named in its arguments as pipe:3 and pipe:4.
constexpr int ffmpeg_video_fd = 3;
constexpr int ffmpeg_audio_fd = 4;
// Bytes a pipe may hold, asked of the kernel (1 MiB is the most an
// unprivileged process may ask by default): fewer wake-ups per frame.
constexpr int pipe_bytes = 1 << 20;

void close_fd(int& fd) {
    if (fd >= 0) close(fd);
    fd = -1;
}

// How long a write waits for room in the pipe before it looks for a stop
// signal again: the frames are written on a thread that stop signals do
// not interrupt (capture/frame_loop.cpp).
constexpr int stop_poll_ms = 100;

// Writes all of `bytes` to `fd`, a non-blocking pipe; false on an error or
// a stop signal.
bool write_all(int fd, const uint8_t* bytes, size_t size) {
    while (size > 0) {
        if (stop_signal() != 0) return false;
        const ssize_t n = write(fd, bytes, size);
        if (n > 0) {
            bytes += n;
            size -= static_cast<size_t>(n);
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            pollfd room{fd, POLLOUT, 0};
            if (poll(&room, 1, stop_poll_ms) < 0 && errno != EINTR) return false;
        } else {
            return false;  // EPIPE: the reader has ended
        }
    }
    return true;
}

// A file descriptor to move to another number in a child.
struct FdMove {
    int from, to;
};
// Most fds a child gets moved: stdin, and two pipes for ffmpeg.
constexpr int max_fd_moves = 4;

// Forks and runs `path` with `argv` in the child, with the `moves` done, in
// its own process group, killed when `parent` (this process) ends. The
// child makes only async-signal-safe calls until exec: this process runs
// the GL driver's threads. `count` is at most max_fd_moves. Returns the
// child's pid, or -1 (errno set).
pid_t start_child(const char* path, char* const* argv, const FdMove* moves, int count, pid_t parent) {
    const pid_t pid = fork();
    if (pid != 0) return pid;
    setpgid(0, 0);
    // SIGKILL when the capture ends, however it ends; if it ended before
    // the request took hold, the child now belongs to another parent.
    if (prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || getppid() != parent) _exit(127);
    struct sigaction default_action {};
    default_action.sa_handler = SIG_DFL;
    sigaction(SIGPIPE, &default_action, nullptr);  // ignored here, and an ignored signal stays so across exec
    // Each fd first out of the way of every target, then to its target
    // (dup2 clears close-on-exec there); the rest of the capture's fds,
    // opened close-on-exec, stay behind.
    int moved[max_fd_moves];
    for (int i = 0; i < count; ++i)
        if ((moved[i] = fcntl(moves[i].from, F_DUPFD_CLOEXEC, 10)) < 0) _exit(127);
    for (int i = 0; i < count; ++i)
        if (dup2(moved[i], moves[i].to) < 0) _exit(127);
    execv(path, argv);
    static const char message[] = "tumbo-capture: cannot run a child program\n";
    [[maybe_unused]] const ssize_t ignored = write(STDERR_FILENO, message, sizeof message - 1);
    _exit(127);
}

// Pointers to the strings of `arguments`, ending with a null pointer, for
// execv. Made before the fork: the child may not allocate.
std::vector<char*> exec_argv(std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    for (std::string& a : arguments) argv.push_back(a.data());
    argv.push_back(nullptr);
    return argv;
}

// Waits for `pid`; false when a stop signal interrupts the wait.
bool wait_for(pid_t pid, int& status) {
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return true;  // not our child any more: nothing to wait for
        if (stop_signal() != 0) return false;
    }
    return true;
}

void end_process(pid_t& pid) {
    if (pid <= 0) return;
    kill(pid, SIGKILL);
    while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
    pid = -1;
}
}  // namespace

std::string find_program(const char* name) {
    const char* path = std::getenv("PATH");
    // With no PATH, the folders the C library's exec functions would search.
    const std::string folders = path ? path : "/bin:/usr/bin";
    size_t start = 0;
    while (start <= folders.size()) {
        size_t end = folders.find(':', start);
        if (end == std::string::npos) end = folders.size();
        const std::string folder = end > start ? folders.substr(start, end - start) : ".";  // empty: the current folder
        const std::string candidate = folder + "/" + name;
        struct stat st {};
        if (stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = end + 1;
    }
    return "";
}

std::vector<std::string> encoder_arguments(const VideoEncoderConfig& c) {
    const std::string size = std::to_string(c.width) + "x" + std::to_string(c.height);
    const int32_t gop = c.fps / 2;  // frames: half a second
    return {
        "-nostdin", "-hide_banner", "-nostats", "-loglevel", "error", "-y",
        // The frames: raw BT.709 limited-range YUV 4:2:0 (capture/
        // picture.h), at the capture's frame rate. Converted here rather
        // than by ffmpeg's scaler: that took a fifth of ffmpeg's CPU time,
        // and the pipe carries half the bytes of RGB.
        "-f", "rawvideo", "-pixel_format", "yuv420p", "-video_size", size, "-framerate", std::to_string(c.fps),
        "-i", "pipe:" + std::to_string(ffmpeg_video_fd),
        // The sound: what the audio callback writes, 16-bit stereo.
        "-f", "s16le", "-ar", std::to_string(sample_rate), "-ac", "2", "-i", "pipe:" + std::to_string(ffmpeg_audio_fd),
        "-map", "0:v:0", "-map", "1:a:0",
        // To 48 kHz with the SoX resampler (its default, high quality: 20
        // bits, 91 % of the band kept flat). The first aac_priming_frames
        // go, so that the encoder's priming takes their place: the sound
        // after it starts at its own time with no edit list.
        "-af", "aresample=" + std::to_string(video_sample_rate) + ":resampler=soxr,atrim=start_sample=" +
                   std::to_string(aac_priming_frames),
        // Tagged as what the frames are: BT.709, limited range (as players
        // assume for video), each chroma sample the mean of its 2x2 pixels.
        "-colorspace", "bt709", "-color_primaries", "bt709", "-color_trc", "bt709", "-color_range", "tv",
        "-chroma_sample_location", "center",
        // CRF 18: visually lossless for this flat-shaded picture. The
        // veryfast preset keeps a 720p30 capture faster than the show on two
        // cores while the software rasteriser shares them; on this show its
        // file is about 2.5 % larger than the medium preset's, for about
        // 40 % of the encoder's CPU time.
        "-c:v", "libx264", "-preset", "veryfast", "-crf", "18", "-pix_fmt", "yuv420p", "-profile:v", "high",
        // Closed GOPs of half a second, every one the same length (no key
        // frame at scene cuts), with 2 consecutive B-frames.
        "-g", std::to_string(gop), "-keyint_min", std::to_string(gop), "-sc_threshold", "0", "-flags", "+cgop",
        "-bf", "2",
        // AAC-LC at the rate video sites ask for stereo.
        "-c:a", "aac", "-profile:a", "aac_low", "-b:a", "384k", "-ar", std::to_string(video_sample_rate), "-ac", "2",
        // The index at the front, so a player can start before the file has
        // downloaded; no edit list, so that both streams start at 0: the
        // B-frames' reordering delay goes into negative composition offsets.
        "-use_editlist", "0", "-movflags", "+faststart+negative_cts_offsets", "-f", "mp4", "file:" + c.output,
    };
}

bool start_encoder(VideoEncoder& encoder, const VideoEncoderConfig& config, std::string& error) {
    encoder = VideoEncoder{};
    std::vector<std::string> ffmpeg_arguments = encoder_arguments(config);
    ffmpeg_arguments.insert(ffmpeg_arguments.begin(), config.program);
    std::vector<std::string> sound_arguments = {
        "tumbo-capture", "--raw-sound", std::to_string(config.sound.first) + ":" + std::to_string(config.sound.end)};
    if (!config.score_path.empty()) sound_arguments.insert(sound_arguments.end(), {"--score", config.score_path});
    const std::vector<char*> ffmpeg_argv = exec_argv(ffmpeg_arguments), sound_argv = exec_argv(sound_arguments);
    const pid_t self = getpid();
    // Writes to a pipe whose reader has gone fail with EPIPE instead of
    // ending the process, which then cleans up.
    std::signal(SIGPIPE, SIG_IGN);

    int null = -1, audio[2] = {-1, -1}, video[2] = {-1, -1};
    const auto fail = [&](const std::string& what) {
        error = what + ": " + std::strerror(errno);
        for (int* fd : {&null, &audio[0], &audio[1], &video[0], &video[1]}) close_fd(*fd);
        abandon_encoder(encoder);
        return false;
    };
    null = open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (null < 0) return fail("cannot open /dev/null");
    if (pipe2(audio, O_CLOEXEC) != 0 || pipe2(video, O_CLOEXEC) != 0) return fail("cannot make a pipe for ffmpeg");
    // A smaller pipe only costs wake-ups.
    fcntl(audio[1], F_SETPIPE_SZ, pipe_bytes);
    fcntl(video[1], F_SETPIPE_SZ, pipe_bytes);
    // Our end of the frames' pipe only (ffmpeg's end is another open file):
    // writes take what fits, and write_all waits in poll, where it can see
    // a stop signal.
    if (fcntl(video[1], F_SETFL, O_NONBLOCK) != 0) return fail("cannot set up the pipe for ffmpeg");

    // The sound process writes on its stdout; it reads nothing.
    const FdMove sound_fds[] = {{null, STDIN_FILENO}, {audio[1], STDOUT_FILENO}};
    encoder.sound = start_child("/proc/self/exe", sound_argv.data(), sound_fds, 2, self);
    if (encoder.sound < 0) return fail("cannot start the sound process");
    close_fd(audio[1]);
    const FdMove ffmpeg_fds[] = {{null, STDIN_FILENO}, {video[0], ffmpeg_video_fd}, {audio[0], ffmpeg_audio_fd}};
    encoder.ffmpeg = start_child(ffmpeg_argv[0], ffmpeg_argv.data(), ffmpeg_fds, 3, self);
    if (encoder.ffmpeg < 0) return fail("cannot start ffmpeg");
    close_fd(null);
    close_fd(audio[0]);
    close_fd(video[0]);
    encoder.video_fd = video[1];
    return true;
}

bool write_encoder_frame(VideoEncoder& encoder, const uint8_t* frame, size_t bytes) {
    return write_all(encoder.video_fd, frame, bytes);
}

bool finish_encoder(VideoEncoder& encoder, std::string& error) {
    close_fd(encoder.video_fd);  // the end of the frames
    int sound_status = 0, ffmpeg_status = 0;
    if (!wait_for(encoder.sound, sound_status) || !wait_for(encoder.ffmpeg, ffmpeg_status) || stop_signal() != 0) {
        abandon_encoder(encoder);
        error = "stopped while ffmpeg was finishing the file";
        return false;
    }
    encoder.sound = encoder.ffmpeg = -1;
    const auto failed = [](int status) { return !WIFEXITED(status) || WEXITSTATUS(status) != 0; };
    if (WIFSIGNALED(ffmpeg_status))
        error = "ffmpeg was ended by signal " + std::to_string(WTERMSIG(ffmpeg_status));
    else if (failed(ffmpeg_status))
        error = "ffmpeg failed (exit status " + std::to_string(WEXITSTATUS(ffmpeg_status)) +
                "); its messages are above";
    else if (failed(sound_status))
        error = "the sound process could not hand all the sound to ffmpeg";
    else
        return true;
    return false;
}

void abandon_encoder(VideoEncoder& encoder) {
    close_fd(encoder.video_fd);
    end_process(encoder.ffmpeg);
    end_process(encoder.sound);
}
