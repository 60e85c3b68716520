// The registers, flags, timers and port latches as a debugger lists them and lets the user
// change them: one table for the debugger's window and the debug adapter.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "machine/emulator.h"

namespace tolvan {

enum class FieldFormat : std::uint8_t { kHex2, kHex4, kBit, kDecimal };
enum class FieldGroup : std::uint8_t { kRegister, kFlag, kTimer, kPort };

struct RegisterField {
    const char* name;
    FieldFormat format;
    FieldGroup group;
    std::uint32_t (*read)(const Emulator&);
    void (*write)(Emulator&, std::uint32_t);
};

// In the order the debugger shows them: A, B, I, J, K, L, M, N, X, Y, P, Q, R, DP, PC, Z, C,
// the timers, the ports.
std::span<const RegisterField> register_fields();
// By name, in any case ("a", "DP", "port A").
const RegisterField* find_register_field(std::string_view name);

// "05", "8123", "1", "250".
std::string format_field_value(FieldFormat format, std::uint32_t value);
// The value typed, if it fits the field: hexadecimal for registers, 0 or 1 for a flag, a count
// that stays positive for a timer.
std::optional<std::uint32_t> parse_field_value(FieldFormat format, std::string_view text);

}  // namespace tolvan
