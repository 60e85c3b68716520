// Reader and writer of the profile (INI) text format: "[section]" lines, each followed by
// "key=value" lines. Section and key names match without regard to ASCII case. Writing changes
// only the line of the key concerned, so comments, blank lines and keys that the emulator does
// not know stay as the user left them.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/atomic_file.h"

namespace tolvan {

// A value is read into a buffer of 256 bytes, so at most 255 characters of it are seen.
inline constexpr std::size_t kIniValueCapacity = 255;

struct IniFile {
    // The file's lines without their line ends (LF, CR LF or CR alone).
    std::vector<std::string> lines;
    // Written after every line: the file's first line end, so a saved file keeps its own.
    std::string line_end = "\n";

    static IniFile parse(std::string_view text);
    // A missing file reads as an empty one; nothing when the file exists but cannot be read or
    // is not a regular file (error_number then tells why), so that a later save does not
    // replace a file whose contents were never seen.
    [[nodiscard]] static std::optional<IniFile> load(const std::string& path,
                                                     int* error_number = nullptr);

    // The value of the first such key in the first such section, blanks around it trimmed and
    // cut to kIniValueCapacity characters; fallback when the section or key is missing.
    std::string get(std::string_view section, std::string_view key,
                    std::string_view fallback) const;
    // The same value whole, however long; nothing when the section or key is missing.
    std::optional<std::string> get_whole(std::string_view section, std::string_view key) const;
    // Replaces the value of the key where it stands; a new key goes after the last entry of its
    // section, a new section at the end of the file. A value ends at its first line break (CR or
    // LF), which the format cannot hold.
    void set(std::string_view section, std::string_view key, std::string_view value);

    std::string text() const;
    [[nodiscard]] WriteStatus save(const std::string& path) const;
};

}  // namespace tolvan
