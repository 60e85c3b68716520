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

// Short whatever the target's name, so that a name of up to 255 bytes can still be saved.
constexpr const char* kTemporaryName = ".tolvan-XXXXXX";
constexpr mode_t kNewFileMode = 0666;  // narrowed by the umask, as open() would do
constexpr mode_t kPermissionBits = 07777;
// As the system's own limit on links followed in one path name.
constexpr int kMaxSymbolicLinks = 40;

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

// The file that a chain of symbolic links ends at (which need not exist yet).
struct Target {
    std::string path;
    bool exists = false;
    struct stat status {};
    int error_number = 0;
};

Target resolve(const std::string& path) {
    Target target{path};
    for (int links = 0; links <= kMaxSymbolicLinks; ++links) {
        if (::lstat(target.path.c_str(), &target.status) != 0) {
            if (errno != ENOENT) target.error_number = errno;
            return target;
        }
        if (!S_ISLNK(target.status.st_mode)) {
            target.exists = true;
            return target;
        }
        std::vector<char> link(static_cast<std::size_t>(target.status.st_size) + 2);
        const ssize_t size = ::readlink(target.path.c_str(), link.data(), link.size());
        if (size < 0 || static_cast<std::size_t>(size) >= link.size()) {
            target.error_number = size < 0 ? errno : ENAMETOOLONG;
            return target;
        }
        const std::string next(link.data(), static_cast<std::size_t>(size));
        target.path = next.front() == '/' ? next : directory_of(target.path) + "/" + next;
    }
    target.error_number = ELOOP;
    return target;
}

// Whether the target may be written at all; the error number when it may not.
int refusal(const Target& target) {
    if (target.error_number != 0) return target.error_number;
    if (!target.exists) return 0;
    if (S_ISDIR(target.status.st_mode)) return EISDIR;
    if (!S_ISREG(target.status.st_mode)) return kNotRegularFile;
    // The replacement must not go where a plain write could not.
    if (::faccessat(AT_FDCWD, target.path.c_str(), W_OK, AT_EACCESS) != 0) return errno;
    return 0;
}

// mkstemp creates the file readable by its owner only; the replacement should look like the
// file it replaces, or like a file that an ordinary open() would have created.
mode_t mode_for(const Target& target) {
    if (target.exists) return target.status.st_mode & kPermissionBits;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return kNewFileMode & ~mask;
}

// The error number of the first step that failed, 0 when all succeeded.
int fill_temporary(int descriptor, const Target& target, std::string_view bytes) {
    const bool filled = ::fchmod(descriptor, mode_for(target)) == 0 &&
                        write_all(descriptor, bytes) && ::fsync(descriptor) == 0;
    const int fill_error = filled ? 0 : errno;
    // close() can report a delayed write error, so its result counts too.
    const bool closed = ::close(descriptor) == 0;
    if (!filled) return fill_error;
    return closed ? 0 : errno;
}

struct InPlaceResult {
    int error_number = 0;
    bool old_bytes_touched = false;
};

// Every hard link sees the new contents only if the file itself is rewritten. The space is
// claimed first, so that a full disk fails before the first old byte is overwritten.
InPlaceResult overwrite_in_place(const std::string& path, std::string_view bytes) {
    const int descriptor = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) return {errno, false};
    const off_t size = static_cast<off_t>(bytes.size());
    // A file system that cannot reserve space gets the write without the reservation.
    if (size > 0 && ::fallocate(descriptor, 0, 0, size) != 0 && errno != EOPNOTSUPP) {
        const int error = errno;
        ::close(descriptor);
        return {error, false};
    }
    const bool written = write_all(descriptor, bytes) && ::ftruncate(descriptor, size) == 0 &&
                         ::fsync(descriptor) == 0;
    const int error = written ? 0 : errno;
    const bool closed = ::close(descriptor) == 0;
    if (!written) return {error, true};
    return {closed ? 0 : errno, true};
}

bool has_other_links(const Target& target) {
    return target.exists && target.status.st_nlink > 1;
}

}  // namespace

std::string describe_failure(const std::string& path, WriteStatus status) {
    if (status.error_number == kNotRegularFile) return path + ": not a regular file";
    return path + ": " + std::strerror(status.error_number);
}

WriteStatus write_file_atomically(const std::string& path, std::string_view bytes) {
    const Target target = resolve(path);
    if (const int error = refusal(target); error != 0) return {error};

    std::string temporary = directory_of(target.path) + "/" + kTemporaryName;
    const int descriptor = ::mkstemp(temporary.data());
    if (descriptor < 0) return {errno};

    int error = fill_temporary(descriptor, target, bytes);
    if (error == 0 && has_other_links(target)) {
        const InPlaceResult result = overwrite_in_place(target.path, bytes);
        // Once old bytes may be gone, the temporary file is the one complete copy left.
        if (result.error_number == 0 || !result.old_bytes_touched) ::unlink(temporary.c_str());
        return {result.error_number};
    }
    if (error == 0 && std::rename(temporary.c_str(), target.path.c_str()) != 0) error = errno;
    if (error != 0) {
        ::unlink(temporary.c_str());
        return {error};
    }
    sync_directory(target.path);
    return {};
}

}  // namespace tolvan
