// tumbo-capture --video and --wav run as programs: what ffprobe reads in a
// short video, its sound against the WAV of the same range, the picture's
// note pulses against the sound's notes, the errors, and a stopped capture.
// ffmpeg and ffprobe decode what the capture wrote.
#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <map>
#include <sstream>
#include <thread>
#include <vector>

#include "capture/capture.h"
#include "capture/picture.h"
#include "capture/show_driver.h"
#include "capture_run.h"
#include "support/png_image.h"

extern char** environ;

using namespace capture_test;

namespace {
// The short capture: 1 s to 4 s (in bars 0-2) at 30 fps, pillarboxed (the
// 4:3 picture is 144 pixels wide, from x = 24).
constexpr int32_t fps = 30, width = 192, height = 108;
constexpr double from_s = 1, to_s = 4;
constexpr int64_t frames = 90;               // (4 - 1) * 30
constexpr int64_t first_frame = 30;          // 1 s * 30 fps
constexpr int64_t first_sample = 44100;      // 1 s
constexpr int64_t sound_frames = 3 * 44100;  // the range's samples
constexpr int32_t picture_left = 24, picture_width = 144;
const std::string range_args = " --fps 30 --size 192x108 --from 1 --to 4";

// What ffprobe reads of the first `stream` ("v" or "a") of `file`.
std::map<std::string, std::string> probe(const fs::path& file, const char* stream) {
    const fs::path out = fresh_path("probe.txt");
    run(std::string("ffprobe -v error -select_streams ") + stream +
        ":0 -show_entries stream=codec_name,profile,pix_fmt,width,height,r_frame_rate,nb_frames,duration,"
        "sample_rate,channels,bit_rate,start_time,color_space,color_primaries,color_transfer,chroma_location "
        "-of default=noprint_wrappers=1 " + file.string() + " >" + out.string());
    std::map<std::string, std::string> values;
    std::istringstream lines(read_file(out));
    for (std::string line; std::getline(lines, line);)
        if (const size_t eq = line.find('='); eq != std::string::npos) values[line.substr(0, eq)] = line.substr(eq + 1);
    fs::remove(out);
    return values;
}

// What ffmpeg decodes from `file`: `format` is "s16le" (the sound),
// "rawvideo" (RGB frames) or "yuv420p" (the frames as stored).
std::string decode(const fs::path& file, const std::string& format) {
    const fs::path out = fresh_path("decoded.raw");
    const std::string options = format == "s16le"     ? "-f s16le -ac 2 -ar 44100"
                                : format == "yuv420p" ? "-f rawvideo -pix_fmt yuv420p"
                                                      : "-f rawvideo -pix_fmt rgb24";
    EXPECT_EQ(run("ffmpeg -v error -nostdin -y -i " + file.string() + " " + options + " " + out.string()).status, 0);
    std::string bytes = read_file(out);
    fs::remove(out);
    return bytes;
}

std::vector<int16_t> samples_of(const std::string& bytes, size_t offset = 0) {
    std::vector<int16_t> s((bytes.size() - offset) / 2);
    std::memcpy(s.data(), bytes.data() + offset, s.size() * 2);
    return s;
}

// Correlation of channel `c` of a and b (interleaved stereo) over `n`
// frames, b shifted by `lag` frames.
double correlation(const std::vector<int16_t>& a, const std::vector<int16_t>& b, int64_t n, int c, int lag) {
    double ab = 0, aa = 0, bb = 0;
    for (int64_t i = 8; i < n - 8; ++i) {
        const double x = a[2 * i + c], y = b[2 * (i + lag) + c];
        ab += x * y;
        aa += x * x;
        bb += y * y;
    }
    return ab / std::sqrt(aa * bb);
}

// A score of voice-4 noise notes on steps 4 and 12 of bars 0-3 at 125 bpm
// (5292 samples a step), so at 0.48, 1.44, 2.40 and 3.36 s, and nothing
// else to hear; voices 1-3 only hold, so that voice 4 plays.
constexpr int64_t samples_per_step = 5292;
const char* const pulse_score =
    "bpm:125\n"
    "i1:sini,1,1,100,1,0\ni2:sini,1,1,100,1,0\ni3:sini,1,1,100,1,0\n"
    "i4:kohina,1,10,9,2500,790,-101,50,50\n"
    "p1:0\np2:0,0,0,0,c3,0,0,0,0,0,0,0,c3,0,0,0\n"
    "t1:p1\nt2:p1\nt3:p1\nt4:p2,p2,p2,p2\n";

// Sample frames (from the start of `s`) where a note starts: the energy of
// the second difference of the mono sound over 5 ms (220 samples) rises
// from 0 to several thousand within a few samples of a note; a note counts
// where it first passes 1000.
std::vector<int64_t> noise_onsets(const std::vector<int16_t>& s) {
    constexpr int window = 220;
    constexpr double threshold = 1000;
    std::vector<int64_t> onsets;
    const int64_t n = static_cast<int64_t>(s.size() / 2);
    auto mono = [&](int64_t i) { return (s[2 * i] + s[2 * i + 1]) / 2.0; };
    double sum = 0;
    std::vector<double> h2(n, 0.0);
    bool loud = false;
    for (int64_t i = 1; i + 1 < n; ++i) {
        const double h = mono(i + 1) - 2 * mono(i) + mono(i - 1);
        h2[i] = h * h;
        sum += h2[i] - (i >= window ? h2[i - window] : 0.0);
        const bool now_loud = sum / window > threshold * threshold;
        if (now_loud && !loud) onsets.push_back(i);
        // Quiet again well below the threshold before the next note counts.
        if (sum / window < threshold * threshold / 16) loud = false;
        if (now_loud) loud = true;
    }
    return onsets;
}
}  // namespace

