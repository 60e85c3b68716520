// Waits, carry and rotate instructions, exchanges, fills and block moves.
//
// A block works on count register + 1 bytes, read once at the start, ascending one byte at a
// time so that overlapping spans behave byte by byte. Internal-RAM pointers wrap at 128.
#include <utility>

#include "cpu/flags.h"
#include "cpu/instructions.h"
#include "cpu/operands.h"

namespace tolvan::op {

namespace {

// The pointers that a block instruction walks.
enum Pointers : unsigned { kStepP = 1, kStepQ = 2, kStepDp = 4 };

void step_pointer(std::uint8_t& pointer) {
    pointer = (pointer + 1) & kInternalRamMask;
}

// Runs one byte step count times, advancing the pointers the instruction uses after each byte.
template <typename ByteStep>
void for_each_block_byte(Cpu& cpu, int count, unsigned pointers, ByteStep byte_step) {
    for (int n = 0; n < count; ++n) {
        byte_step();
        if (pointers & kStepP) step_pointer(cpu.p);
        if (pointers & kStepQ) step_pointer(cpu.q);
        if (pointers & kStepDp) ++cpu.dp;
    }
}

void exchange_internal(Cpu& cpu, std::uint8_t count_register, int cost_per_byte, int base) {
    const int count = cpu.iram[count_register];
    for_each_block_byte(cpu, count + 1, kStepP | kStepQ,
                        [&] { std::swap(iram_at(cpu, cpu.p), iram_at(cpu, cpu.q)); });
    finish(cpu, 1, cost_per_byte * count + base);
}

void exchange_with_memory(Cpu& cpu, Bus& bus, std::uint8_t count_register) {
    const int count = cpu.iram[count_register];
    for_each_block_byte(cpu, count + 1, kStepP | kStepDp, [&] {
        const std::uint8_t held = iram_at(cpu, cpu.p);
        iram_at(cpu, cpu.p) = read_data_byte(bus.memory, cpu.dp);
        write_data_byte(bus.memory, cpu.dp, held);
    });
    finish(cpu, 1, 6 * count + 7);
}

void move_internal(Cpu& cpu, std::uint8_t count_register) {
    const int count = cpu.iram[count_register];
    for_each_block_byte(cpu, count + 1, kStepP | kStepQ,
                        [&] { iram_at(cpu, cpu.p) = iram_at(cpu, cpu.q); });
    finish(cpu, 1, 2 * count + 10);
}

void move_from_memory(Cpu& cpu, Bus& bus, std::uint8_t count_register) {
    const int count = cpu.iram[count_register];
    for_each_block_byte(cpu, count + 1, kStepP | kStepDp,
                        [&] { iram_at(cpu, cpu.p) = read_data_byte(bus.memory, cpu.dp); });
    finish(cpu, 1, 4 * count + 20);
}

// READ and READM leave PC on the byte they read, which is then fetched as the next opcode.
std::uint8_t read_next_program_byte(Cpu& cpu, Bus& bus) {
    cpu.pc = pc_plus(cpu, 1);
    cpu.cycle_cost = 3;
    return read_program_byte(bus.memory, cpu.pc);
}

}  // namespace

void nopw(Cpu& cpu, Bus&) {
    finish(cpu, 1, 2);
}
void nopt(Cpu& cpu, Bus&) {
    finish(cpu, 1, 3);
}
void wait(Cpu& cpu, Bus& bus) {
    finish(cpu, 2, operand_byte(cpu, bus) + 6);
}

void waiti(Cpu& cpu, Bus&) {
    cpu.p = 0;
    set_zero(cpu, true);
    finish(cpu, 1, 4 * register_i(cpu) + 20);
}

void rc(Cpu& cpu, Bus&) {
    set_flags(cpu, false, true);
    finish(cpu, 1, 2);
}

void sc(Cpu& cpu, Bus&) {
    set_flags(cpu, true, true);
    finish(cpu, 1, 2);
}

void sl(Cpu& cpu, Bus&) {
    const std::uint8_t old = register_a(cpu);
    register_a(cpu) = static_cast<std::uint8_t>(old << 1 | (carry_flag(cpu) ? 0x01 : 0));
    set_flags(cpu, (old & 0x80) != 0, register_a(cpu) == 0);
    finish(cpu, 1, 2);
}

void sr(Cpu& cpu, Bus&) {
    const std::uint8_t old = register_a(cpu);
    register_a(cpu) = static_cast<std::uint8_t>(old >> 1 | (carry_flag(cpu) ? 0x80 : 0));
    set_flags(cpu, (old & 0x01) != 0, register_a(cpu) == 0);
    finish(cpu, 1, 2);
}

void swp(Cpu& cpu, Bus&) {
    const std::uint8_t old = register_a(cpu);
    register_a(cpu) = static_cast<std::uint8_t>(old >> 4 | old << 4);
    finish(cpu, 1, 2);
}

void exab(Cpu& cpu, Bus&) {
    std::swap(register_a(cpu), register_b(cpu));
    finish(cpu, 1, 3);
}

void exam(Cpu& cpu, Bus&) {
    std::swap(register_a(cpu), iram_at(cpu, cpu.p));
    finish(cpu, 1, 3);
}

void exw(Cpu& cpu, Bus&) {
    exchange_internal(cpu, kRegisterI, 4, 12);
}
void exb(Cpu& cpu, Bus&) {
    exchange_internal(cpu, kRegisterJ, 4, 12);
}
void exwd(Cpu& cpu, Bus& bus) {
    exchange_with_memory(cpu, bus, kRegisterI);
}
void exbd(Cpu& cpu, Bus& bus) {
    exchange_with_memory(cpu, bus, kRegisterJ);
}

void film(Cpu& cpu, Bus&) {
    const int count = register_i(cpu);
    const std::uint8_t value = register_a(cpu);
    for_each_block_byte(cpu, count + 1, kStepP, [&] { iram_at(cpu, cpu.p) = value; });
    finish(cpu, 1, count + 5);
}

void fild(Cpu& cpu, Bus& bus) {
    const int count = register_i(cpu);
    for_each_block_byte(cpu, count + 1, kStepDp,
                        [&] { write_data_byte(bus.memory, cpu.dp, register_a(cpu)); });
    finish(cpu, 1, 4 * count + 8);
}

void mvw(Cpu& cpu, Bus&) {
    move_internal(cpu, kRegisterI);
}
void mvb(Cpu& cpu, Bus&) {
    move_internal(cpu, kRegisterJ);
}
void mvwd(Cpu& cpu, Bus& bus) {
    move_from_memory(cpu, bus, kRegisterI);
}
void mvbd(Cpu& cpu, Bus& bus) {
    move_from_memory(cpu, bus, kRegisterJ);
}

// DATA copies a constant table from program memory at BA; BA itself is not advanced.
void data(Cpu& cpu, Bus& bus) {
    const int count = register_i(cpu);
    auto source = register_pair(cpu, kRegisterA);
    for_each_block_byte(cpu, count + 1, kStepP,
                        [&] { iram_at(cpu, cpu.p) = read_program_byte(bus.memory, source++); });
    finish(cpu, 1, 2 * count + 22);
}

void mvdm(Cpu& cpu, Bus& bus) {
    write_data_byte(bus.memory, cpu.dp, iram_at(cpu, cpu.p));
    finish(cpu, 1, 3);
}

void mvmd(Cpu& cpu, Bus& bus) {
    iram_at(cpu, cpu.p) = read_data_byte(bus.memory, cpu.dp);
    finish(cpu, 1, 3);
}

void readm(Cpu& cpu, Bus& bus) {
    register_a(cpu) = read_next_program_byte(cpu, bus);
}
void read(Cpu& cpu, Bus& bus) {
    iram_at(cpu, cpu.p) = read_next_program_byte(cpu, bus);
}

}  // namespace tolvan::op
