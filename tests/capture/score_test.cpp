// tumbo-capture's score: a score file instead of the embedded one
// (--score), and --check-score, which only reports.
#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>

#include "capture/capture.h"
#include "capture/score.h"
#include "synth/audio_driver.h"
#include "synth/synth_state.h"

namespace {
// A file in the test's temporary folder holding `text`; returns its path.
std::string write_file(const std::string& name, const std::string& text) {
    const std::string path = testing::TempDir() + std::to_string(getpid()) + "_" + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

// Runs --check-score on `path`; returns the exit status and what it printed.
std::pair<int, std::string> check(const std::string& path) {
    CaptureRequest request;
    request.mode = CaptureMode::check_score;
    request.output = path;
    testing::internal::CaptureStderr();
    const int status = capture_check_score(request);
    return {status, testing::internal::GetCapturedStderr()};
}
}  // namespace

TEST(CheckScore, PrintsEachProblemWithFileAndLineAndFailsOnlyWhenThereIsOne) {
    const std::string clean = write_file("clean.txt", "bpm:125\ni1:sini,1,1,100,1,0\np1:c4,0,e4\nt1:p1\n");
    EXPECT_EQ(check(clean), std::pair(capture_ok, std::string()));
    const std::string bad = write_file("bad.txt", std::string("bpm:125\n\np1:c4,h4\nt1:p1\n\0p2:c4\n", 31));
    const auto [status, printed] = check(bad);
    EXPECT_EQ(status, capture_failed);
    EXPECT_EQ(printed, bad + ":3: unknown token 'h4'; it plays as a hold\n" + bad +
                           ":4: voice 1 has no instrument line; its notes are silent\n" + bad +
                           ":5: a NUL byte ends the score here; the rest is ignored\n"
                           "tumbo-capture: 3 problems in " + bad + "\n");
}

TEST(CheckScore, AScoreThatCannotBeReadIsAClearError) {
    for (const std::string& path : {testing::TempDir() + "no_such_score.txt", testing::TempDir()}) {
        const auto [status, printed] = check(path);
        EXPECT_EQ(status, capture_failed);
        EXPECT_EQ(printed.rfind("tumbo-capture: cannot read the score " + path + ": ", 0), 0u) << printed;
    }
    EXPECT_NE(check(testing::TempDir() + "no_such_score.txt").second.find("No such file"), std::string::npos);
}

TEST(ScoreFile, ReplacesTheEmbeddedScoreInAWavCapture) {
    // At 500 bpm a step is 1323 frames, so the show's 73 bars are a quarter
    // as long as the embedded song's; one note, then silence.
    CaptureRequest request;
    request.mode = CaptureMode::wav;
    request.score_path = write_file("tiny.txt", "bpm:500\ni1:saha,1,0,1000,1,0,0,50\np1:c4\nt1:p1\n");
    request.output = write_file("tiny.wav", "");
    ASSERT_EQ(capture_wav(request), capture_ok);
    EXPECT_EQ(synth.clock.samples_per_step, 1323);
    std::ifstream file(request.output, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const int64_t frames = 73 * 16 * 1323;
    ASSERT_EQ(bytes.size(), size_t(44 + 4 * frames));
    const auto* samples = reinterpret_cast<const int16_t*>(bytes.data() + 44);
    EXPECT_NE(*std::max_element(samples, samples + 2 * 1000), 0);
    EXPECT_EQ(std::count(samples + 2 * 2000, samples + 2 * frames, 0), 2 * (frames - 2000));
}
