// Reading assembler sources from disk: only regular files are read, never blocking on a FIFO or
// reading a device without end, and never more than a given number of bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "base/file_place.h"

namespace tolvan {

// The contents of a source file, or why there are none.
struct LoadedFile {
    std::optional<std::string> text;
    std::string error;  // the reason, when there is no text

    LoadedFile() = default;
    // Loaders that only know "found" or "not found" return the text or nothing.
    LoadedFile(std::optional<std::string> contents) : text(std::move(contents)) {}
    LoadedFile(std::nullopt_t) {}

    static LoadedFile failure(std::string reason) {
        LoadedFile file;
        file.error = std::move(reason);
        return file;
    }
};

// Refuses directories, devices, FIFOs and sockets, and files longer than `limit` bytes.
LoadedFile read_source_file(const std::string& path, std::size_t limit);

// Nothing when the file does not exist (or cannot be examined).
std::optional<FileIdentity> file_identity(const std::string& path);

}  // namespace tolvan