// Each pixel's Y, and each 2x2 block's Cb and Cr from its mean colour, are
// the BT.709 limited-range values rounded to nearest: greys without colour,
// black at 16 and white at 235, saturated colours at their extremes.
TEST(VideoCapture, FramesBecomeBt709LimitedRangeYuv) {
    // 4x2 pixels: a red block, then black, white, mid grey and blue.
    const uint8_t rgb[] = {255, 0, 0, 255, 0, 0, 0,   0,   0,   255, 255, 255,  //
                           255, 0, 0, 255, 0, 0, 128, 128, 128, 0,   0,   255};
    uint8_t yuv[12];
    rgb_to_yuv420(rgb, 4, 2, yuv);
    const double kr = 0.2126, kb = 0.0722, kg = 1 - kr - kb;
    auto luma = [&](const uint8_t* p) { return (kr * p[0] + kg * p[1] + kb * p[2]) / 255; };
    for (int i = 0; i < 8; ++i) EXPECT_NEAR(yuv[i], 16 + 219 * luma(rgb + 3 * i), 0.5 + 1e-3) << "Y " << i;
    for (int block = 0; block < 2; ++block) {
        double mean[3] = {0, 0, 0};
        for (int p : {0, 1, 4, 5})
            for (int c = 0; c < 3; ++c) mean[c] += rgb[3 * (p + 2 * block) + c] / 4.0;
        const double y = (kr * mean[0] + kg * mean[1] + kb * mean[2]) / 255;
        EXPECT_NEAR(yuv[8 + block], 128 + 224 * (mean[2] / 255 - y) / (2 * (1 - kb)), 0.5 + 1e-3) << block;
        EXPECT_NEAR(yuv[10 + block], 128 + 224 * (mean[0] / 255 - y) / (2 * (1 - kr)), 0.5 + 1e-3) << block;
    }
    EXPECT_EQ(yuv[2], 16);
    EXPECT_EQ(yuv[3], 235);
    EXPECT_EQ(yuv[10], 240);  // all red: the largest Cr
    const uint8_t grey[] = {77, 77, 77, 77, 77, 77, 77, 77, 77, 77, 77, 77};
    rgb_to_yuv420(grey, 2, 2, yuv);
    EXPECT_EQ(yuv[4], 128);
    EXPECT_EQ(yuv[5], 128);
}

