// Replacing a file so that it is never seen half written: the new contents go to a temporary
// file beside the target, which is flushed to the disk and then renamed over the target.
#pragma once

#include <string>
#include <string_view>

namespace tolvan {

// The result of a file write that can fail: the system's error number of the step that failed,
// 0 when the write succeeded.
struct [[nodiscard]] WriteStatus {
    int error_number = 0;

    bool ok() const { return error_number == 0; }
    explicit operator bool() const { return ok(); }
};

// "TOLVAN.RAM: Permission denied": which file and the system's reason, for error reports.
std::string describe_failure(const std::string& path, WriteStatus status);

// Fails when any step fails; the target then keeps its old contents (or stays absent)
// and no temporary file is left behind. An existing target's permission bits are kept; a new
// file gets the usual ones for the user's umask.
WriteStatus write_file_atomically(const std::string& path, std::string_view bytes);

}  // namespace tolvan
