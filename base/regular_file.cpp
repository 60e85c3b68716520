#include "base/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "base/atomic_file.h"

namespace tolvan {

namespace {

constexpr mode_t kNewFileMode = 0666;  // narrowed by the umask
constexpr std::size_t kReadChunk = 4096;

int type_error(const struct stat& status) {
    if (S_ISREG(status.st_mode)) return 0;
    return S_ISDIR(status.st_mode) ? EISDIR : kNotRegularFile;
}

// O_NONBLOCK keeps the open of a FIFO from waiting for its other end; the descriptor is then
// checked and, for a regular file, made blocking again for ordinary reads and writes.
OpenedFile open_checked(const std::string& path, int flags, const char* mode) {
    const int descriptor =
        ::open(path.c_str(), flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, kNewFileMode);
    if (descriptor < 0) return {nullptr, errno == ENXIO ? kNotRegularFile : errno};
    struct stat status {};
    int error = ::fstat(descriptor, &status) == 0 ? type_error(status) : errno;
    if (error == 0 && ::fcntl(descriptor, F_SETFL, 0) != 0) {
        error = errno;
    }
    if (error != 0) {
        ::close(descriptor);
        return {nullptr, error};
    }
    FileHandle file{::fdopen(descriptor, mode)};
    if (!file) {
        error = errno;
        ::close(descriptor);
        return {nullptr, error};
    }
    return {std::move(file), 0};
}

}  // namespace

OpenedFile open_regular_file_for_reading(const std::string& path) {
    return open_checked(path, O_RDONLY, "rb");
}

OpenedFile open_regular_file_for_writing(const std::string& path) {
    // A device must not even be opened for writing (opening some has effects of its own), so
    // the type is checked on the name first, then again on what was opened.
    struct stat status {};
    if (::stat(path.c_str(), &status) == 0) {
        if (const int error = type_error(status); error != 0) return {nullptr, error};
    }
    OpenedFile opened = open_checked(path, O_WRONLY | O_CREAT, "wb");
    if (opened.file && ::ftruncate(::fileno(opened.file.get()), 0) != 0) {
        return {nullptr, errno};
    }
    return opened;
}

ReadFile read_regular_file(const std::string& path, std::size_t max_size) {
    const OpenedFile opened = open_regular_file_for_reading(path);
    if (!opened.file) return {{}, opened.error_number};
    ReadFile result;
    char chunk[kReadChunk];
    std::size_t count = 0;
    while (result.bytes.size() < max_size &&
           (count = std::fread(chunk, 1, std::min(sizeof chunk, max_size - result.bytes.size()),
                               opened.file.get())) > 0) {
        result.bytes.append(chunk, count);
    }
    if (std::ferror(opened.file.get())) return {{}, errno != 0 ? errno : EIO};
    return result;
}

}  // namespace tolvan
