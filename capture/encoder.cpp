#include "capture/encoder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include "capture/interrupt.h"
#include "capture/sound.h"
#include "synth/audio_driver.h"
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

// Writes all of `bytes`; false on an error or, when `stoppable`, a stop
// signal.
bool write_all(int fd, const uint8_t* bytes, size_t size, bool stoppable) {
    while (size > 0) {
        const ssize_t n = write(fd, bytes, size);
        if (n > 0) {
            bytes += n;
            size -= static_cast<size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            if (stoppable && stop_signal() != 0) return false;
        } else {
            return false;  // EPIPE: the reader has ended
        }
    }
    return true;
}

// The sound process: renders the song from its start to sound.end on this
// process's copy of the synthesizer and writes the part from sound.first on
// to `fd` as 16-bit little-endian stereo. Never returns.
[[noreturn]] void run_sound_process(const FrameRange& sound, int fd) {
    AudioDriver audio;
    int64_t position = 0;
    bool ok = true;
    const AudioTap write_part = [&](int64_t, const int16_t* samples, int64_t frames) {
        uint8_t bytes[4 * audio_buffer_frames];
        for (int64_t i = 0; i < 2 * frames; ++i) {
            const auto bits = static_cast<uint16_t>(samples[i]);
            bytes[2 * i] = static_cast<uint8_t>(bits & 0xff);  // little-endian, as ffmpeg's s16le reads
            bytes[2 * i + 1] = static_cast<uint8_t>(bits >> 8);
        }
        ok = ok && write_all(fd, bytes, static_cast<size_t>(4 * frames), false);
    };
    const AudioTap write = [&](int64_t at, const int16_t* samples, int64_t frames) {
        clip_to_range(sound.first, sound.end, at, samples, frames, write_part);
    };
    while (ok && position < sound.end && stop_signal() == 0)
        feed_audio_until(audio, position, std::min<int64_t>(sound.end, position + audio_buffer_frames), write);
    // _exit: the capture's atexit handlers (SDL, the GL driver) are the
    // parent's to run.
    _exit(ok && stop_signal() == 0 ? 0 : 1);
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
    return {
        "-nostdin", "-hide_banner", "-nostats", "-loglevel", "error", "-y",
        // The frames: raw RGB, top row first, at the capture's frame rate.
        "-f", "rawvideo", "-pixel_format", "rgb24", "-video_size", size, "-framerate", std::to_string(c.fps),
        "-i", "pipe:" + std::to_string(ffmpeg_video_fd),
        // The sound: what the audio callback writes, 16-bit stereo.
        "-f", "s16le", "-ar", std::to_string(sample_rate), "-ac", "2", "-i", "pipe:" + std::to_string(ffmpeg_audio_fd),
        "-map", "0:v:0", "-map", "1:a:0",
        // RGB to BT.709 YUV, limited range, as players assume for video, and
        // tagged so.
        "-vf", "scale=out_color_matrix=bt709:out_range=tv,format=yuv420p",
        "-colorspace", "bt709", "-color_primaries", "bt709", "-color_trc", "bt709", "-color_range", "tv",
        // CRF 18: visually lossless for this flat-shaded picture. The
        // veryfast preset keeps a 720p30 capture faster than the show on two
        // cores while the software rasteriser shares them; on this show its
        // file is about 2.5 % larger than the medium preset's, for about
        // 40 % of the encoder's CPU time.
        "-c:v", "libx264", "-preset", "veryfast", "-crf", "18", "-pix_fmt", "yuv420p",
        // 192 kbit/s AAC: transparent for this synthesizer's stereo.
        "-c:a", "aac", "-b:a", "192k", "-ar", std::to_string(sample_rate), "-ac", "2",
        // The index at the front, so a player can start before the file has
        // downloaded.
        "-movflags", "+faststart", "-f", "mp4", "file:" + c.output,
    };
}

bool start_encoder(VideoEncoder& encoder, const VideoEncoderConfig& config, std::string& error) {
    encoder = VideoEncoder{};
    std::vector<std::string> arguments = encoder_arguments(config);
    arguments.insert(arguments.begin(), config.program);
    std::vector<char*> argv;
    for (std::string& a : arguments) argv.push_back(a.data());
    argv.push_back(nullptr);
    // Writes to a pipe whose reader has gone fail with EPIPE instead of
    // ending the process, which then cleans up.
    std::signal(SIGPIPE, SIG_IGN);

    // The sound process first, holding only the write end of its pipe: the
    // frame pipe does not exist yet, so it cannot keep that open by mistake.
    int audio[2];
    if (pipe2(audio, O_CLOEXEC) != 0) {
        error = std::string("cannot make a pipe for ffmpeg: ") + std::strerror(errno);
        return false;
    }
    fcntl(audio[1], F_SETPIPE_SZ, pipe_bytes);  // a smaller pipe only costs wake-ups
    encoder.sound = fork();
    if (encoder.sound == 0) {
        close(audio[0]);
        run_sound_process(config.sound, audio[1]);
    }
    close(audio[1]);
    if (encoder.sound < 0) {
        error = std::string("cannot start the sound process: ") + std::strerror(errno);
        close(audio[0]);
        return false;
    }

    int video[2];
    if (pipe2(video, O_CLOEXEC) != 0) {
        error = std::string("cannot make a pipe for ffmpeg: ") + std::strerror(errno);
        close(audio[0]);
        end_process(encoder.sound);
        return false;
    }
    fcntl(video[1], F_SETPIPE_SZ, pipe_bytes);
    encoder.ffmpeg = fork();
    if (encoder.ffmpeg == 0) {
        // The child: only async-signal-safe calls until exec. The pipe ends
        // move to fds 3 and 4 without close-on-exec; everything else of the
        // capture's that was opened close-on-exec stays behind.
        setpgid(0, 0);
        std::signal(SIGPIPE, SIG_DFL);
        const int v = fcntl(video[0], F_DUPFD_CLOEXEC, 10), a = fcntl(audio[0], F_DUPFD_CLOEXEC, 10);
        const int null = open("/dev/null", O_RDONLY | O_CLOEXEC);
        if (v < 0 || a < 0 || null < 0 || dup2(v, ffmpeg_video_fd) < 0 || dup2(a, ffmpeg_audio_fd) < 0 ||
            dup2(null, STDIN_FILENO) < 0)
            _exit(127);
        execv(argv[0], argv.data());
        static const char message[] = "tumbo-capture: cannot run ffmpeg\n";
        [[maybe_unused]] const ssize_t ignored = write(STDERR_FILENO, message, sizeof message - 1);
        _exit(127);
    }
    close(video[0]);
    close(audio[0]);
    if (encoder.ffmpeg < 0) {
        error = std::string("cannot start ffmpeg: ") + std::strerror(errno);
        close(video[1]);
        end_process(encoder.sound);
        return false;
    }
    encoder.video_fd = video[1];
    return true;
}

bool write_encoder_frame(VideoEncoder& encoder, const uint8_t* rgb, size_t bytes) {
    return write_all(encoder.video_fd, rgb, bytes, true);
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
