// The machine state that --state prints: one line of JSON.
#pragma once

#include <string>

#include "machine/emulator.h"

namespace tolvan {

std::string state_json(const Emulator& emulator);

}  // namespace tolvan
