// How the build-time tools write their outputs: each file is written under a
// temporary name beside it (DIR/.NAME.part) and renamed over NAME only when
// complete. A tool that fails or is interrupted half-way thus never leaves
// a half-written file under the name the build checks, which would look up
// to date to the next build. One thread; the caller owns the OutputFile and
// ends it with commit_output or abandon_output.
#pragma once
#include <cstdio>
#include <string>

struct OutputFile {
    std::string path;            // the name the build asked for
    std::string temporary;       // where the file is written until complete
    std::FILE* file = nullptr;   // open on `temporary`, null when not open
};

// Opens the temporary of `path` for writing (`mode`: "w" or "wb").
inline bool open_output(OutputFile& out, const std::string& path, const char* mode) {
    const size_t slash = path.rfind('/');
    const size_t name = slash == std::string::npos ? 0 : slash + 1;
    out.path = path;
    out.temporary = path.substr(0, name) + "." + path.substr(name) + ".part";
    out.file = std::fopen(out.temporary.c_str(), mode);
    return out.file != nullptr;
}

// Removes the temporary; `path` is left as it was.
inline void abandon_output(OutputFile& out) {
    if (out.file) std::fclose(out.file);
    out.file = nullptr;
    if (!out.temporary.empty()) std::remove(out.temporary.c_str());
}

// Closes the file and renames it over `path`; when `ok` is false (a write
// failed) or closing or renaming fails, abandons it instead. Returns whether
// `path` now holds the complete file.
inline bool commit_output(OutputFile& out, bool ok) {
    ok = std::fclose(out.file) == 0 && ok;
    out.file = nullptr;
    if (ok && std::rename(out.temporary.c_str(), out.path.c_str()) == 0) return true;
    abandon_output(out);
    return false;
}
