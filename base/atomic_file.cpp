#include "base/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace tolvan {

namespace {

constexpr const char* kTemporarySuffix = ".tmp-XXXXXX";
constexpr mode_t kNewFileMode = 0666;  // narrowed by the umask, as open() would do
constexpr mode_t kPermissionBits = 07777;

bool write_all(int descriptor, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(descriptor, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// mkstemp creates the file readable by its owner only; the replacement should look like the
// file it replaces, or like a file that an ordinary open() would have created.
mode_t mode_for(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) == 0) return status.st_mode & kPermissionBits;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return kNewFileMode & ~mask;
}

std::string directory_of(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// Makes the rename itself survive a power cut. The new file is complete either way, so a
// failure here is not reported.
void sync_directory(const std::string& path) {
    const int descriptor = ::open(directory_of(path).c_str(), O_RDONLY | O_DIRECTORY);
    if (descriptor < 0) return;
    ::fsync(descriptor);
    ::close(descriptor);
}

// The error number of the first step that failed, 0 when all succeeded.
int fill_temporary(int descriptor, const std::string& target, std::string_view bytes) {
    const bool filled = ::fchmod(descriptor, mode_for(target)) == 0 &&
                        write_all(descriptor, bytes) && ::fsync(descriptor) == 0;
    const int fill_error = filled ? 0 : errno;
    // close() can report a delayed write error, so its result counts too.
    const bool closed = ::close(descriptor) == 0;
    if (!filled) return fill_error;
    return closed ? 0 : errno;
}

}  // namespace

std::string describe_failure(const std::string& path, WriteStatus status) {
    return path + ": " + std::strerror(status.error_number);
}

WriteStatus write_file_atomically(const std::string& path, std::string_view bytes) {
    std::string temporary_name = path + kTemporarySuffix;
    std::vector<char> name_buffer(temporary_name.begin(), temporary_name.end());
    name_buffer.push_back('\0');
    const int descriptor = ::mkstemp(name_buffer.data());
    if (descriptor < 0) return {errno};
    temporary_name = name_buffer.data();

    int error = fill_temporary(descriptor, path, bytes);
    if (error == 0 && std::rename(temporary_name.c_str(), path.c_str()) != 0) error = errno;
    if (error != 0) {
        ::unlink(temporary_name.c_str());
        return {error};
    }
    sync_directory(path);
    return {};
}

}  // namespace tolvan
