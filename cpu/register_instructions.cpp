// Immediate loads, register and pointer steps, X and Y stepping, single transfers.
#include "cpu/flags.h"
#include "cpu/instructions.h"
#include "cpu/operands.h"

namespace tolvan::op {

namespace {

void load_immediate(Cpu& cpu, Bus& bus, std::uint8_t index) {
    cpu.iram[index] = operand_byte(cpu, bus);
    finish(cpu, 2, 4);
}

// INC and DEC leave Q on the register they changed and write the whole flags byte.
void increment_register(Cpu& cpu, std::uint8_t index) {
    cpu.q = index;
    const std::uint8_t old = cpu.iram[index]++;
    set_flags(cpu, old == 0xFF, old == 0xFF);
    finish(cpu, 1, 4);
}

void decrement_register(Cpu& cpu, std::uint8_t index) {
    cpu.q = index;
    const std::uint8_t result = --cpu.iram[index];
    set_flags(cpu, result == 0xFF, result == 0x00);
    finish(cpu, 1, 4);
}

// IX, DX, IY, DY and their memory forms: Q on the high byte, DP follows the register.
void step_index_register(Cpu& cpu, std::uint8_t low_index, int delta) {
    cpu.q = static_cast<std::uint8_t>(low_index + 1);
    const auto value = static_cast<std::uint16_t>(register_pair(cpu, low_index) + delta);
    set_register_pair(cpu, low_index, value);
    cpu.dp = value;
}

void load_through_x(Cpu& cpu, Bus& bus, int delta) {
    step_index_register(cpu, kRegisterXL, delta);
    register_a(cpu) = read_data_byte(bus.memory, cpu.dp);
    finish(cpu, 1, 7);
}

void store_through_y(Cpu& cpu, Bus& bus, int delta) {
    step_index_register(cpu, kRegisterYL, delta);
    write_data_byte(bus.memory, cpu.dp, register_a(cpu));
    finish(cpu, 1, 7);
}

void transfer_to_a(Cpu& cpu, std::uint8_t value) {
    register_a(cpu) = value;
    finish(cpu, 1, 2);
}

}  // namespace

void lii(Cpu& cpu, Bus& bus) {
    load_immediate(cpu, bus, kRegisterI);
}
void lij(Cpu& cpu, Bus& bus) {
    load_immediate(cpu, bus, kRegisterJ);
}
void lia(Cpu& cpu, Bus& bus) {
    load_immediate(cpu, bus, kRegisterA);
}
void lib(Cpu& cpu, Bus& bus) {
    load_immediate(cpu, bus, kRegisterB);
}

void lip(Cpu& cpu, Bus& bus) {
    cpu.p = operand_byte(cpu, bus) & kInternalRamMask;
    finish(cpu, 2, 4);
}

void liq(Cpu& cpu, Bus& bus) {
    cpu.q = operand_byte(cpu, bus) & kInternalRamMask;
    finish(cpu, 2, 4);
}

void lidl(Cpu& cpu, Bus& bus) {
    cpu.dp = static_cast<std::uint16_t>((cpu.dp & 0xFF00) | operand_byte(cpu, bus));
    finish(cpu, 2, 5);
}

void lidp(Cpu& cpu, Bus& bus) {
    cpu.dp = operand_word(cpu, bus);
    finish(cpu, 3, 8);
}

void lp(Cpu& cpu, Bus& bus) {
    cpu.p = read_program_byte(bus.memory, cpu.pc) & kInternalRamMask;
    finish(cpu, 1, 4);
}

void inci(Cpu& cpu, Bus&) {
    increment_register(cpu, kRegisterI);
}
void deci(Cpu& cpu, Bus&) {
    decrement_register(cpu, kRegisterI);
}
void incj(Cpu& cpu, Bus&) {
    increment_register(cpu, kRegisterJ);
}
void decj(Cpu& cpu, Bus&) {
    decrement_register(cpu, kRegisterJ);
}
void inca(Cpu& cpu, Bus&) {
    increment_register(cpu, kRegisterA);
}
void deca(Cpu& cpu, Bus&) {
    decrement_register(cpu, kRegisterA);
}
void incb(Cpu& cpu, Bus&) {
    increment_register(cpu, kRegisterB);
}
void decb(Cpu& cpu, Bus&) {
    decrement_register(cpu, kRegisterB);
}
void inck(Cpu& cpu, Bus&) {
    increment_register(cpu, kRegisterK);
}
void deck(Cpu& cpu, Bus&) {
    decrement_register(cpu, kRegisterK);
}
void incl(Cpu& cpu, Bus&) {
    increment_register(cpu, kRegisterL);
}
void decl(Cpu& cpu, Bus&) {
    decrement_register(cpu, kRegisterL);
}
void incm(Cpu& cpu, Bus&) {
    increment_register(cpu, kRegisterM);
}
void decm(Cpu& cpu, Bus&) {
    decrement_register(cpu, kRegisterM);
}
void incn(Cpu& cpu, Bus&) {
    increment_register(cpu, kRegisterN);
}
void decn(Cpu& cpu, Bus&) {
    decrement_register(cpu, kRegisterN);
}

void incp(Cpu& cpu, Bus&) {
    cpu.p = (cpu.p + 1) & kInternalRamMask;
    finish(cpu, 1, 2);
}

void decp(Cpu& cpu, Bus&) {
    cpu.p = (cpu.p - 1) & kInternalRamMask;
    finish(cpu, 1, 2);
}

void ix(Cpu& cpu, Bus&) {
    step_index_register(cpu, kRegisterXL, +1);
    finish(cpu, 1, 6);
}

void dx(Cpu& cpu, Bus&) {
    step_index_register(cpu, kRegisterXL, -1);
    finish(cpu, 1, 6);
}

void iy(Cpu& cpu, Bus&) {
    step_index_register(cpu, kRegisterYL, +1);
    finish(cpu, 1, 6);
}

void dy(Cpu& cpu, Bus&) {
    step_index_register(cpu, kRegisterYL, -1);
    finish(cpu, 1, 6);
}

void ixl(Cpu& cpu, Bus& bus) {
    load_through_x(cpu, bus, +1);
}
void dxl(Cpu& cpu, Bus& bus) {
    load_through_x(cpu, bus, -1);
}
void iys(Cpu& cpu, Bus& bus) {
    store_through_y(cpu, bus, +1);
}
void dys(Cpu& cpu, Bus& bus) {
    store_through_y(cpu, bus, -1);
}

void ra(Cpu& cpu, Bus&) {
    transfer_to_a(cpu, 0);
}
void ldm(Cpu& cpu, Bus&) {
    transfer_to_a(cpu, iram_at(cpu, cpu.p));
}
void ldp(Cpu& cpu, Bus&) {
    transfer_to_a(cpu, cpu.p);
}
void ldq(Cpu& cpu, Bus&) {
    transfer_to_a(cpu, cpu.q);
}
void ldr(Cpu& cpu, Bus&) {
    transfer_to_a(cpu, cpu.r);
}

void ldd(Cpu& cpu, Bus& bus) {
    register_a(cpu) = read_data_byte(bus.memory, cpu.dp);
    finish(cpu, 1, 3);
}

void std_(Cpu& cpu, Bus& bus) {
    write_data_byte(bus.memory, cpu.dp, register_a(cpu));
    finish(cpu, 1, 2);
}

void stp(Cpu& cpu, Bus&) {
    cpu.p = register_a(cpu);
    finish(cpu, 1, 2);
}

void stq(Cpu& cpu, Bus&) {
    cpu.q = register_a(cpu);
    finish(cpu, 1, 2);
}

void str(Cpu& cpu, Bus&) {
    cpu.r = register_a(cpu);
    finish(cpu, 1, 2);
}

}  // namespace tolvan::op
