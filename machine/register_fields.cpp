#include "machine/register_fields.h"

#include <charconv>
#include <type_traits>

#include "tools/hex_text.h"

namespace tolvan {

namespace {

template <std::uint8_t kIndex>
constexpr RegisterField iram_byte(const char* name) {
    return {
        name, FieldFormat::kHex2, FieldGroup::kRegister,
        [](const Emulator& e) -> std::uint32_t { return e.cpu.iram[kIndex]; },
        [](Emulator& e, std::uint32_t v) { e.cpu.iram[kIndex] = static_cast<std::uint8_t>(v); }};
}

template <std::uint8_t kLow>
constexpr RegisterField iram_pair(const char* name) {
    return {name, FieldFormat::kHex4, FieldGroup::kRegister,
            [](const Emulator& e) -> std::uint32_t { return register_pair(e.cpu, kLow); },
            [](Emulator& e, std::uint32_t v) {
                set_register_pair(e.cpu, kLow, static_cast<std::uint16_t>(v));
            }};
}

template <std::uint8_t kMask>
constexpr RegisterField flag(const char* name) {
    return {name, FieldFormat::kBit, FieldGroup::kFlag,
            [](const Emulator& e) -> std::uint32_t { return (e.cpu.flags & kMask) != 0; },
            [](Emulator& e, std::uint32_t v) {
                e.cpu.flags =
                    static_cast<std::uint8_t>(v != 0 ? e.cpu.flags | kMask : e.cpu.flags & ~kMask);
            }};
}

// Member pointers name the field once for both directions.
template <auto kMember>
std::uint32_t read_cpu(const Emulator& e) {
    return static_cast<std::uint32_t>(e.cpu.*kMember);
}
template <auto kMember>
void write_cpu(Emulator& e, std::uint32_t v) {
    e.cpu.*kMember = static_cast<std::remove_reference_t<decltype(e.cpu.*kMember)>>(v);
}
template <auto kMember>
constexpr RegisterField cpu_field(const char* name, FieldFormat format, FieldGroup group) {
    return {name, format, group, &read_cpu<kMember>, &write_cpu<kMember>};
}

template <auto kMember>
std::uint32_t read_port(const Emulator& e) {
    return e.bus.ports.*kMember;
}
template <auto kMember>
void write_port(Emulator& e, std::uint32_t v) {
    e.bus.ports.*kMember = static_cast<std::uint8_t>(v);
}
template <auto kMember>
constexpr RegisterField port(const char* name) {
    return {name, FieldFormat::kHex2, FieldGroup::kPort, &read_port<kMember>, &write_port<kMember>};
}

constexpr FieldGroup kRegister = FieldGroup::kRegister;
constexpr FieldGroup kTimer = FieldGroup::kTimer;

const RegisterField kFields[] = {
    iram_byte<kRegisterA>("A"),
    iram_byte<kRegisterB>("B"),
    iram_byte<kRegisterI>("I"),
    iram_byte<kRegisterJ>("J"),
    iram_byte<kRegisterK>("K"),
    iram_byte<kRegisterL>("L"),
    iram_byte<kRegisterM>("M"),
    iram_byte<kRegisterN>("N"),
    iram_pair<kRegisterXL>("X"),
    iram_pair<kRegisterYL>("Y"),
    cpu_field<&Cpu::p>("P", FieldFormat::kHex2, kRegister),
    cpu_field<&Cpu::q>("Q", FieldFormat::kHex2, kRegister),
    cpu_field<&Cpu::r>("R", FieldFormat::kHex2, kRegister),
    cpu_field<&Cpu::dp>("DP", FieldFormat::kHex4, kRegister),
    cpu_field<&Cpu::pc>("PC", FieldFormat::kHex4, kRegister),
    flag<kFlagZ>("Z"),
    flag<kFlagC>("C"),
    cpu_field<&Cpu::counter_512ms>("512 ms timer", FieldFormat::kDecimal, kTimer),
    cpu_field<&Cpu::elapsed_512ms>("512 ms elapsed", FieldFormat::kBit, kTimer),
    cpu_field<&Cpu::counter_2ms>("2 ms timer", FieldFormat::kDecimal, kTimer),
    cpu_field<&Cpu::elapsed_2ms>("2 ms elapsed", FieldFormat::kBit, kTimer),
    port<&Ports::port_a>("port A"),
    port<&Ports::port_b>("port B"),
    port<&Ports::port_f>("port F"),
    port<&Ports::port_c>("port C"),
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
