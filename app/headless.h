// The headless front end: carries out the actions of the command line in order on a machine
// built as the window builds it, and prints what they ask for.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "app/command_line.h"

namespace tolvan {

// What the program answers without running: the help, the version, or a usage error. Returns
// the exit status then, nothing when the line asks for a run.
[[nodiscard]] std::optional<int> answer_at_once(const ParsedCommandLine& parsed, std::ostream& out,
                                                std::ostream& err);

// A headless run of the command line, in the current directory. Returns the exit status.
[[nodiscard]] int run_headless_line(const CommandLine& line, std::ostream& out, std::ostream& err);

// The same for the arguments after "--headless", as the program reads them (without -C).
[[nodiscard]] int run_headless(const std::vector<std::string>& arguments, std::ostream& out,
                               std::ostream& err);

}  // namespace tolvan
