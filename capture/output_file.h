// Files written under a temporary name: an output PATH is written as
// DIR/.NAME.part beside it and renamed over PATH only when complete, so PATH
// never holds a half-written file, whether the writer fails, is stopped, or
// the machine stops under it. The capture writes its outputs this way, and
// so do the build-time tools (tools/embed.cpp, tools/make_figures.cpp): a
// half-written file there would look up to date to the next build. Its own
// small library (tumbo_output_file), needing nothing but the C library.
//
// Thread: whichever one writes the file; nothing is shared. The caller owns
// an OutputFile and ends it with commit_output or abandon_output.
#pragma once
#include <cstdio>
#include <string>

// DIR/.NAME.part for DIR/NAME (or .NAME.part for a bare NAME).
std::string temporary_path(const std::string& path);

// Checks, before any work, that `path` can be written: it is not a folder,
// and its temporary can be created (it is, empty). On failure returns false
// with a one-line reason naming `path` in `error`.
bool create_temporary(const std::string& path, std::string& error);

// Flushes the complete temporary to the disk (fsync), renames it over
// `path` and, with `sync_folder`, flushes the folder, so that after a crash
// `path` is either the old file or the whole new one. On failure removes
// the temporary and returns false with a one-line reason. A caller that
// commits many files into one folder passes false and calls
// sync_folder_of once after the last.
bool commit_temporary(const std::string& path, std::string& error, bool sync_folder = true);

// Flushes the folder that holds `path` (its names) to the disk; false when
// it cannot.
bool sync_folder_of(const std::string& path);

// Removes the temporary of `path`, if any.
void discard_temporary(const std::string& path);

// A file being written through its temporary.
struct OutputFile {
    std::string path;           // the name asked for
    std::FILE* file = nullptr;  // open on temporary_path(path), null when not open
};

// Opens the temporary of `path` for writing (`mode`: "w" or "wb").
bool open_output(OutputFile& out, const std::string& path, const char* mode);

// Closes the file and renames it over `path`; when `ok` is false (a write
// failed) or closing or renaming fails, abandons it instead. Returns whether
// `path` now holds the complete file.
bool commit_output(OutputFile& out, bool ok);

// Closes the file, if open, and removes the temporary; `path` is left as it
// was.
void abandon_output(OutputFile& out);
