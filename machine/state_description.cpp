#include "machine/state_description.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>

namespace tolvan {

namespace {

template <class>
struct MemberOf;
template <class O, class T>
struct MemberOf<T O::*> {
    using Owner = O;
    using Type = T;
};

template <class T>
constexpr bool signed_field() {
    if constexpr (std::is_enum_v<T>) {
        return std::is_signed_v<std::underlying_type_t<T>>;
    } else {
        return std::is_signed_v<T>;
    }
}

// A number kept in a member of its component.
template <auto kMember>
constexpr auto member(FieldInfo info) {
    using Owner = typename MemberOf<decltype(kMember)>::Owner;
    using Type = typename MemberOf<decltype(kMember)>::Type;
    return ScalarField<Owner>{
        info, static_cast<int>(sizeof(Type)), signed_field<Type>(),
        [](const Owner& owner) { return static_cast<std::int64_t>(owner.*kMember); },
        [](Owner& owner, std::int64_t value) { owner.*kMember = static_cast<Type>(value); }};
}

// A byte array kept in a member, of its fixed length.
template <auto kMember>
constexpr auto byte_array(FieldInfo info, bool printed) {
    using Owner = typename MemberOf<decltype(kMember)>::Owner;
    return BytesField<Owner>{info,
                             [](const Owner& owner, std::vector<std::uint8_t>& out) {
                                 out.insert(out.end(), (owner.*kMember).begin(),
                                            (owner.*kMember).end());
                             },
                             [](Owner& owner, std::span<const std::uint8_t> bytes) {
                                 if (bytes.size() != (owner.*kMember).size()) return false;
                                 std::ranges::copy(bytes, (owner.*kMember).begin());
                                 return true;
                             },
                             printed};
}

// A named register: one cell of the internal RAM.
template <std::uint8_t kIndex>
constexpr ScalarField<Cpu> iram_register(std::string_view name, std::string_view label,
                                         int label_place) {
    return {
        {.name = name, .label = label, .label_place = label_place, .role = FieldRole::kView},
        1,
        false,
        [](const Cpu& cpu) -> std::int64_t { return cpu.iram[kIndex]; },
        [](Cpu& cpu, std::int64_t value) { cpu.iram[kIndex] = static_cast<std::uint8_t>(value); }};
}

// X and Y: two cells, low byte first.
template <std::uint8_t kLowIndex>
constexpr ScalarField<Cpu> iram_pair(std::string_view name, std::string_view label,
                                     int label_place) {
    return {{.name = name, .label = label, .label_place = label_place, .role = FieldRole::kView},
            2,
            false,
            [](const Cpu& cpu) -> std::int64_t { return register_pair(cpu, kLowIndex); },
            [](Cpu& cpu, std::int64_t value) {
                set_register_pair(cpu, kLowIndex, static_cast<std::uint16_t>(value));
            }};
}

// One bit of the flags byte.
template <std::uint8_t kMask>
constexpr ScalarField<Cpu> flag_bit(std::string_view name) {
    return {{.name = name, .role = FieldRole::kView},
            1,
            false,
            [](const Cpu& cpu) -> std::int64_t { return (cpu.flags & kMask) != 0; },
            [](Cpu& cpu, std::int64_t value) {
                cpu.flags =
                    static_cast<std::uint8_t>(value != 0 ? cpu.flags | kMask : cpu.flags & ~kMask);
            }};
}

constexpr std::string_view kRegisters = "Registres";
constexpr std::string_view kTiming = "Horloge";

// The order is that of Tolvan.ini's keys within a section and of the state files.
constexpr std::array kCpuScalars = {
    member<&Cpu::pc>(
        {.name = "program_counter", .old_name = "pc", .label = "PC", .ini = {kRegisters, "PC"}}),
    member<&Cpu::dp>({.name = "data_pointer",
                      .old_name = "dp",
                      .label = "DP",
                      .label_place = 10,
                      .ini = {kRegisters, "DP"}}),
    member<&Cpu::p>({.name = "ram_pointer_p",
                     .old_name = "p",
                     .label = "P",
                     .label_place = 7,
                     .ini = {kRegisters, "P"}}),
    member<&Cpu::q>({.name = "ram_pointer_q",
                     .old_name = "q",
                     .label = "Q",
                     .label_place = 8,
                     .ini = {kRegisters, "Q"}}),
    member<&Cpu::r>({.name = "stack_pointer",
                     .old_name = "r",
                     .label = "R",
                     .label_place = 9,
                     .ini = {kRegisters, "R"}}),
    member<&Cpu::flags>({.name = "flags", .old_name = "flags", .label = "F", .label_place = 11}),
    member<&Cpu::cycle_cost>({.name = "cycle_cost", .old_name = "cycle_cost"}),
    member<&Cpu::case_counter>({.name = "case_counter", .old_name = "case_counter"}),
    member<&Cpu::counter_512ms>({.name = "timer_count_512ms", .old_name = "counter_512ms"}),
    member<&Cpu::counter_2ms>({.name = "timer_count_2ms", .old_name = "counter_2ms"}),
    member<&Cpu::elapsed_512ms>({.name = "timer_elapsed_512ms", .old_name = "elapsed_512ms"}),
    member<&Cpu::elapsed_2ms>({.name = "timer_elapsed_2ms", .old_name = "elapsed_2ms"}),
    member<&Cpu::timer_limit_512ms>({.name = "timer_limit_512ms",
                                     .old_name = "max_horloge512",
                                     .ini = {kTiming, "MaxHorloge512"}}),
    member<&Cpu::timer_limit_2ms>({.name = "timer_limit_2ms",
                                   .old_name = "max_horloge002",
                                   .ini = {kTiming, "MaxHorloge002"}}),
    member<&Cpu::max_delay>({.name = "delay_limit",
                             .old_name = "max_delay",
                             .ini = {kTiming, "MaxDelay"},
                             .role = FieldRole::kHost}),
    iram_register<kRegisterA>("register_a", "A", 1),
    iram_register<kRegisterB>("register_b", "B", 2),
    iram_register<kRegisterI>("register_i", "I", 3),
    iram_register<kRegisterJ>("register_j", "J", 4),
    iram_register<kRegisterK>("register_k", "K", 0),
    iram_register<kRegisterL>("register_l", "L", 0),
    iram_register<kRegisterM>("register_m", "M", 0),
    iram_register<kRegisterN>("register_n", "N", 0),
    iram_pair<kRegisterXL>("register_x", "X", 5),
    iram_pair<kRegisterYL>("register_y", "Y", 6),
    flag_bit<kFlagZ>("zero_flag"),
    flag_bit<kFlagC>("carry_flag"),
};

// Cells 0x60-0x7F are scratch space that the firmware sets up again; Tolvan.ini keeps the others.
constexpr std::size_t kKeptInternalRamCells = 0x60;

constexpr std::array kCpuBytes = {
    byte_array<&Cpu::iram>({.name = "internal_ram",
                            .old_name = "iram",
                            .ini = {.section = "Ram Interne", .cells = kKeptInternalRamCells}},
                           true),
};

constexpr std::array kMemoryScalars = {
    member<&AddressSpace::ram_size>(
        {.name = "ram_size", .old_name = "ram_size", .ini = {"Ram", "Ko", "16"}}),
    member<&AddressSpace::lcd_redraw>({.name = "lcd_redraw", .old_name = "lcd_redraw"}),
    member<&AddressSpace::key_strobe>({.name = "key_strobe", .old_name = "key_strobe"}),
};

constexpr std::array kMemoryBytes = {
    byte_array<&AddressSpace::image>({.name = "memory"}, false),
};

constexpr std::array kPortScalars = {
    member<&Ports::port_a>({.name = "port_a", .old_name = "port_a"}),
    member<&Ports::port_b>({.name = "port_b", .old_name = "port_b"}),
    member<&Ports::port_c>({.name = "port_c", .old_name = "port_c"}),
    member<&Ports::port_f>({.name = "port_f", .old_name = "port_f"}),
    member<&Ports::refresh_request>({.name = "refresh_request", .old_name = "refresh_request"}),
};

constexpr std::array kKeyboardScalars = {
    member<&Keyboard::key_down>({.name = "key_down"}),
    member<&Keyboard::pending_code>({.name = "pending_key"}),
    member<&Keyboard::key_pending>({.name = "key_pending"}),
    member<&Keyboard::break_counter>({.name = "break_counter"}),
    member<&Keyboard::scan_pass_counter>({.name = "scan_passes"}),
    member<&Keyboard::release_address_passed>({.name = "release_address_passed"}),
};

// The waiting keys, oldest first, each as its code in four bytes, lowest first. Where the ring
// starts is no part of the state.
constexpr BytesField<Keyboard> kQueuedKeys{
    {.name = "queued_keys"},
    [](const Keyboard& keyboard, std::vector<std::uint8_t>& out) {
        const KeyQueue& queue = keyboard.queue;
        for (std::size_t n = 0; n < queue.count; ++n) {
            const auto code = static_cast<std::uint32_t>(
                key_number(queue.keys[(queue.first + n) % queue.keys.size()]));
            for (int shift = 0; shift < 32; shift += 8)
                out.push_back(static_cast<std::uint8_t>(code >> shift));
        }
    },
    [](Keyboard& keyboard, std::span<const std::uint8_t> bytes) {
        KeyQueue& queue = keyboard.queue;
        if (bytes.size() % 4 != 0 || bytes.size() / 4 > queue.keys.size()) return false;
        queue.first = 0;
        queue.count = bytes.size() / 4;
        for (std::size_t n = 0; n < queue.count; ++n) {
            std::uint32_t code = 0;
            for (int b = 3; b >= 0; --b)
                code = code << 8 | bytes[4 * n + static_cast<std::size_t>(b)];
            queue.keys[n] = key_code(static_cast<std::int32_t>(code));
        }
        return true;
    },
    false};

constexpr std::array kKeyboardBytes = {
    byte_array<&Keyboard::lines_a>({.name = "key_lines_a"}, true),
    byte_array<&Keyboard::lines_b>({.name = "key_lines_b"}, true),
    kQueuedKeys,
};

constexpr std::array kTapeScalars = {
    member<&Tape::shift_register>({.name = "tape_shift_register"}),
    member<&Tape::bit_counter>({.name = "tape_bit_counter"}),
    member<&Tape::start_flag>({.name = "tape_start_flag"}),
    member<&Tape::load_open>({.name = "load_file_open"}),
    member<&Tape::load_position>({.name = "load_file_position"}),
};

// The LOAD file's bytes as the firmware's load routine opened it: a state goes on with the same
// LOAD, whatever the file holds by then.
constexpr BytesField<Tape> kLoadBytes{{.name = "load_file_bytes"},
                                      [](const Tape& tape, std::vector<std::uint8_t>& out) {
                                          out.insert(out.end(), tape.load_bytes.begin(),
                                                     tape.load_bytes.end());
                                      },
                                      [](Tape& tape, std::span<const std::uint8_t> bytes) {
                                          if (bytes.size() > kMaxLoadFileSize) return false;
                                          tape.load_bytes.assign(bytes.begin(), bytes.end());
                                          return true;
                                      },
                                      false};

constexpr std::array kTapeBytes = {kLoadBytes};

constexpr std::array kExecutedScalars = {
    member<&RunCount::instructions>({.name = "instructions"}),
    member<&RunCount::cycles>({.name = "cycles"}),
};

constexpr std::array kScreenBytes = {
    byte_array<&Screen::cells>({.name = "lcd_shown"}, false),
};

// A delay that the window's deadline cut short: whether there is one, then the sum it reached.
// It paces the window and changes nothing of the machine, so no state keeps it.
constexpr std::array kSliceScalars = {
    ScalarField<SliceProgress>{{.name = "delay_unfinished"},
                               1,
                               false,
                               [](const SliceProgress& slice) -> std::int64_t {
                                   return slice.unfinished_delay.has_value();
                               },
                               [](SliceProgress& slice, std::int64_t value) {
                                   if (value == 0) {
                                       slice.unfinished_delay.reset();
                                   } else if (!slice.unfinished_delay) {
                                       slice.unfinished_delay = 0;
                                   }
                               }},
    ScalarField<SliceProgress>{
        {.name = "delay_sum", .role = FieldRole::kHost},
        8,
        true,
        [](const SliceProgress& slice) { return slice.unfinished_delay.value_or(0); },
        [](SliceProgress& slice, std::int64_t value) {
            if (slice.unfinished_delay) slice.unfinished_delay = value;
        }},
};

constexpr std::array kControlScalars = {
    member<&MachineControl::power_on_status>(
        {.name = "power_on_status", .old_name = "power_on_status", .role = FieldRole::kHost}),
};

}  // namespace

const StateComponent<Cpu> kCpuState{kCpuScalars, kCpuBytes};
const StateComponent<AddressSpace> kMemoryState{kMemoryScalars, kMemoryBytes};
const StateComponent<Ports> kPortState{kPortScalars, {}};
const StateComponent<Keyboard> kKeyboardState{kKeyboardScalars, kKeyboardBytes};
const StateComponent<Tape> kTapeState{kTapeScalars, kTapeBytes};
const StateComponent<SliceProgress> kSliceState{kSliceScalars, {}};
const StateComponent<MachineControl> kControlState{kControlScalars, {}};
const StateComponent<RunCount> kExecutedState{kExecutedScalars, {}};
const StateComponent<Screen> kScreenState{{}, kScreenBytes};

std::optional<std::int64_t> field_value(const Emulator& emulator, std::string_view name) {
    std::optional<std::int64_t> value;
    for_each_state_component(emulator, [&](const auto& component, const auto& owner) {
        for (const auto& field : component.scalars) {
            if (!value && field.info.name == name) value = field.get(owner);
        }
    });
    return value;
}

std::string registers_text(const Cpu& cpu) {
    std::string text;
    // The places run from 1 without a gap.
    for (int place = 1;; ++place) {
        const auto field = std::ranges::find(
            kCpuScalars, place, [](const ScalarField<Cpu>& f) { return f.info.label_place; });
        if (field == kCpuScalars.end()) return text;
        char value[24];
        std::snprintf(value, sizeof value, "=%0*llX", 2 * field->size,
                      static_cast<unsigned long long>(field->get(cpu)));
        if (!text.empty()) text += ' ';
        text += field->info.label;
        text += value;
    }
}

}  // namespace tolvan
