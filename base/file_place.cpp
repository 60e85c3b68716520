#include "base/file_place.h"

#include <unistd.h>

#include <cerrno>
#include <filesystem>

namespace tolvan {

namespace {

constexpr int kMaxSymbolicLinks = 40;  // as the system's own limit in one path name

FileIdentity identity_of(const struct stat& status) {
    return {static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino)};
}

}  // namespace

std::string absolute_name(const std::string& path) {
    std::error_code ignored;
    const std::filesystem::path result = std::filesystem::absolute(path, ignored);
    return result.empty() ? path : result.string();
}

std::string directory_of(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

ResolvedName resolve_links(const std::string& path) {
    ResolvedName target{absolute_name(path)};
    for (int links = 0; links <= kMaxSymbolicLinks; ++links) {
        if (::lstat(target.path.c_str(), &target.status) != 0) {
            if (errno != ENOENT) target.error_number = errno;
            return target;
        }
        if (!S_ISLNK(target.status.st_mode)) {
            target.exists = true;
            return target;
        }
        std::string link(static_cast<std::size_t>(target.status.st_size) + 2, '\0');
        const ssize_t size = ::readlink(target.path.c_str(), link.data(), link.size());
        if (size < 0 || static_cast<std::size_t>(size) >= link.size()) {
            target.error_number = size < 0 ? errno : ENAMETOOLONG;
            return target;
        }
        link.resize(static_cast<std::size_t>(size));
        target.path = link.front() == '/' ? link : directory_of(target.path) + "/" + link;
    }
    target.error_number = ELOOP;
    return target;
}

std::optional<FilePlace> file_place(const std::string& path) {
    const ResolvedName resolved = resolve_links(path);
    struct stat folder {};
    if (resolved.error_number != 0 || ::stat(directory_of(resolved.path).c_str(), &folder) != 0) {
        return std::nullopt;
    }
    FilePlace place{identity_of(folder), resolved.path.substr(resolved.path.rfind('/') + 1), {}};
    if (resolved.exists) place.file = identity_of(resolved.status);
    return place;
}

bool same_place(const FilePlace& a, const FilePlace& b) {
    if (a.file && b.file && *a.file == *b.file) return true;
    return a.folder == b.folder && a.name == b.name;
}

}  // namespace tolvan
