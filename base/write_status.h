// What a file write reports when it fails: the system's error number, and which file it was.
#pragma once

#include <string>

namespace tolvan {

// Error number for a name that exists but is not a regular file (directory aside, which has
// its own system error number): a device, a FIFO or a socket is never written or replaced.
inline constexpr int kNotRegularFile = -1;

// The result of a file write that can fail: the system's error number of the step that failed
// (or kNotRegularFile), 0 when the write succeeded.
struct [[nodiscard]] WriteStatus {
    int error_number = 0;

    bool ok() const { return error_number == 0; }
    explicit operator bool() const { return ok(); }
};

// The same for a write of several files, which also says which file failed: one of them, or a
// file that the write needs for itself (its journal or a temporary copy).
struct [[nodiscard]] FilesStatus {
    int error_number = 0;
    std::string path;

    bool ok() const { return error_number == 0; }
    explicit operator bool() const { return ok(); }
};

// "TOLVAN.RAM: Permission denied": which file and the system's reason, for error reports.
std::string describe_failure(const std::string& path, WriteStatus status);
std::string describe_failure(const FilesStatus& status);

}  // namespace tolvan
