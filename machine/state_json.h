// The machine state as one line of JSON, for scripts (the headless program's --state).
#pragma once

#include <string>

#include "machine/emulator.h"

namespace tolvan {

// Every field of the state description under its English name, numbers as decimal and the
// small byte blocks as lower-case hexadecimal; a field that earlier versions printed under
// another key is printed under that key as well, so that existing scripts keep working.
std::string state_json(const Emulator& emulator);

}  // namespace tolvan
