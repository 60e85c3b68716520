// Flag helpers shared by the instruction groups. Instructions that write the whole flags byte
// and those that change a single flag both go through these.
#pragma once

#include <array>
#include <cstdint>

#include "cpu/state.h"

namespace tolvan {

inline void set_zero(Cpu& cpu, bool zero) {
    cpu.flags = static_cast<std::uint8_t>(zero ? cpu.flags | kFlagZ : cpu.flags & ~kFlagZ);
}
inline void set_carry(Cpu& cpu, bool carry) {
    cpu.flags = static_cast<std::uint8_t>(carry ? cpu.flags | kFlagC : cpu.flags & ~kFlagC);
}
inline void set_flags(Cpu& cpu, bool carry, bool zero) {
    cpu.flags = static_cast<std::uint8_t>((carry ? kFlagC : 0) | (zero ? kFlagZ : 0));
}

// Binary add: Z is decided on the exact sum, so 0x80 + 0x80 stores 0 with Z clear.
inline std::uint8_t add_flags(Cpu& cpu, unsigned sum) {
    set_flags(cpu, sum > 0xFF, sum == 0);
    return static_cast<std::uint8_t>(sum);
}
// Binary subtract and compare: C is the borrow, Z is decided on the exact difference.
inline std::uint8_t subtract_flags(Cpu& cpu, int difference) {
    set_flags(cpu, difference < 0, difference == 0);
    return static_cast<std::uint8_t>(difference);
}
// AND, OR and test: Z from the result, C kept.
inline std::uint8_t logic_flags(Cpu& cpu, unsigned result) {
    set_zero(cpu, result == 0);
    return static_cast<std::uint8_t>(result);
}

// Decimal value of a packed BCD byte; nibbles above 9 are not rejected (0xA-0xF tens count as
// 0-5 tens, low nibbles 0xA-0xF as 10-15 units).
inline constexpr std::array<std::uint8_t, 16> kBcdTens = {0,  10, 20, 30, 40, 50, 60, 70,
                                                          80, 90, 0,  10, 20, 30, 40, 50};
inline int bcd_value(std::uint8_t byte) {
    return kBcdTens[byte >> 4] + (byte & 0x0F);
}

constexpr std::array<std::uint8_t, 256> make_bcd_encoding() {
    std::array<std::uint8_t, 256> table{};
    for (int r = 0; r < 256; ++r)
        table[r] = static_cast<std::uint8_t>((r % 100 / 10) << 4 | r % 10);
    return table;
}
inline constexpr std::array<std::uint8_t, 256> kBcdEncoding = make_bcd_encoding();
// Packed BCD byte of r, taken modulo 256 and then modulo 100.
inline std::uint8_t bcd_encode(int r) {
    return kBcdEncoding[static_cast<std::uint8_t>(r)];
}

}  // namespace tolvan
