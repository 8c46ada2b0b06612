// Files written under a temporary name: an output PATH is written as
// DIR/.NAME.part beside it and renamed over PATH only when complete, so PATH
// never holds a half-written file, whether the capture fails, is stopped, or
// the machine stops under it. Main thread.
#pragma once
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
