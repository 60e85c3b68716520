// The instruction step: one instruction with its timing (delay loop and timer counters).
#pragma once

#include <cstdint>

#include "bus/bus.h"
#include "cpu/state.h"

namespace tolvan {

void step(Cpu& cpu, Bus& bus);

// Burns host time in proportion to MaxDelay / cycle cost and returns the number of passes:
// none for a negative MaxDelay, MaxDelay / cost + 1 otherwise.
std::int64_t run_delay_loop(const Cpu& cpu);

// Adds the cycle cost to both timer counters; a counter that passes its limit restarts at 0
// (the excess is dropped) and sets its elapsed flag.
void advance_timers(Cpu& cpu);

}  // namespace tolvan
