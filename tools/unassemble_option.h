// The headless front end's "--unassemble FROM TO FILE" (listing) and
// "--unassemble-source FROM TO FILE" (source format).
#pragma once

#include <string_view>

#include "machine/emulator.h"

namespace tolvan {

inline constexpr std::string_view kUnassembleOption = "--unassemble";
inline constexpr std::string_view kUnassembleSourceOption = "--unassemble-source";
inline constexpr int kUnassembleOptionArguments = 3;

// Stores the request in the unassembler settings. FROM and TO are decimal or 0x-prefixed
// hexadecimal addresses; false (settings unchanged) when either is not an address.
bool set_unassemble_request(UnassemblerSettings& settings, bool source_format,
                            std::string_view from, std::string_view to, std::string_view file);

// Sets the request and runs the unassembler; false on a bad address. A file that cannot be
// written is reported through the emulator's error report, as from the menu.
bool unassemble_from_command_line(Emulator& emulator, std::string_view option,
                                  std::string_view from, std::string_view to,
                                  std::string_view file);

}  // namespace tolvan
