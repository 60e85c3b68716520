// The source lines of the running machine's code: the debug information that tolvan-asm wrote
// for its firmware, loaded from the machine folder or by the user, and the lookups that a
// debugger makes with it (where an address comes from, which addresses a line gave).
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "machine/debugger.h"
#include "machine/display.h"
#include "machine/emulator.h"

namespace tolvan {

// Reads a debug information file, adds its labels to the symbols and keeps it for the lookups;
// on any failure nothing is added.
DebugInfoStatus load_debug_info_file(Emulator& emulator, const std::filesystem::path& path);

struct [[nodiscard]] DebugInfoFolderStatus {
    int loaded = 0;
    std::vector<std::string> failures;  // "file: reason"
};

// Every *.json file of the folder that is debug information, in name order. A *.debug.json
// file that cannot be read is a failure; another JSON file may be anything and is passed over.
DebugInfoFolderStatus load_debug_info_folder(Emulator& emulator,
                                             const std::filesystem::path& folder);

struct SourcePlace {
    std::filesystem::path file;  // where the source is read
    int line = 0;                // from 1
};

// The line that emitted the byte at the address, in the first debug information that has one.
std::optional<SourcePlace> source_place(const Emulator& emulator, std::uint16_t address);

// The first line at or after `line` of the file that emitted bytes, with the first address of
// each run of them: a breakpoint put on a comment or a blank line goes to the next instruction.
struct LineCode {
    int line = 0;
    std::vector<std::uint16_t> addresses;
};
std::optional<LineCode> code_at_or_after(const Emulator& emulator,
                                         const std::filesystem::path& file, int line);

// Steps instructions (as step_into does) until PC reaches another source line, or a place no
// line emitted, or the debugger stops for something else; at most kMaxLineSteps, so that a
// line that loops on itself ends too. Returns the stop, and what the steps failed to write.
inline constexpr int kMaxLineSteps = 10000;
StepResult step_line(Emulator& emulator, Display& display);

}  // namespace tolvan
