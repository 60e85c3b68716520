#include "machine/register_fields.h"

#include <charconv>

#include "machine/inputs.h"
#include "machine/state_description.h"
#include "tools/hex_text.h"

namespace tolvan {

namespace {

constexpr FieldGroup kRegister = FieldGroup::kRegister;
constexpr FieldGroup kFlag = FieldGroup::kFlag;
constexpr FieldGroup kTimer = FieldGroup::kTimer;
constexpr FieldGroup kPort = FieldGroup::kPort;
constexpr FieldFormat kHex2 = FieldFormat::kHex2;
constexpr FieldFormat kHex4 = FieldFormat::kHex4;
constexpr FieldFormat kBit = FieldFormat::kBit;
constexpr FieldFormat kDecimal = FieldFormat::kDecimal;

constexpr RegisterField kFields[] = {
    {"A", kHex2, kRegister, "register_a"},
    {"B", kHex2, kRegister, "register_b"},
    {"I", kHex2, kRegister, "register_i"},
    {"J", kHex2, kRegister, "register_j"},
    {"K", kHex2, kRegister, "register_k"},
    {"L", kHex2, kRegister, "register_l"},
    {"M", kHex2, kRegister, "register_m"},
    {"N", kHex2, kRegister, "register_n"},
    {"X", kHex4, kRegister, "register_x"},
    {"Y", kHex4, kRegister, "register_y"},
    {"P", kHex2, kRegister, "ram_pointer_p"},
    {"Q", kHex2, kRegister, "ram_pointer_q"},
    {"R", kHex2, kRegister, "stack_pointer"},
    {"DP", kHex4, kRegister, "data_pointer"},
    {"PC", kHex4, kRegister, "program_counter"},
    {"Z", kBit, kFlag, "zero_flag"},
    {"C", kBit, kFlag, "carry_flag"},
    {"512 ms timer", kDecimal, kTimer, "timer_count_512ms"},
    {"512 ms elapsed", kBit, kTimer, "timer_elapsed_512ms"},
    {"2 ms timer", kDecimal, kTimer, "timer_count_2ms"},
    {"2 ms elapsed", kBit, kTimer, "timer_elapsed_2ms"},
    {"port A", kHex2, kPort, "port_a"},
    {"port B", kHex2, kPort, "port_b"},
    {"port F", kHex2, kPort, "port_f"},
    {"port C", kHex2, kPort, "port_c"},
};

bool same_ignoring_case(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t n = 0; n < a.size(); ++n) {
        const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; };
        if (upper(a[n]) != upper(b[n])) return false;
    }
    return true;
}

std::optional<std::uint32_t> parse_unsigned(std::string_view text, int base) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    std::uint32_t value = 0;
    const auto [last, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || error != std::errc{} || last != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::uint32_t RegisterField::read(const Emulator& emulator) const {
    return static_cast<std::uint32_t>(field_value(emulator, field).value_or(0));
}

void RegisterField::write(Emulator& emulator, std::uint32_t value) const {
    // Every field of the table is one of the description's, so the edit cannot miss.
    static_cast<void>(edit_field(emulator, field, value));
}

std::span<const RegisterField> register_fields() {
    return kFields;
}

const RegisterField* find_register_field(std::string_view name) {
    for (const RegisterField& field : kFields) {
        if (same_ignoring_case(field.name, name)) return &field;
    }
    return nullptr;
}

std::string format_field_value(FieldFormat format, std::uint32_t value) {
    switch (format) {
        case FieldFormat::kHex2:
            return hex2(value);
        case FieldFormat::kHex4:
            return hex4(value);
        case FieldFormat::kBit:
        case FieldFormat::kDecimal:
            return std::to_string(value);
    }
    return {};
}

std::optional<std::uint32_t> parse_field_value(FieldFormat format, std::string_view text) {
    switch (format) {
        case FieldFormat::kHex2:
        case FieldFormat::kHex4: {
            const auto value = parse_unsigned(text, 16);
            const std::uint32_t limit = format == FieldFormat::kHex2 ? 0xFFu : 0xFFFFu;
            if (value && *value <= limit) return value;
            return std::nullopt;
        }
        case FieldFormat::kBit: {
            const auto value = parse_unsigned(text, 10);
            if (value && *value <= 1) return value;
            return std::nullopt;
        }
        case FieldFormat::kDecimal: {
            // A timer's count is a positive int.
            const auto value = parse_unsigned(text, 10);
            if (value && *value <= 0x7FFFFFFFu) return value;
            return std::nullopt;
        }
    }
    return std::nullopt;
}

}  // namespace tolvan
