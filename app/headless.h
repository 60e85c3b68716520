// The headless front end: builds the machine as the window does, carries out the actions of
// the command line in order, and prints what they ask for.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace tolvan {

inline constexpr int kExitOk = 0;
inline constexpr int kExitReportedError = 1;
inline constexpr int kExitUsage = 2;
// A run after --until ended before PC reached the address.
inline constexpr int kExitNotReached = 3;

// The arguments after "--headless" (with -C already handled). Returns the exit status.
[[nodiscard]] int run_headless(const std::vector<std::string>& arguments, std::ostream& out,
                               std::ostream& err);

// The usage text of the whole program.
std::string usage_text();

}  // namespace tolvan
