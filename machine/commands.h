// The machine-control commands that the window's menu and the headless front end share.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "machine/control.h"
#include "machine/emulator.h"
#include "machine/failures.h"

namespace tolvan {

// Where Simple Reset restarts the firmware: its warm start.
inline constexpr std::uint16_t kWarmStartAddress = 0x0018;

// What window creation and Load RAM do: clear the key-down flag and the scan-pass counter, power
// on and make the after-load reset; the history takes the machine as a new state. Returns what
// power-on found of the files.
PowerOnResult start_machine(Emulator& emulator);

struct [[nodiscard]] LoadRamResult {
    Failures failures;
    // What start_machine returned; empty when the image was found incomplete and the machine
    // was not started again.
    std::optional<PowerOnResult> started;
};
// Load RAM: start_machine, but only once the RAM image that power-on will read is known to be
// complete; otherwise the running machine is left as it was. The failures are those of the
// check and of power-on.
LoadRamResult load_ram(Emulator& emulator);
// Simple Reset: the firmware restarts at its warm start with BRK pending.
void simple_reset(Emulator& emulator);
// All Reset: the firmware restarts at 0 with nothing pending.
void all_reset(Emulator& emulator);
// Break (Basic): BRK pressed.
void press_break(Emulator& emulator);
// A confirmed change of the RAM size option; memory is untouched and the firmware restarts.
void change_ram_size(Emulator& emulator, std::int8_t kilobytes);
// The speed box: the delay that sets the speed, and the timer limits (a change that the
// history logs).
void change_speed(Emulator& emulator, std::int32_t max_delay, std::int32_t timer_limit_512ms,
                  std::int32_t timer_limit_2ms);

inline constexpr const char* kStateSaveError = "Cannot save the state";
inline constexpr const char* kStateLoadError = "Cannot load the state";
// The whole machine into a state file; fails with the file and the system's reason.
Failures save_state(const Emulator& emulator, const std::string& path);
// The machine from a state file, as a new moment of its history; a file that cannot be loaded
// (unreadable, damaged, from a later version or from other ROM images) changes nothing.
Failures load_state(Emulator& emulator, const std::string& path);
// Unassemble: the range that the unassembler settings name, into their file; fails when the file
// cannot be opened or written in full.
Failures run_unassembler(const Emulator& emulator);

}  // namespace tolvan
