// Operand fetch and the bookkeeping every routine ends with.
#pragma once

#include <cstdint>

#include "bus/bus.h"
#include "cpu/state.h"

namespace tolvan {

inline std::uint16_t pc_plus(const Cpu& cpu, int offset) {
    return static_cast<std::uint16_t>(cpu.pc + offset);
}
inline std::uint8_t operand_byte(const Cpu& cpu, const Bus& bus) {
    return read_program_byte(bus.memory, pc_plus(cpu, 1));
}
inline std::uint16_t operand_word(const Cpu& cpu, const Bus& bus) {
    return read_program_word(bus.memory, pc_plus(cpu, 1));
}
// Moves PC past an instruction of the given length and stores its cost.
inline void finish(Cpu& cpu, int length, int cost) {
    cpu.pc = pc_plus(cpu, length);
    cpu.cycle_cost = cost;
}

}  // namespace tolvan
