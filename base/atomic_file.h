// Replacing a file so that it is never seen half written: the new contents go to a temporary
// file beside the target and are flushed to the disk before they take the target's place.
#pragma once

#include <string>
#include <string_view>

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

// "TOLVAN.RAM: Permission denied": which file and the system's reason, for error reports.
std::string describe_failure(const std::string& path, WriteStatus status);

// Fails when any step fails, and the target then keeps its old contents (or stays absent):
// - an existing file that the process may not write is refused, as a plain write would be;
// - a symbolic link is followed: its target is replaced and the link stays a link;
// - a file with several hard links is overwritten in place once the complete new contents sit
//   in a temporary file beside it, so every link sees them (should that copy fail halfway, the
//   temporary file is kept as the only complete copy);
// - a directory, device, FIFO or socket is refused and never replaced.
// Otherwise no temporary file is left behind. An existing target's permission bits are kept; a
// new file gets the usual ones for the user's umask.
WriteStatus write_file_atomically(const std::string& path, std::string_view bytes);

}  // namespace tolvan
