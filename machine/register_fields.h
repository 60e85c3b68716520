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

// A field of the state description as a debugger shows it. A change goes through the machine's
// inputs, so that the history logs it and going back passes it again.
struct RegisterField {
    const char* name;
    FieldFormat format;
    FieldGroup group;
    std::string_view field;  // its name in the state description

    std::uint32_t read(const Emulator& emulator) const;
    void write(Emulator& emulator, std::uint32_t value) const;
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