TEST(VideoCapture, AShortRangeHasItsSizeRateFramesAndSoundInTheFormatUploadSitesAskFor) {
    const fs::path video = fresh_path("short.mp4");
    const ProgramRun r = capture("--video " + video.string() + range_args);
    ASSERT_EQ(r.status, 0) << r.err;
    // The progress report's last line: every frame drawn from the song's
    // start, the time taken, and the frames written.
    EXPECT_NE(r.err.find("tumbo-capture: 120/120 frames in "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("wrote 90 frames to " + video.string()), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(video.parent_path() / ("." + video.filename().string() + ".part")));

    auto v = probe(video, "v"), a = probe(video, "a");
    EXPECT_EQ(v["codec_name"], "h264");
    EXPECT_EQ(v["pix_fmt"], "yuv420p");
    EXPECT_EQ(v["width"], std::to_string(width));
    EXPECT_EQ(v["height"], std::to_string(height));
    EXPECT_EQ(v["r_frame_rate"], "30/1");
    EXPECT_EQ(v["nb_frames"], std::to_string(frames));
    EXPECT_NEAR(std::atof(v["duration"].c_str()), to_s - from_s, 1e-6) << v["duration"];
    EXPECT_EQ(a["codec_name"], "aac");
    EXPECT_EQ(a["sample_rate"], "48000");
    EXPECT_EQ(a["channels"], "2");
    EXPECT_NEAR(std::atof(a["duration"].c_str()), to_s - from_s, 1.0 / 48000) << a["duration"];
    // What video sites ask for: High profile, BT.709, AAC-LC near 384 kbit/s,
    // and both streams from time 0, with no edit list and the index before
    // the media.
    EXPECT_EQ(v["profile"], "High");
    EXPECT_EQ(v["color_space"] + v["color_primaries"] + v["color_transfer"], "bt709bt709bt709");
    EXPECT_EQ(v["chroma_location"], "center");
    EXPECT_EQ(a["profile"], "LC");
    EXPECT_NEAR(std::atof(a["bit_rate"].c_str()), 384000, 40000) << a["bit_rate"];
    EXPECT_EQ(v["start_time"], "0.000000");
    EXPECT_EQ(a["start_time"], "0.000000");
    const std::string file = read_file(video);
    EXPECT_EQ(file.find("elst"), std::string::npos);
    EXPECT_LT(file.find("moov"), file.find("mdat"));
    // Closed GOPs of fps / 2 frames: a key frame every 15 frames and no
    // other, and never more than 2 B-frames in a row.
    const fs::path types = fresh_path("types.txt");
    run("ffprobe -v error -select_streams v -show_entries frame=pict_type,key_frame -of csv=p=0 " + video.string() +
        " >" + types.string());
    std::istringstream lines(read_file(types));
    int64_t n = 0, b_run = 0, longest_b_run = 0;
    for (std::string line; std::getline(lines, line);) {
        if (line.size() < 3 || line[1] != ',') continue;  // a line of side data, not "KEY,TYPE"
        EXPECT_EQ(line[0] == '1', n % (fps / 2) == 0) << "frame " << n << ": " << line;
        ++n;
        b_run = line.find('B') != std::string::npos ? b_run + 1 : 0;
        longest_b_run = std::max(longest_b_run, b_run);
    }
    EXPECT_EQ(n, frames);
    EXPECT_EQ(longest_b_run, 2);
    fs::remove(types);

    // Pillarboxed: the columns beside the 4:3 picture stay black (but for
    // the encoder's colour bleeding at their inner edge), and the picture
    // shows something.
    const std::string rgb = decode(video, "rawvideo");
    ASSERT_EQ(rgb.size(), size_t(frames * width * height * 3));
    int max_beside = 0, max_inside = 0;
    for (int64_t i = 0; i < static_cast<int64_t>(rgb.size()); ++i) {
        const auto x = static_cast<int32_t>(i / 3 % width);
        const int v = static_cast<uint8_t>(rgb[i]);
        if (x < picture_left - 2 || x >= picture_left + picture_width + 2)
            max_beside = std::max(max_beside, v);
        else
            max_inside = std::max(max_inside, v);
    }
    EXPECT_LE(max_beside, 16);
    EXPECT_GE(max_inside, 128);

    // The stored planes are those of the same frame captured with --frames
    // and converted by ffmpeg's own scaler the way the file is tagged, as
    // closely as the encoder allows (3 levels on average at this small
    // size; the frames beside it differ by 13): each plane in its place, the
    // frames in order. Video frame 14 is frame 44 of the show, the ball over
    // the title's band.
    const fs::path frames_dir = fresh_path("video_frames");
    ASSERT_EQ(capture("--frames " + frames_dir.string() + " --fps 30 --size 192x108 --from 1.46 --to 1.47").status, 0);
    const fs::path converted = frames_dir / "frame.yuv";
    ASSERT_EQ(run("ffmpeg -v error -nostdin -y -i " + (frames_dir / "frame_000044.png").string() +
                  " -vf scale=out_color_matrix=bt709:out_range=tv -f rawvideo -pix_fmt yuv420p " + converted.string())
                  .status,
              0);
    const std::string expected = read_file(converted), stored = decode(video, "yuv420p");
    ASSERT_EQ(expected.size(), static_cast<size_t>(yuv420_bytes(width, height)));
    ASSERT_EQ(stored.size(), frames * expected.size());
    double difference = 0;
    for (size_t i = 0; i < expected.size(); ++i)
        difference += std::abs(static_cast<uint8_t>(stored[14 * expected.size() + i]) - static_cast<uint8_t>(expected[i]));
    EXPECT_LT(difference / static_cast<double>(expected.size()), 5.0);
    fs::remove_all(frames_dir);
    fs::remove(video);
}

// The sound is the WAV of the same range, as closely as AAC allows and with
// no shift; each voice-4 note in it starts a pulse in the picture (the
// opening's ball shows only during one) on the frame the timing contract
// gives for the note's sample. Both play a score file of voice-4 notes.
TEST(VideoCapture, SoundIsTheWavOfTheRangeAndEachNoteStartsItsPulse) {
    const fs::path video = fresh_path("sync.mp4"), wav = fresh_path("sync.wav"), score = fresh_path("pulses.txt");
    std::ofstream(score) << pulse_score;
    const std::string score_args = " --score " + score.string();
    ASSERT_EQ(capture("--video " + video.string() + range_args + score_args).status, 0);
    ASSERT_EQ(capture("--wav " + wav.string() + " --from 1 --to 4" + score_args).status, 0);
    const std::vector<int16_t> expected = samples_of(read_file(wav), 44);
    const std::vector<int16_t> sound = samples_of(decode(video, "s16le"));
    ASSERT_EQ(expected.size(), size_t(2 * sound_frames));
    // The decoder pads the last AAC block of 1024 frames.
    ASSERT_GE(sound.size(), expected.size());
    ASSERT_LT(sound.size(), expected.size() + 2 * 1024);
    for (int c = 0; c < 2; ++c) {
        const double aligned = correlation(expected, sound, sound_frames - 8, c, 0);
        EXPECT_GT(aligned, 0.99) << "channel " << c;
        EXPECT_GT(aligned, correlation(expected, sound, sound_frames - 8, c, 1)) << "channel " << c;
        EXPECT_GT(aligned, correlation(expected, sound, sound_frames - 8, c, -1)) << "channel " << c;
    }

    // The notes at 1.44, 2.40 and 3.36 s, each found within 5 ms of its
    // step.
    const std::vector<int64_t> onsets = noise_onsets(sound);
    ASSERT_EQ(onsets.size(), 3u);
    const std::string rgb = decode(video, "rawvideo");
    ASSERT_EQ(rgb.size(), size_t(frames * width * height * 3));
    auto bright = [&](int64_t k) {  // the 4:3 picture of video frame k shows the pulsing ball
        double sum = 0;
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = picture_left; x < picture_left + picture_width; ++x)
                sum += static_cast<uint8_t>(rgb[((k * height + y) * width + x) * 3]);
        return sum / (picture_width * height) > 20;
    };
    std::vector<int64_t> pulse_starts;
    for (int64_t k = 0; k < frames; ++k)
        if (bright(k) && (k == 0 || !bright(k - 1))) pulse_starts.push_back(k);
    ASSERT_EQ(pulse_starts.size(), onsets.size());
    for (size_t i = 0; i < onsets.size(); ++i) {
        const int64_t song_sample = first_sample + onsets[i];
        const int64_t step = (song_sample + samples_per_step / 2) / samples_per_step;
        const int64_t note = step * samples_per_step;
        EXPECT_NEAR(static_cast<double>(song_sample), static_cast<double>(note), 220) << "note " << i;
        // The first frame whose buffers include the note's sample notices
        // it; the pulse shows from the frame after.
        int64_t noticing = 0;
        while (buffers_before_frame(noticing, fps) * audio_buffer_frames <= note) ++noticing;
        EXPECT_EQ(pulse_starts[i], noticing + 1 - first_frame) << "note " << i << " at sample " << note;
    }
    fs::remove(video);
    fs::remove(wav);
    fs::remove(score);
}

