// `tolvan --dap`: the debug adapter on standard input and output. Standard output carries only
// the protocol's messages; anything else goes to standard error or as output events.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/dap_framing.h"
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

// Runs the machine in the window for a launch that wants one: the folder is entered, the
// session waits for the window's machine (finish_launch) and the reader may hold messages
// already received. Returns the exit status.
using DapWindowRunner = int (*)(int argc, char** argv, const MachineFolder& folder,
                                DapSession& session, MessageReader& reader);

// Talks the protocol until the client disconnects or the input ends. Returns the exit status.
// Without a window runner (a build without the window) a launch must ask for noWindow.
[[nodiscard]] int run_dap(int argc, char** argv, DapWindowRunner window);

}  // namespace tolvan
