// The video encoder: the ffmpeg program (Debian package ffmpeg) run as a
// child process that reads YUV frames from one pipe and 16-bit stereo sound
// from another, with no temporary files, and writes an MP4 as video sites
// ask for uploads: H.264 High profile (yuv420p, BT.709), closed GOPs of
// half a second with 2 consecutive B-frames, AAC-LC stereo at 48 kHz and
// 384 kbit/s, the index at the front and no edit list.
//
// ffmpeg reads its two inputs at its own pace, and before it takes a frame
// it may want seconds of sound. The sound is therefore rendered by a second
// child, the sound process: this program run again (/proc/self/exe) with
// --raw-sound FIRST:END and the same --score, so its own synthesizer plays
// exactly what the capture's copy plays under the pictures (the
// synthesizer depends on nothing the pictures do). It writes the range's
// sound to its pipe as fast as ffmpeg reads it, while the capture writes
// the frames to theirs: neither waits on the other. A new program rather
// than a bare fork: the capture already runs the GL driver's threads, and
// a forked copy of such a process may only make async-signal-safe calls.
//
// Both children run in their own process groups, so that a Ctrl-C on the
// terminal reaches the capture only; the capture then abandons the
// encoder. Both get SIGKILL when the capture ends in any way, SIGKILL
// included (PR_SET_PDEATHSIG), so no ffmpeg outlives it.
//
// Threads: main thread only. Ownership: the caller owns the VideoEncoder
// and must end it with finish_encoder or abandon_encoder.
#pragma once
#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

#include "capture/capture.h"

struct VideoEncoderConfig {
    std::string program;    // path of the ffmpeg executable (find_program)
    std::string output;     // file ffmpeg writes (always MP4, whatever its name)
    int32_t width = 0, height = 0;  // pixels, both even
    int32_t fps = 30;       // frames per second
    FrameRange sound;       // the sound to encode, in sample frames from the start of the song
    std::string score_path; // --score of the capture, passed on to the sound process; empty = embedded
};

// Sample rate of the video's sound, Hz: what video sites ask for. ffmpeg
// resamples the synthesizer's 44.1 kHz with the SoX resampler.
constexpr int32_t video_sample_rate = 48000;
// Sample frames at video_sample_rate that ffmpeg's AAC encoder puts before
// the sound (its priming). Without an edit list a player plays them, so the
// encoder is handed the sound from this many samples after the first frame
// on, and the first 21.3 ms of a video are silent but in time.
constexpr int32_t aac_priming_frames = 1024;

struct VideoEncoder {
    pid_t ffmpeg = -1;  // the ffmpeg process, -1 when none runs
    pid_t sound = -1;   // the sound process, -1 when none runs
    int video_fd = -1;  // write end of the frame pipe (ffmpeg's fd 3)
};

// The executable `name` in one of the folders of $PATH, or "" when there is
// none (so a missing program is reported before any work).
std::string find_program(const char* name);

// The arguments ffmpeg runs with, without the program name.
std::vector<std::string> encoder_arguments(const VideoEncoderConfig& config);

// Starts the sound process and ffmpeg. On failure returns false with a
// one-line reason, having started nothing.
bool start_encoder(VideoEncoder& encoder, const VideoEncoderConfig& config, std::string& error);

// Writes one frame (yuv420_bytes(width, height) bytes, capture/picture.h).
// Returns false when ffmpeg stopped reading (it has printed why) or a stop
// signal arrived.
bool write_encoder_frame(VideoEncoder& encoder, const uint8_t* frame, size_t bytes);

// Closes the frame pipe and waits for the sound process and for ffmpeg to
// write the file. Returns false, with a one-line reason, when either failed
// or a stop signal arrived while waiting (the encoder is then abandoned).
bool finish_encoder(VideoEncoder& encoder, std::string& error);

// Closes the frame pipe, ends both processes (SIGKILL: what ffmpeg wrote is
// to be thrown away) and waits for them.
void abandon_encoder(VideoEncoder& encoder);