// Each error names what is wrong before any work, and no file is left under
// the requested name or the temporary one.
TEST(VideoCapture, ErrorsAreClearAndLeaveNoFile) {
    const fs::path video = fresh_path("error.mp4");
    const fs::path part = video.parent_path() / ("." + video.filename().string() + ".part");
    const std::string out = " --video " + video.string() + " --size 64x48";
    struct Case {
        std::string command;
        int status;
        std::string says;
    };
    const Case cases[] = {
        {"PATH=/nonexistent " + std::string(TUMBO_CAPTURE) + out, capture_failed, "Debian package ffmpeg"},
        {TUMBO_CAPTURE + out + " --fps 25", capture_bad_usage, "--fps 30 or 60"},
        {TUMBO_CAPTURE + out + " --size 65x48", capture_bad_usage, "even width and height"},
        {TUMBO_CAPTURE + out + " --from 141", capture_bad_usage, "--from is at or after the end of the show"},
        {TUMBO_CAPTURE + out + " --from 139 --to 141", capture_bad_usage, "--to is after the end of the show"},
        {TUMBO_CAPTURE + out + " --from 1e300", capture_bad_usage, "--from is at or after the end of the show"},
        {TUMBO_CAPTURE + out + " --to 1e300", capture_bad_usage, "--to is after the end of the show"},
        {TUMBO_CAPTURE + out + " --score /nonexistent/song.txt", capture_failed,
         "cannot read the score /nonexistent/song.txt"},
        {std::string(TUMBO_CAPTURE) + " --video /proc/no_such_folder/v.mp4", capture_failed,
         "cannot write /proc/no_such_folder/v.mp4"},
        {std::string(TUMBO_CAPTURE) + " --video " + video.parent_path().string(), capture_failed, "it is a folder"},
    };
    for (const Case& c : cases) {
        const ProgramRun r = run(c.command);
        EXPECT_EQ(r.status, c.status) << c.command << "\n" << r.err;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << c.command << "\n" << r.err;
        EXPECT_FALSE(fs::exists(video)) << c.command;
        EXPECT_FALSE(fs::exists(part)) << c.command;
    }
}

