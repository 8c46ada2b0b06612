// Progress of a long capture on stderr.
//
// On a terminal: one line redrawn in place, a bar with the units done of the
// total, the rate and the time left. Otherwise (a log, a pipe): a line every
// few seconds with the same figures. Either way a last line with the totals
// (units done of the total, time taken) ends the report. Times are passed
// in, in seconds on a monotonic clock (progress_clock), so that tests can
// drive the report without waiting. Main thread; the caller owns the
// Progress and the stream.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>

struct Progress {
    std::FILE* out = stderr;
    bool terminal = false;        // redraw one line in place; else a line every report_interval
    const char* unit = "frames";  // what is counted, plural ("frames", "s of sound")
    const char* rate_unit = "fps";  // units per second ("fps", "x real time")
    int64_t total = 0;            // units the capture will do, > 0
    double started = 0;           // seconds (progress_clock) when the work began
    double last_report = 0;       // seconds (progress_clock) of the last line or redraw
    bool bar_drawn = false;       // a bar is on the terminal line, to be ended by a newline
};

// Seconds between two lines when stderr is not a terminal.
constexpr double progress_line_interval = 5.0;
// Seconds between two redraws of the terminal bar (about 8 a second).
constexpr double progress_bar_interval = 0.125;

// Seconds on a monotonic clock.
double progress_clock();

// Starts the report of `total` units at time `now`; the terminal mode is
// that of `out` (isatty).
void start_progress(Progress& progress, std::FILE* out, int64_t total, double now);

// Reports `done` units at `now`, when a report is due.
void update_progress(Progress& progress, int64_t done, double now);

// Ends the report: "tumbo-capture: DONE/TOTAL UNIT in TIME (RATE)" followed
// by `tail` (e.g. "; wrote show.mp4"), on a line of its own.
void finish_progress(Progress& progress, int64_t done, double now, const std::string& tail);

// "m:ss" for a duration in seconds (rounded up, so 0:00 only when done).
std::string minutes_seconds(double seconds);
// "12.3 s" for a duration in seconds.
std::string seconds_text(double seconds);
