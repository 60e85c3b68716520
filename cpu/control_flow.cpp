// Jumps, calls and returns, the stack, LOOP, the PTJ/DTJ multi-way branch, and the routines of
// the undefined and no-op opcodes.
#include "cpu/flags.h"
#include "cpu/instructions.h"
#include "cpu/operands.h"

namespace tolvan::op {

namespace {

constexpr int kRelativeTaken = 7;
constexpr int kRelativeNotTaken = 4;

// Relative offsets count from the offset byte itself, not from the next instruction.
std::uint16_t relative_target(const Cpu& cpu, const Bus& bus, bool forward) {
    const int offset = operand_byte(cpu, bus);
    return pc_plus(cpu, forward ? 1 + offset : 1 - offset);
}

void jump_relative(Cpu& cpu, const Bus& bus, bool forward, bool condition) {
    if (condition) {
        cpu.pc = relative_target(cpu, bus, forward);
        cpu.cycle_cost = kRelativeTaken;
    } else {
        finish(cpu, 2, kRelativeNotTaken);
    }
}

// A conditional absolute jump costs the same whether it is taken or not.
void jump_absolute(Cpu& cpu, const Bus& bus, bool condition) {
    const std::uint16_t target = operand_word(cpu, bus);
    finish(cpu, 3, 6);
    if (condition) cpu.pc = target;
}

void push_byte(Cpu& cpu, std::uint8_t value) {
    --cpu.r;
    iram_at(cpu, cpu.r) = value;
}

std::uint8_t pop_byte(Cpu& cpu) {
    return iram_at(cpu, cpu.r++);
}

void push_return_address(Cpu& cpu, std::uint16_t address) {
    push_byte(cpu, static_cast<std::uint8_t>(address >> 8));
    push_byte(cpu, static_cast<std::uint8_t>(address));
}

}  // namespace

void jrp(Cpu& cpu, Bus& bus) {
    jump_relative(cpu, bus, true, true);
}
void jrm(Cpu& cpu, Bus& bus) {
    jump_relative(cpu, bus, false, true);
}
void jrzp(Cpu& cpu, Bus& bus) {
    jump_relative(cpu, bus, true, zero_flag(cpu));
}
void jrzm(Cpu& cpu, Bus& bus) {
    jump_relative(cpu, bus, false, zero_flag(cpu));
}
void jrnzp(Cpu& cpu, Bus& bus) {
    jump_relative(cpu, bus, true, !zero_flag(cpu));
}
void jrnzm(Cpu& cpu, Bus& bus) {
    jump_relative(cpu, bus, false, !zero_flag(cpu));
}
void jrcp(Cpu& cpu, Bus& bus) {
    jump_relative(cpu, bus, true, carry_flag(cpu));
}
void jrcm(Cpu& cpu, Bus& bus) {
    jump_relative(cpu, bus, false, carry_flag(cpu));
}
void jrncp(Cpu& cpu, Bus& bus) {
    jump_relative(cpu, bus, true, !carry_flag(cpu));
}
void jrncm(Cpu& cpu, Bus& bus) {
    jump_relative(cpu, bus, false, !carry_flag(cpu));
}

void jp(Cpu& cpu, Bus& bus) {
    jump_absolute(cpu, bus, true);
}
void jpz(Cpu& cpu, Bus& bus) {
    jump_absolute(cpu, bus, zero_flag(cpu));
}
void jpnz(Cpu& cpu, Bus& bus) {
    jump_absolute(cpu, bus, !zero_flag(cpu));
}
void jpc(Cpu& cpu, Bus& bus) {
    jump_absolute(cpu, bus, carry_flag(cpu));
}
void jpnc(Cpu& cpu, Bus& bus) {
    jump_absolute(cpu, bus, !carry_flag(cpu));
}

void call(Cpu& cpu, Bus& bus) {
    const std::uint16_t target = operand_word(cpu, bus);
    push_return_address(cpu, pc_plus(cpu, 3));
    cpu.pc = target;
    cpu.cycle_cost = 8;
}

// CAL takes the high part of its target, 0x00-0x1F, from the low bits of its own opcode.
void cal(Cpu& cpu, Bus& bus) {
    const int high = read_program_byte(bus.memory, cpu.pc) & 0x1F;
    const std::uint16_t target = static_cast<std::uint16_t>(high << 8 | operand_byte(cpu, bus));
    push_return_address(cpu, pc_plus(cpu, 2));
    cpu.pc = target;
    cpu.cycle_cost = 7;
}

void rtn(Cpu& cpu, Bus&) {
    const std::uint8_t low = pop_byte(cpu);
    const std::uint8_t high = pop_byte(cpu);
    cpu.pc = static_cast<std::uint16_t>(high << 8 | low);
    cpu.cycle_cost = 4;
}

void push(Cpu& cpu, Bus&) {
    push_byte(cpu, register_a(cpu));
    finish(cpu, 1, 3);
}

void pop(Cpu& cpu, Bus&) {
    register_a(cpu) = pop_byte(cpu);
    finish(cpu, 1, 2);
}

void leave(Cpu& cpu, Bus&) {
    iram_at(cpu, cpu.r) = 0;
    finish(cpu, 1, 2);
}

// The loop counter is the byte on top of the stack; it is dropped once it runs out.
void loop(Cpu& cpu, Bus& bus) {
    const std::uint8_t counter = --iram_at(cpu, cpu.r);
    if (counter == 0xFF) {
        cpu.flags = kFlagC;
        ++cpu.r;
        finish(cpu, 2, 7);
        return;
    }
    set_flags(cpu, false, counter == 0);
    cpu.pc = relative_target(cpu, bus, false);
    cpu.cycle_cost = 10;
}

void ptj(Cpu& cpu, Bus& bus) {
    cpu.case_counter = operand_byte(cpu, bus);
    push_byte(cpu, read_program_byte(bus.memory, pc_plus(cpu, 2)));
    push_byte(cpu, read_program_byte(bus.memory, pc_plus(cpu, 3)));
    finish(cpu, 4, 9);
}

// DTJ is followed by case-counter entries of (value, target) and a default target; the first
// entry whose value equals A wins. A case counter of 0 stands for 256 entries.
void dtj(Cpu& cpu, Bus& bus) {
    cpu.cycle_cost = 2;
    cpu.pc = pc_plus(cpu, 1);
    cpu.flags = kFlagZ;
    do {
        --cpu.case_counter;
        const std::uint8_t value = read_program_byte(bus.memory, cpu.pc);
        cpu.pc = pc_plus(cpu, 1);
        if (value == register_a(cpu)) {
            cpu.pc = read_program_word(bus.memory, cpu.pc);
            cpu.cycle_cost += 4;
            return;
        }
        cpu.pc = pc_plus(cpu, 2);
        cpu.cycle_cost += 3;
    } while (cpu.case_counter != 0);
    cpu.pc = read_program_word(bus.memory, cpu.pc);
    cpu.cycle_cost += 2;
}

// An undefined opcode changes nothing, not even the cycle cost: the processor stays on it.
void undefined(Cpu&, Bus&) {}

void no_operation(Cpu& cpu, Bus&) {
    finish(cpu, 1, 2);
}

}  // namespace tolvan::op