// Ctrl-C in the middle of a capture: it stops at once, ends ffmpeg and the
// sound process, and leaves neither the file nor its temporary.
TEST(VideoCapture, AnInterruptedCaptureLeavesNoFile) {
    const fs::path video = fresh_path("stopped.mp4"), err = fresh_path("stopped.err");
    const fs::path part = video.parent_path() / ("." + video.filename().string() + ".part");
    // The whole show at a small size: many seconds of work.
    const std::string command =
        std::string("exec ") + TUMBO_CAPTURE + " --video " + video.string() + " --fps 30 --size 64x48 2>" +
        err.string();
    const char* argv[] = {"sh", "-c", command.c_str(), nullptr};
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ), 0);
    // Until ffmpeg has written some of the temporary file.
    for (int i = 0; i < 300 && !(fs::exists(part) && fs::file_size(part) > 0); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_TRUE(fs::exists(part));
    kill(pid, SIGINT);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), capture_stopped_status(SIGINT));
    EXPECT_FALSE(fs::exists(video));
    EXPECT_FALSE(fs::exists(part));
    const std::string printed = read_file(err);
    EXPECT_NE(printed.find("stopped by a signal; " + video.string() + " not written"), std::string::npos) << printed;
    fs::remove(err);
}

// A capture killed outright (SIGKILL, no handler runs) takes ffmpeg and the
// sound process with it.
TEST(VideoCapture, AKilledCaptureTakesFfmpegAndTheSoundProcessWithIt) {
    const fs::path video = fresh_path("killed.mp4");
    const fs::path part = video.parent_path() / ("." + video.filename().string() + ".part");
    const std::string command =
        std::string("exec ") + TUMBO_CAPTURE + " --video " + video.string() + " --fps 30 --size 64x48 2>/dev/null";
    const char* argv[] = {"sh", "-c", command.c_str(), nullptr};
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ), 0);
    for (int i = 0; i < 300 && !(fs::exists(part) && fs::file_size(part) > 0); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    // The capture's children, from the parent field of each process's stat.
    std::vector<pid_t> children;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;  // not a process
        std::istringstream stat(read_file(entry.path() / "stat"));
        pid_t child = 0, parent = 0;
        std::string command, state;
        // "PID (NAME) STATE PPID ..."; our children's names hold no spaces.
        if (stat >> child >> command >> state >> parent && parent == pid) children.push_back(child);
    }
    kill(pid, SIGKILL);
    EXPECT_EQ(children.size(), 2u) << "ffmpeg and the sound process";
    ASSERT_EQ(waitpid(pid, nullptr, 0), pid);
    // Gone, or ended and waiting for init to reap it.
    const auto ended = [](pid_t child) {
        std::istringstream stat(read_file("/proc/" + std::to_string(child) + "/stat"));
        pid_t id = 0;
        std::string name, state;
        return !(stat >> id >> name >> state) || state == "Z";
    };
    for (const pid_t child : children) {
        bool gone = false;
        for (int i = 0; i < 50 && !gone; ++i) {
            gone = ended(child);
            if (!gone) std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        EXPECT_TRUE(gone) << "process " << child << " outlived the capture";
        if (!gone) kill(child, SIGKILL);
    }
    fs::remove(part);
}

