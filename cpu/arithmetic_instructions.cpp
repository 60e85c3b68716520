// Binary add and subtract, AND, OR, test and compare on A, (P) and [DP].
#include "cpu/flags.h"
#include "cpu/instructions.h"
#include "cpu/operands.h"

namespace tolvan::op {

namespace {

std::uint8_t& memory_operand(Cpu& cpu) {
    return iram_at(cpu, cpu.p);
}

// The immediate forms: two bytes, four cycles.
template <typename Operation>
void with_immediate(Cpu& cpu, Bus& bus, Operation operation) {
    operation(operand_byte(cpu, bus));
    finish(cpu, 2, 4);
}

// The forms on [DP]: the data read comes before the operand read and the write comes last.
template <typename Combine>
void on_data_pointer(Cpu& cpu, Bus& bus, bool store, Combine combine) {
    const std::uint8_t memory = read_data_byte(bus.memory, cpu.dp);
    const std::uint8_t result = logic_flags(cpu, combine(memory, operand_byte(cpu, bus)));
    if (store) write_data_byte(bus.memory, cpu.dp, result);
    finish(cpu, 2, 6);
}

void compare(Cpu& cpu, std::uint8_t first, std::uint8_t second) {
    subtract_flags(cpu, first - second);
}

unsigned carry_in(const Cpu& cpu) {
    return carry_flag(cpu) ? 1 : 0;
}

}  // namespace

void adia(Cpu& cpu, Bus& bus) {
    with_immediate(cpu, bus,
                   [&](unsigned n) { register_a(cpu) = add_flags(cpu, register_a(cpu) + n); });
}

void adim(Cpu& cpu, Bus& bus) {
    with_immediate(cpu, bus, [&](unsigned n) {
        memory_operand(cpu) = add_flags(cpu, memory_operand(cpu) + n);
    });
}

void adm(Cpu& cpu, Bus&) {
    memory_operand(cpu) = add_flags(cpu, memory_operand(cpu) + register_a(cpu));
    finish(cpu, 1, 3);
}

void adcm(Cpu& cpu, Bus&) {
    const unsigned sum = memory_operand(cpu) + register_a(cpu) + carry_in(cpu);
    memory_operand(cpu) = add_flags(cpu, sum);
    finish(cpu, 1, 3);
}

void sbia(Cpu& cpu, Bus& bus) {
    with_immediate(cpu, bus,
                   [&](int n) { register_a(cpu) = subtract_flags(cpu, register_a(cpu) - n); });
}

void sbim(Cpu& cpu, Bus& bus) {
    with_immediate(cpu, bus, [&](int n) {
        memory_operand(cpu) = subtract_flags(cpu, memory_operand(cpu) - n);
    });
}

void sbm(Cpu& cpu, Bus&) {
    memory_operand(cpu) = subtract_flags(cpu, memory_operand(cpu) - register_a(cpu));
    finish(cpu, 1, 3);
}

// The borrow is taken from (P) first, so (P) = 0, A = 0xFF, C = 1 gives -256: C set, Z clear.
void sbcm(Cpu& cpu, Bus&) {
    const int minuend = memory_operand(cpu) - static_cast<int>(carry_in(cpu));
    memory_operand(cpu) = subtract_flags(cpu, minuend - register_a(cpu));
    finish(cpu, 1, 3);
}

void ania(Cpu& cpu, Bus& bus) {
    with_immediate(cpu, bus,
                   [&](unsigned n) { register_a(cpu) = logic_flags(cpu, register_a(cpu) & n); });
}

void oria(Cpu& cpu, Bus& bus) {
    with_immediate(cpu, bus,
                   [&](unsigned n) { register_a(cpu) = logic_flags(cpu, register_a(cpu) | n); });
}

void tsia(Cpu& cpu, Bus& bus) {
    with_immediate(cpu, bus, [&](unsigned n) { logic_flags(cpu, register_a(cpu) & n); });
}

void cpia(Cpu& cpu, Bus& bus) {
    with_immediate(cpu, bus, [&](std::uint8_t n) { compare(cpu, register_a(cpu), n); });
}

void anim(Cpu& cpu, Bus& bus) {
    with_immediate(cpu, bus, [&](unsigned n) {
        memory_operand(cpu) = logic_flags(cpu, memory_operand(cpu) & n);
    });
}

void orim(Cpu& cpu, Bus& bus) {
    with_immediate(cpu, bus, [&](unsigned n) {
        memory_operand(cpu) = logic_flags(cpu, memory_operand(cpu) | n);
    });
}

void tsim(Cpu& cpu, Bus& bus) {
    with_immediate(cpu, bus, [&](unsigned n) { logic_flags(cpu, memory_operand(cpu) & n); });
}

void cpim(Cpu& cpu, Bus& bus) {
    with_immediate(cpu, bus, [&](std::uint8_t n) { compare(cpu, memory_operand(cpu), n); });
}

void anma(Cpu& cpu, Bus&) {
    memory_operand(cpu) = logic_flags(cpu, memory_operand(cpu) & register_a(cpu));
    finish(cpu, 1, 3);
}

void orma(Cpu& cpu, Bus&) {
    memory_operand(cpu) = logic_flags(cpu, memory_operand(cpu) | register_a(cpu));
    finish(cpu, 1, 3);
}

void tsma(Cpu& cpu, Bus&) {
    logic_flags(cpu, memory_operand(cpu) & register_a(cpu));
    finish(cpu, 1, 3);
}

void cpma(Cpu& cpu, Bus&) {
    compare(cpu, memory_operand(cpu), register_a(cpu));
    finish(cpu, 1, 3);
}

void anid(Cpu& cpu, Bus& bus) {
    on_data_pointer(cpu, bus, true, [](unsigned m, unsigned n) { return m & n; });
}

void orid(Cpu& cpu, Bus& bus) {
    on_data_pointer(cpu, bus, true, [](unsigned m, unsigned n) { return m | n; });
}

void tsid(Cpu& cpu, Bus& bus) {
    on_data_pointer(cpu, bus, false, [](unsigned m, unsigned n) { return m & n; });
}

}  // namespace tolvan::op
