// The processor's stack in internal RAM, read as a debugger shows it: the return addresses
// that calls left there, and the bytes pushed between them.
#pragma once

#include <cstdint>
#include <vector>

#include "cpu/state.h"
#include "machine/emulator.h"

namespace tolvan {

// The port latch bytes start at the stack's top, so the stack grows down from just below.
inline constexpr unsigned kStackTop = kPortAByte;

struct StackSlot {
    std::uint8_t index = 0;  // where in internal RAM
    bool return_address = false;
    std::uint16_t value = 0;  // the return address, or the byte
};

// From R (the top of the stack, the most recent push) upwards. A pair of bytes counts as a
// return address when the instruction before the address it names is a call, so that pushed
// data are not taken for addresses.
std::vector<StackSlot> stack_slots(const Emulator& emulator);

}  // namespace tolvan
