#include "tools/source_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tolvan {

namespace {

constexpr std::size_t kReadChunk = 64 * 1024;

std::string system_reason(int error_number) {
    return std::strerror(error_number);
}

// The reason to refuse a file of this kind; empty for a regular file.
std::string refusal(const struct stat& status) {
    if (S_ISREG(status.st_mode)) return "";
    if (S_ISDIR(status.st_mode)) return "is a directory";
    return "is not a regular file (a device, FIFO or socket)";
}

std::string too_large(std::size_t limit) {
    return "larger than " + std::to_string(limit) + " bytes";
}

// Reads at most limit + 1 bytes, so that a file that grows while it is read is still caught.
LoadedFile read_all(int descriptor, std::size_t limit) {
    std::string text;
    std::string chunk(kReadChunk, '\0');
    while (text.size() <= limit) {
        const ssize_t count = ::read(descriptor, chunk.data(), chunk.size());
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) return LoadedFile::failure(system_reason(errno));
        if (count == 0) return LoadedFile(std::move(text));
        text.append(chunk.data(), static_cast<std::size_t>(count));
    }
    return LoadedFile::failure(too_large(limit));
}

}  // namespace

LoadedFile read_source_file(const std::string& path, std::size_t limit) {
    // Looked at before opening: opening some devices already acts on them.
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) return LoadedFile::failure(system_reason(errno));
    if (const std::string reason = refusal(status); !reason.empty()) {
        return LoadedFile::failure(reason);
    }
    // Non-blocking, in case the name was replaced by a FIFO in the meantime.
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0) return LoadedFile::failure(system_reason(errno));
    LoadedFile file;
    if (::fstat(descriptor, &status) != 0) {
        file = LoadedFile::failure(system_reason(errno));
    } else if (const std::string reason = refusal(status); !reason.empty()) {
        file = LoadedFile::failure(reason);
    } else if (static_cast<std::uint64_t>(status.st_size) > limit) {
        file = LoadedFile::failure(too_large(limit));
    } else {
        file = read_all(descriptor, limit);
    }
    ::close(descriptor);
    return file;
}

std::optional<FileIdentity> file_identity(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) return std::nullopt;
    return FileIdentity{static_cast<std::uint64_t>(status.st_dev),
                        static_cast<std::uint64_t>(status.st_ino)};
}

}  // namespace tolvan
