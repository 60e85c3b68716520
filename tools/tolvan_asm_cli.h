// The command line of tolvan-asm:
//   tolvan-asm [-o IMAGE] [--range FROM-TO] [--fill BYTE] [--listing FILE] [--symbols FILE]
//              [--debug-info FILE] [--base IMAGE [--base-at ADDRESS]] SOURCE
// Exit status 0 on success, 1 on errors in the source (or files that cannot be read or
// written), 2 on wrong usage, which includes an output that is one of the inputs or the other
// output. Nothing is written unless the whole source assembles, and every output replaces its
// file only once complete.
#pragma once

#include <ostream>

namespace tolvan {

inline constexpr int kAsmSuccess = 0;
inline constexpr int kAsmSourceErrors = 1;
inline constexpr int kAsmUsageError = 2;

int run_tolvan_asm(int argc, const char* const argv[], std::ostream& out, std::ostream& err);

}  // namespace tolvan
