// The configuration file: everything of the emulator that the memory image does not hold (RAM
// size option, registers, internal RAM, timing values, file names). With the RAM image file it
// is a snapshot from which the emulator continues where it stopped.
#pragma once

#include <cstdint>
#include <string_view>

#include "base/ini_file.h"
#include "machine/emulator.h"

namespace tolvan {

inline constexpr const char* kConfigurationFileName = "Tolvan.ini";  // in the current directory

// Signed decimal text as the profile functions read it: leading spaces and tabs, an optional
// sign, then digits up to the first other character ("12abc" is 12, "abc" is 0). The result
// keeps the low-order 32 bits of the value, however many digits there are.
std::int32_t parse_profile_int(std::string_view text);

// Every key into its field, defaults for what is missing, then the checks of the timing values.
// Internal RAM cells 0x60-0x7F are not kept and read as 0.
void read_configuration(Emulator& emulator, const IniFile& file);
// Every key from its field, in the order in which a new file gets them.
void write_configuration(const Emulator& emulator, IniFile& file);

void load_configuration(Emulator& emulator);
// Rewrites the whole file at once, keeping whatever else it holds; false when the file could
// not be read or written, in which case it is left as it was.
[[nodiscard]] bool save_configuration(const Emulator& emulator);

}  // namespace tolvan
