// The machine-control commands that the window's menu and the headless front end share.
#pragma once

#include <cstdint>
#include <string>

#include "machine/emulator.h"

namespace tolvan {

// Where Simple Reset restarts the firmware: its warm start.
inline constexpr std::uint16_t kWarmStartAddress = 0x0018;

// What window creation and Load RAM do: clear the key-down flag, the scan-pass counter and the
// error flag, power on, and unless an error was reported, the after-load reset.
void start_machine(Emulator& emulator);
// Load RAM: start_machine, but only once the RAM image that power-on will read is known to be
// complete; otherwise the failure is reported and the running machine is left as it was.
void load_ram(Emulator& emulator);
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
// The whole machine into a state file; a failure is reported with the file and the reason.
void save_state(Emulator& emulator, const std::string& path);
// The machine from a state file; a file that cannot be loaded (unreadable, damaged, from other
// ROM images) is reported and changes nothing.
void load_state(Emulator& emulator, const std::string& path);
// Unassemble: the range that the unassembler settings name, into their file; a file that cannot
// be opened or written in full is reported.
void run_unassembler(Emulator& emulator);

}  // namespace tolvan
