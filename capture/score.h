// The score a capture plays: the embedded one, or a score file given with
// --score, so that a changed song can be heard without rebuilding. Every
// capture mode loads its score through load_capture_score instead of calling
// parse_score() itself. Main thread, before any audio is rendered.
#pragma once
#include <string>

#include "capture/capture.h"

// Largest score file read, in bytes: a score is a few kilobytes, and the
// parser reads only its first 1000 lines.
constexpr long max_score_file_bytes = 1 << 24;

// Reads the whole file at `path` into `text`. On failure returns false and
// sets `error` to one line naming the file and the reason.
bool read_score_file(const std::string& path, std::string& text, std::string& error);

// Puts the synthesizer into its start state (init_synth) and parses the
// request's score: the file named by --score, or the embedded score. Each
// problem the parser meets in a file is printed on stderr as
// "FILE:LINE: reason" (except by --raw-sound); the score is still used, as the program would use it.
// Returns the number of problems printed, or -1 (after printing why) when
// the file cannot be read, in which case nothing was parsed.
int load_capture_score(const CaptureRequest& request);
