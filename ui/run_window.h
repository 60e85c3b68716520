// The desktop front end: the application, its one window and the event loop.
#pragma once

#include <optional>

#include "machine/machine_folder.h"

namespace tolvan {

// The exit status when there is no graphical session to open the window in: that of any error
// that the program reports.
inline constexpr int kExitNoDisplay = 1;

// Runs the window until it is closed; returns the process exit code. Without a graphical
// session it says so on standard error, pointing to --headless, and returns kExitNoDisplay.
// When the environment variable TOLVAN_GRAB names a PNG file, the window saves a picture of
// itself there after TOLVAN_GRAB_DELAY_MS milliseconds (default 1500) and closes; with
// TOLVAN_GRAB_STOP (an address or a label) the picture shows the debugger's window beside it,
// stopped there. `chosen` is the machine folder that the command line chose and that is the current
// directory already; without one, the window chooses its folder (see choose_machine_folder) with
// the remembered preference.
[[nodiscard]] int run_window(int argc, char** argv, const std::optional<MachineFolder>& chosen);

}  // namespace tolvan
