// Where a file name leads once its symbolic links are followed, whether or not a file is there
// yet: two names lead to the same place when they end in the same folder under the same name,
// or at the same existing file (which hard links can give several names).
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <optional>
#include <string>

namespace tolvan {

// The file that a chain of symbolic links ends at, as an absolute name.
struct ResolvedName {
    std::string path;
    bool exists = false;
    struct stat status {};  // of the file, when it exists
    int error_number = 0;   // the system's reason when the chain could not be followed
};
ResolvedName resolve_links(const std::string& path);

// The name as seen from the root, so that it means the same after a change of the current
// directory.
std::string absolute_name(const std::string& path);
std::string directory_of(const std::string& path);

// What tells two names of one file apart from names of two files.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};

struct FilePlace {
    FileIdentity folder;
    std::string name;
    std::optional<FileIdentity> file;  // when a file is there
};

// Nothing when the folder that the name ends in cannot be found.
std::optional<FilePlace> file_place(const std::string& path);
bool same_place(const FilePlace& a, const FilePlace& b);

}  // namespace tolvan