// --wav --from --to writes the samples of the whole song's WAV in that
// range; a range outside the song or an unwritable file is refused.
TEST(WavCapture, ARangeHoldsTheWholeSongsSamplesAndErrorsLeaveNoFile) {
    const fs::path whole = fresh_path("whole.wav"), part = fresh_path("part.wav");
    ASSERT_EQ(capture("--wav " + whole.string()).status, 0);
    // 60 s and 61.5 s fall on samples 2,646,000 and 2,712,150.
    const ProgramRun r = capture("--wav " + part.string() + " --from 60 --to 61.5");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("tumbo-capture: 2/2 s of sound in "), std::string::npos) << r.err;
    const std::string song = read_file(whole), range = read_file(part);
    ASSERT_EQ(range.size(), 44 + 4 * size_t(66150));
    EXPECT_EQ(range.substr(44), song.substr(44 + 4 * size_t(2646000), 4 * size_t(66150)));
    EXPECT_EQ(range.substr(40, 4), std::string("\x98\x09\x04\x00", 4));  // data size: 264,600 bytes

    const struct {
        std::string args;
        int status;
        std::string says;
    } cases[] = {
        {"--wav " + part.string() + " --from 140.2", capture_bad_usage, "--from is at or after the end of the song"},
        {"--wav " + part.string() + " --from 100 --to 141", capture_bad_usage, "--to is after the end of the song"},
        {"--wav /proc/no_such_folder/x.wav", capture_failed, "cannot write /proc/no_such_folder/x.wav"},
    };
    fs::remove(part);
    for (const auto& c : cases) {
        const ProgramRun e = capture(c.args);
        EXPECT_EQ(e.status, c.status) << c.args;
        EXPECT_NE(e.err.find(c.says), std::string::npos) << e.err;
        EXPECT_FALSE(fs::exists(part));
    }
    fs::remove(whole);
}
