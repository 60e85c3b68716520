// Debug information: which source line gave each byte that an assembly emitted, and where each
// label is defined, so that a debugger can show the source of the code it stops in and put a
// breakpoint on a line. tolvan-asm --debug-info writes it as JSON:
//   {"format": "tolvan-debug-info", "version": 1,
//    "directory": the absolute folder of the main source at assembly time,
//    "files": [paths relative to "directory", or absolute where outside it; the source first],
//    "lines": [[address, length, file index, line], ...]   runs of bytes of one line,
//                                                          ascending by address
//    "labels": [{"name", "value", "file", "line"}, ...]    "equ": true for an EQU}
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/assembler.h"

namespace tolvan {

inline constexpr std::string_view kDebugInfoFormat = "tolvan-debug-info";
inline constexpr int kDebugInfoVersion = 1;

// `length` bytes from `address` on, emitted by one line. A line whose bytes run past 0xFFFF
// gives two runs, the second from 0x0000, where the processor fetches those bytes.
struct DebugLineRun {
    std::uint16_t address = 0;
    std::uint32_t length = 0;
    std::uint32_t file = 0;  // index into DebugInfo::files
    int line = 0;
};

struct DebugLabel {
    std::string name;
    std::int64_t value = 0;
    std::uint32_t file = 0;
    int line = 0;
    bool equ = false;  // a value set by EQU rather than an address
};

struct DebugInfo {
    std::filesystem::path directory;
    std::vector<std::string> files;
    std::vector<DebugLineRun> lines;
    std::vector<DebugLabel> labels;
    // The folder of the file it was read from (empty when made from an assembly): sources
    // copied beside it are found there when "directory" no longer holds them.
    std::filesystem::path folder;
};

// The debug information of a successful assembly; `source` is the main source as it was given.
DebugInfo assembly_debug_info(const AssemblyResult& result, const std::filesystem::path& source);

// The JSON text, one run or label per line.
std::string debug_info_text(const DebugInfo& info);

// Why a file could not be read as debug information; ok() when it was.
struct [[nodiscard]] DebugInfoStatus {
    std::string path;
    std::string reason;

    bool ok() const { return reason.empty(); }
};

// Fills `info` only when the whole file is read and valid.
DebugInfoStatus read_debug_info(const std::filesystem::path& path, DebugInfo& info);

struct SourceLine {
    std::uint32_t file = 0;
    int line = 0;
};

// The line that emitted the byte at `address`; nothing for a byte that no line emitted.
std::optional<SourceLine> source_line_at(const DebugInfo& info, std::uint16_t address);

// The first address of each run of bytes that the line emitted (several when its file is
// INCLUDEd more than once), ascending; empty for a line that emitted nothing.
std::vector<std::uint16_t> addresses_of_line(const DebugInfo& info, std::uint32_t file, int line);

// Where source file `file` is to be read: its recorded place if it exists there, else the same
// relative path (the bare name for a file recorded absolute) in the folder that the debug
// information was read from.
std::filesystem::path source_file_path(const DebugInfo& info, std::uint32_t file);

// The index of the source file that `path` names (compared after resolving both), if any.
std::optional<std::uint32_t> find_source_file(const DebugInfo& info,
                                              const std::filesystem::path& path);

}  // namespace tolvan
