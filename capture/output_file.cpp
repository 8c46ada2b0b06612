#include "capture/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

std::string temporary_path(const std::string& path) {
    const size_t slash = path.rfind('/');
    const size_t name = slash == std::string::npos ? 0 : slash + 1;
    return path.substr(0, name) + "." + path.substr(name) + ".part";
}

bool create_temporary(const std::string& path, std::string& error) {
    struct stat st {};
    if (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        error = "cannot write " + path + ": it is a folder";
        return false;
    }
    const int fd = open(temporary_path(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    close(fd);
    return true;
}

namespace {
// Waits until what `path` (a file or a folder) holds is on the disk.
bool sync_path(const std::string& path, int flags) {
    const int fd = open(path.c_str(), flags | O_CLOEXEC);
    if (fd < 0) return false;
    const bool synced = fsync(fd) == 0;
    close(fd);
    return synced;
}

std::string folder_of(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}
}  // namespace

bool sync_folder_of(const std::string& path) { return sync_path(folder_of(path), O_RDONLY | O_DIRECTORY); }

bool commit_temporary(const std::string& path, std::string& error, bool sync_folder) {
    const std::string temporary = temporary_path(path);
    // The contents reach the disk before the name does, and the new name
    // before the capture reports success.
    if (sync_path(temporary, O_RDONLY) && std::rename(temporary.c_str(), path.c_str()) == 0 &&
        (!sync_folder || sync_folder_of(path)))
        return true;
    error = "cannot write " + path + ": " + std::strerror(errno);
    std::remove(temporary.c_str());
    return false;
}

void discard_temporary(const std::string& path) { std::remove(temporary_path(path).c_str()); }

bool open_output(OutputFile& out, const std::string& path, const char* mode) {
    out.path = path;
    out.file = std::fopen(temporary_path(path).c_str(), mode);
    return out.file != nullptr;
}

void abandon_output(OutputFile& out) {
    if (out.file) std::fclose(out.file);
    out.file = nullptr;
    if (!out.path.empty()) discard_temporary(out.path);
}

bool commit_output(OutputFile& out, bool ok) {
    ok = std::fclose(out.file) == 0 && ok;
    out.file = nullptr;
    std::string error;  // the callers report failures in their own words
    if (ok) return commit_temporary(out.path, error);  // removes the temporary when it fails
    discard_temporary(out.path);
    return false;
}
