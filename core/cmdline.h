// Command line of the demo, as a pure function so every case is testable.
//
//   tumbo [-w] [-a] [width height]
//   tumbo --help | --version
//
// -w windowed, -a no antialiasing request. The size is taken from the LAST
// two arguments whenever there are more arguments than flags + 2 (counting
// the program name), so flags must come before the size: "800 600 -w" gives
// a width of 600 and a height of 0. A program name ending in 'w' also selects
// windowed mode. --help or --version anywhere after the program name asks
// for that text instead of the show (the first of them given wins); the
// other arguments are then not used.
#pragma once
#include <cstdint>

// What the command line asks the program to do.
enum class DemoRequest { run, help, version };

struct Options {
    DemoRequest request = DemoRequest::run;
    bool windowed = false;          // -w, or program name ends in 'w'
    bool request_antialias = true;  // cleared by -a
    int flag_count = 0;             // occurrences of -w and -a, repeats counted
    int32_t window_width = 640;     // pixels, not range-tested
    int32_t window_height = 480;    // pixels, not range-tested
};

Options parse_command_line(int argc, const char* const* argv);

// The --help text: the command line, the keys and the exit statuses.
const char* demo_usage();
