// Multi-byte packed-BCD add and subtract, 16-bit word add and subtract, and digit shifts.
//
// A decimal number is I + 1 internal-RAM bytes, most significant at the lowest address; the
// add and subtract walk down from its least significant byte at P (and Q).
#include "cpu/flags.h"
#include "cpu/instructions.h"
#include "cpu/operands.h"

namespace tolvan::op {

namespace {

constexpr int kDecimalBase = 100;

void step_down(std::uint8_t& pointer) {
    pointer = (pointer - 1) & kInternalRamMask;
}
void step_up(std::uint8_t& pointer) {
    pointer = (pointer + 1) & kInternalRamMask;
}

struct DecimalDigitPair {
    int result;
    bool carry;
};

DecimalDigitPair decimal_add(int u, int v) {
    const int sum = u + v;
    return sum >= kDecimalBase ? DecimalDigitPair{sum - kDecimalBase, true}
                               : DecimalDigitPair{sum, false};
}

DecimalDigitPair decimal_subtract(int u, int v) {
    return u < v ? DecimalDigitPair{u - v + kDecimalBase, true} : DecimalDigitPair{u - v, false};
}

// One loop for ADN, SBN, ADW and SBW. With a second span at Q, its byte and the carry form the
// second operand; without one, A's value goes into the first byte and the carry into the rest.
void decimal_loop(Cpu& cpu, bool subtract, bool second_span) {
    const int count = register_i(cpu) + 1;
    int immediate = bcd_value(register_a(cpu));
    bool carry = false;
    bool all_zero = true;
    for (int n = 0; n < count; ++n) {
        int v = immediate;
        if (second_span) {
            v = bcd_value(iram_at(cpu, cpu.q)) + (carry ? 1 : 0);
            step_down(cpu.q);
        }
        const int u = bcd_value(iram_at(cpu, cpu.p));
        const DecimalDigitPair pair = subtract ? decimal_subtract(u, v) : decimal_add(u, v);
        carry = pair.carry;
        const std::uint8_t stored = bcd_encode(pair.result);
        iram_at(cpu, cpu.p) = stored;
        all_zero = all_zero && stored == 0;
        step_down(cpu.p);
        immediate = carry ? 1 : 0;
    }
    set_flags(cpu, carry, all_zero);
    finish(cpu, 1, 4 * (count - 1) + 14);
}

// ADB and SBB: the word at (P) low and (P + 1) high, with BA; P ends on the high byte.
void word_operation(Cpu& cpu, bool subtract) {
    const int word = iram_at(cpu, cpu.p) | iram_at(cpu, cpu.p + 1) << 8;
    const int ba = register_pair(cpu, kRegisterA);
    const int result = subtract ? word - ba : word + ba;
    const bool carry = subtract ? result < 0 : result > 0xFFFF;
    set_flags(cpu, carry, (result & 0xFFFF) == 0);
    iram_at(cpu, cpu.p) = static_cast<std::uint8_t>(result);
    step_up(cpu.p);
    iram_at(cpu, cpu.p) = static_cast<std::uint8_t>(result >> 8);
    finish(cpu, 1, 5);
}

}  // namespace

void adn(Cpu& cpu, Bus&) {
    decimal_loop(cpu, false, false);
}
void sbn(Cpu& cpu, Bus&) {
    decimal_loop(cpu, true, false);
}
void adw(Cpu& cpu, Bus&) {
    decimal_loop(cpu, false, true);
}
void sbw(Cpu& cpu, Bus&) {
    decimal_loop(cpu, true, true);
}
void adb(Cpu& cpu, Bus&) {
    word_operation(cpu, false);
}
void sbb(Cpu& cpu, Bus&) {
    word_operation(cpu, true);
}

// SRW moves a number one digit toward its less significant end (upward from P); previous is
// each byte as the loop reads it, so a span longer than 128 bytes sees its own new digits.
void srw(Cpu& cpu, Bus&) {
    const int count = register_i(cpu) + 1;
    std::uint8_t previous = 0;
    for (int n = 0; n < count; ++n) {
        std::uint8_t& byte = iram_at(cpu, cpu.p);
        const std::uint8_t read = byte;
        byte = static_cast<std::uint8_t>((previous & 0x0F) << 4 | read >> 4);
        previous = read;
        step_up(cpu.p);
    }
    finish(cpu, 1, count + 4);
}

// SLW moves a number one digit toward its more significant end (downward from P).
void slw(Cpu& cpu, Bus&) {
    const int count = register_i(cpu) + 1;
    std::uint8_t previous = 0;
    for (int n = 0; n < count; ++n) {
        std::uint8_t& byte = iram_at(cpu, cpu.p);
        const std::uint8_t read = byte;
        byte = static_cast<std::uint8_t>((read & 0x0F) << 4 | previous >> 4);
        previous = read;
        step_down(cpu.p);
    }
    finish(cpu, 1, count + 4);
}

}  // namespace tolvan::op
