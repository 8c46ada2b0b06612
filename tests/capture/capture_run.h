// Running tumbo-capture (and ffmpeg's tools) as programs from the capture
// tests, and reading what they wrote.
#pragma once
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace capture_test {
namespace fs = std::filesystem;

struct ProgramRun {
    int status;       // exit status, -1 when a signal ended it
    std::string err;  // what it printed on stderr
};

// Runs `command` (a shell command line); stderr is captured.
inline ProgramRun run(const std::string& command) {
    const fs::path err = fs::temp_directory_path() / ("capture_err_" + std::to_string(getpid()));
    const int status = std::system((command + " 2>" + err.string()).c_str());
    std::ifstream in(err);
    ProgramRun r{WIFEXITED(status) ? WEXITSTATUS(status) : -1, std::string(std::istreambuf_iterator<char>(in), {})};
    fs::remove(err);
    return r;
}

// Runs tumbo-capture with `args` (shell words).
inline ProgramRun capture(const std::string& args) { return run(std::string(TUMBO_CAPTURE) + " " + args); }

inline std::string read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A path in the temporary folder, private to this process, with nothing
// under it.
inline fs::path fresh_path(const std::string& name) {
    const fs::path path = fs::temp_directory_path() / (std::to_string(getpid()) + "_" + name);
    fs::remove_all(path);
    return path;
}
}  // namespace capture_test
