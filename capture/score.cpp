// Loading the capture's score, and --check-score. See capture/score.h.
#include "capture/score.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "synth/synth.h"

namespace {
// Parses `text` (a whole score file) into a fresh synthesizer and, when
// `print`, prints its problems as "PATH:LINE: reason". Returns how many there were.
int parse_score_text(const std::string& path, std::string text, bool print) {
    // The parser reads up to the first NUL; a file may hold one anyway. No
    // line after it is read, so its report comes last.
    const size_t nul = text.find('\0');
    const auto nul_line =
        static_cast<int32_t>(1 + std::count(text.begin(), text.begin() + std::min(nul, text.size()), '\n'));
    std::vector<ScoreProblem> problems;
    init_synth();
    parse_score(text.data(), &problems);
    if (nul != std::string::npos) problems.push_back({nul_line, "a NUL byte ends the score here; the rest is ignored"});
    if (print)
        for (const ScoreProblem& p : problems) std::fprintf(stderr, "%s:%d: %s\n", path.c_str(), p.line, p.reason.c_str());
    return static_cast<int>(problems.size());
}
}  // namespace

bool read_score_file(const std::string& path, std::string& text, std::string& error) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        error = "cannot read the score " + path + ": " + std::strerror(errno);
        return false;
    }
    text.clear();
    char chunk[1 << 16];  // read 64 KiB at a time
    size_t n = 0;
    while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        text.append(chunk, n);
        if (text.size() > static_cast<size_t>(max_score_file_bytes)) break;
    }
    // A folder opens but cannot be read (EISDIR); ferror catches that too.
    const int read_errno = std::ferror(file) ? errno : 0;
    std::fclose(file);
    if (read_errno != 0) {
        error = "cannot read the score " + path + ": " + std::strerror(read_errno);
        return false;
    }
    if (text.size() > static_cast<size_t>(max_score_file_bytes)) {
        error = "the score " + path + " is larger than " + std::to_string(max_score_file_bytes >> 20) +
                " MiB; a score is a few kilobytes";
        return false;
    }
    return true;
}

int load_capture_score(const CaptureRequest& request) {
    if (request.score_path.empty()) {
        init_synth();
        parse_score();
        return 0;
    }
    std::string text, error;
    if (!read_score_file(request.score_path, text, error)) {
        std::fprintf(stderr, "tumbo-capture: %s\n", error.c_str());
        return -1;
    }
    // The sound process of a --video reads the score the capture that
    // started it has reported on already.
    return parse_score_text(request.score_path, std::move(text), request.mode != CaptureMode::raw_sound);
}

int capture_check_score(const CaptureRequest& request) {
    CaptureRequest load = request;
    load.score_path = request.output;  // --check-score FILE names the score to check
    const int problems = load_capture_score(load);
    if (problems < 0) return capture_failed;
    if (problems > 0) {
        std::fprintf(stderr, "tumbo-capture: %d problem%s in %s\n", problems, problems == 1 ? "" : "s",
                     load.score_path.c_str());
        return capture_failed;
    }
    return capture_ok;
}
