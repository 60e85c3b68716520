// The debug adapter with the calculator's window: the user types on the machine while the
// editor debugs it. Standard input is read without blocking the event loop, and the session
// hears of every slice.
#pragma once

#include "base/dap_framing.h"
#include "machine/dap_session.h"
#include "machine/machine_folder.h"

namespace tolvan {

// The window on the folder (already the current directory), attached to the session whose
// launch waits for it; messages already in the reader are handled first. Returns the exit
// status once the client disconnects, the input ends or the window is closed.
[[nodiscard]] int run_dap_window(int argc, char** argv, const MachineFolder& folder,
                                 DapSession& session, MessageReader& reader);

}  // namespace tolvan
