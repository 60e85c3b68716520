// `tolvan --dap`: the debug adapter on standard input and output. Standard output carries only
// the protocol's messages; anything else goes to standard error or as output events.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "machine/dap_session.h"
#include "machine/machine_folder.h"

namespace tolvan {

// The folder that a launch names, entered (the current directory from then on): the machine
// folder given, or the demo firmware's working folder. Nothing but the reason on failure;
// `notes` gets what the user should hear of all the same.
struct EnteredFolder {
    std::optional<MachineFolder> folder;
    std::string error;
    std::vector<std::string> notes;
};
[[nodiscard]] EnteredFolder enter_launch_folder(const LaunchArguments& arguments);

// Talks the protocol until the client disconnects or the input ends. Returns the exit status.
// `argc`/`argv` go to the window when the launch asks for one.
[[nodiscard]] int run_dap(int argc, char** argv);

}  // namespace tolvan
