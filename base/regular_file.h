// Opening the user's files only when they are regular files. A FIFO would block the program at
// open or read, and a device or directory is never the file that the user meant.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

namespace tolvan {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

struct OpenedFile {
    FileHandle file;
    // The system's error number (ENOENT for a missing file) or kNotRegularFile; 0 when open.
    int error_number = 0;
};

// For binary reading; never blocks, whatever the name stands for.
[[nodiscard]] OpenedFile open_regular_file_for_reading(const std::string& path);

// For writing a stream in place, emptied first, as output that arrives piece by piece must be:
// a missing file is created, a symbolic link followed and hard links kept; an existing file
// that the process may not write, and anything but a regular file, is refused untouched.
[[nodiscard]] OpenedFile open_regular_file_for_writing(const std::string& path);

// The whole file (or its first max_size bytes), if it is a regular file that could be read.
struct ReadFile {
    std::string bytes;
    int error_number = 0;
};
[[nodiscard]] ReadFile read_regular_file(const std::string& path,
                                         std::size_t max_size = std::string::npos);

}  // namespace tolvan
