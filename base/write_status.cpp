#include "base/write_status.h"

#include <cstring>

namespace tolvan {

std::string describe_failure(const std::string& path, WriteStatus status) {
    if (status.error_number == kNotRegularFile) return path + ": not a regular file";
    return path + ": " + std::strerror(status.error_number);
}

std::string describe_failure(const FilesStatus& status) {
    return describe_failure(status.path, WriteStatus{status.error_number});
}

}  // namespace tolvan
