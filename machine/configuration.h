// The configuration file: everything of the emulator that the memory image does not hold (RAM
// size option, registers, internal RAM, timing values, file names). With the RAM image file it
// is a snapshot from which the emulator continues where it stopped.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/atomic_file.h"
#include "base/ini_file.h"
#include "machine/emulator.h"

namespace tolvan {

inline constexpr const char* kConfigurationFileName = "Tolvan.ini";  // in the current directory

// The timing values of a file that gives none, or one below the least usable value; the speed
// box's "Default" button offers them too.
inline constexpr std::int32_t kDefaultTimerLimit512ms = 50000;
inline constexpr std::int32_t kDefaultTimerLimit2ms = 20;
inline constexpr std::int32_t kDefaultMaxDelay = 0;

// Which keys a save writes. The registers and the internal RAM belong with the RAM image and
// are written only beside it; each settings box writes only its own section, so that its OK
// never pairs the running registers with an older RAM image.
enum class ConfigurationKeys {
    kEverything,   // Save RAM: the whole snapshot
    kFileNames,    // "Fichiers"
    kTiming,       // "Horloge"
    kUnassembler,  // "Tools"
};

// Signed decimal text as the profile functions read it: leading spaces and tabs, an optional
// sign, then digits up to the first other character ("12abc" is 12, "abc" is 0). The result
// keeps the low-order 32 bits of the value, however many digits there are.
std::int32_t parse_profile_int(std::string_view text);

// What a configuration file holds that the program cannot take as it stands: file names longer
// than it keeps, a line for each ("Tolvan.ini: FileRAM is 300 characters long; at most 255 are
// kept"). The fields then hold the names cut short, which must not be written to.
struct [[nodiscard]] ConfigurationStatus {
    std::string problems;

    bool ok() const { return problems.empty(); }
};

// Every key into its field, defaults for what is missing, then the checks of the timing values.
// Internal RAM cells 0x60-0x7F are not kept and read as 0.
ConfigurationStatus read_configuration(Emulator& emulator, const IniFile& file);
// Every key from its field (or those of one section), in the order in which a new file gets
// them.
void write_configuration(const Emulator& emulator, IniFile& file,
                         ConfigurationKeys keys = ConfigurationKeys::kEverything);

ConfigurationStatus load_configuration(Emulator& emulator);
// The RAM image file that the configuration file names now, which the next power-on reads.
std::string configured_ram_file_name();
// The file as a save of those keys would leave it: what it holds, with the keys named changed.
struct [[nodiscard]] ConfigurationText {
    std::string text;
    int error_number = 0;  // why the file could not be read; its contents were then never seen
};
ConfigurationText configuration_text(const Emulator& emulator, ConfigurationKeys keys);
// The file names of the file as it is now that the program cannot keep whole.
ConfigurationStatus check_configured_file_names();
// Rewrites the whole file at once, changing only the keys named and keeping whatever else it
// holds; fails when the file could not be read or written, and then leaves it as it was.
[[nodiscard]] WriteStatus save_configuration(
    const Emulator& emulator, ConfigurationKeys keys = ConfigurationKeys::kEverything);

}  // namespace tolvan
