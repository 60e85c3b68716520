// Processor state: registers, pointers, flags, internal RAM and the timing fields.
#pragma once

#include <array>
#include <cstdint>

namespace tolvan {

inline constexpr int kInternalRamSize = 128;
inline constexpr std::uint8_t kInternalRamMask = 0x7F;

// Named registers of the internal RAM (the processor's register file).
inline constexpr std::uint8_t kRegisterI = 0x00;
inline constexpr std::uint8_t kRegisterJ = 0x01;
inline constexpr std::uint8_t kRegisterA = 0x02;
inline constexpr std::uint8_t kRegisterB = 0x03;
inline constexpr std::uint8_t kRegisterXL = 0x04;
inline constexpr std::uint8_t kRegisterXH = 0x05;
inline constexpr std::uint8_t kRegisterYL = 0x06;
inline constexpr std::uint8_t kRegisterYH = 0x07;
inline constexpr std::uint8_t kRegisterK = 0x08;
inline constexpr std::uint8_t kRegisterL = 0x09;
inline constexpr std::uint8_t kRegisterM = 0x0A;
inline constexpr std::uint8_t kRegisterN = 0x0B;

// Bytes that the port output instructions send.
inline constexpr std::uint8_t kPortAByte = 0x5C;
inline constexpr std::uint8_t kPortBByte = 0x5D;
inline constexpr std::uint8_t kPortFByte = 0x5E;
inline constexpr std::uint8_t kPortCByte = 0x5F;

// The flags byte only ever holds these two bits.
inline constexpr std::uint8_t kFlagZ = 0x01;
inline constexpr std::uint8_t kFlagC = 0x10;

struct Cpu {
    std::uint16_t pc = 0;
    std::int32_t cycle_cost = 0;
    std::int32_t max_delay = 0;
    std::int32_t counter_512ms = 0;
    std::int32_t counter_2ms = 0;
    std::int32_t timer_limit_512ms = 0;
    std::int32_t elapsed_512ms = 0;
    std::int32_t timer_limit_2ms = 0;
    std::int32_t elapsed_2ms = 0;
    std::uint8_t q = 0;
    std::array<std::uint8_t, kInternalRamSize> iram{};
    std::uint8_t flags = 0;
    std::uint8_t p = 0;
    std::uint16_t dp = 0;
    std::uint8_t r = 0;
    std::uint8_t case_counter = 0;
};

// Every internal-RAM access goes through here: a pointer of 0x80 or more (possible after
// STP, STQ, STR or a stack overflow) wraps into the 128 bytes instead of touching other fields.
inline std::uint8_t& iram_at(Cpu& cpu, unsigned index) {
    return cpu.iram[index & kInternalRamMask];
}

inline std::uint8_t& register_a(Cpu& cpu) {
    return cpu.iram[kRegisterA];
}
inline std::uint8_t& register_b(Cpu& cpu) {
    return cpu.iram[kRegisterB];
}
inline std::uint8_t& register_i(Cpu& cpu) {
    return cpu.iram[kRegisterI];
}
inline std::uint8_t& register_j(Cpu& cpu) {
    return cpu.iram[kRegisterJ];
}

// X, Y and BA are stored low byte first, at the index given for the low byte.
inline std::uint16_t register_pair(const Cpu& cpu, std::uint8_t low_index) {
    return static_cast<std::uint16_t>(cpu.iram[low_index] | (cpu.iram[low_index + 1] << 8));
}
inline void set_register_pair(Cpu& cpu, std::uint8_t low_index, std::uint16_t value) {
    cpu.iram[low_index] = static_cast<std::uint8_t>(value);
    cpu.iram[low_index + 1] = static_cast<std::uint8_t>(value >> 8);
}

inline bool zero_flag(const Cpu& cpu) {
    return (cpu.flags & kFlagZ) != 0;
}
inline bool carry_flag(const Cpu& cpu) {
    return (cpu.flags & kFlagC) != 0;
}

}  // namespace tolvan
