// The machine state, described once: every field of every component with its names, its width
// and the places where it is kept. The --state printout, Tolvan.ini's registers and internal
// RAM, the register text, state files, the history's checkpoints and the tests that compare two
// machines all go through these tables, so a field added here reaches all of them.
#pragma once

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <type_traits>
#include <vector>

#include "machine/emulator.h"

namespace tolvan {

// Where Tolvan.ini keeps a field: one key of a section, or for a block of bytes one key per cell
// ("0", "1", ...) for its first `cells` cells, the others reading as 0.
struct IniPlace {
    std::string_view section = {};
    std::string_view key = {};
    std::string_view fallback = "0";  // the text read when the file lacks the key
    std::size_t cells = 0;
};

enum class FieldRole : std::uint8_t {
    // The machine's own: saved in state files and checkpoints, compared by the tests.
    kMachine,
    // A part of another field shown on its own (register A is a cell of the internal RAM): shown
    // and editable, never saved twice.
    kView,
    // The emulator's rather than the machine's (the delay that sets the speed, what power-on
    // found of the files): shown, never saved in a state, left alone when one is loaded.
    kHost,
};

struct FieldInfo {
    // What the field means, in English: the key of --state and of state files.
    std::string_view name;
    // Its key in the --state printout of earlier versions, which the conformance vectors use
    // too; still printed beside the new one. Empty for a field that came later.
    std::string_view old_name = {};
    // Its name and place in the register text ("A=02 B=00 ..."); empty when not shown there.
    std::string_view label = {};
    int label_place = 0;
    IniPlace ini = {};
    FieldRole role = FieldRole::kMachine;
};

// A number of up to 64 bits.
template <class Owner>
struct ScalarField {
    FieldInfo info;
    int size = 0;  // bytes in a state file: 1, 2, 4 or 8
    bool is_signed = false;
    std::int64_t (*get)(const Owner&) = nullptr;
    void (*set)(Owner&, std::int64_t) = nullptr;
};

// A block of bytes, of fixed or varying length.
template <class Owner>
struct BytesField {
    FieldInfo info;
    // Appends the field's bytes.
    void (*get)(const Owner&, std::vector<std::uint8_t>&) = nullptr;
    // False, and the field unchanged, when the bytes cannot be this field's (a wrong length).
    bool (*set)(Owner&, std::span<const std::uint8_t>) = nullptr;
    // Printed by --state, in hexadecimal; the large blocks are not.
    bool printed = false;
};

template <class Field>
concept is_scalar_field = requires(const Field& field) {
    field.is_signed;
};

template <class Owner>
struct StateComponent {
    std::span<const ScalarField<Owner>> scalars;
    std::span<const BytesField<Owner>> bytes;
};

extern const StateComponent<Cpu> kCpuState;
extern const StateComponent<AddressSpace> kMemoryState;
extern const StateComponent<Ports> kPortState;
extern const StateComponent<Keyboard> kKeyboardState;
extern const StateComponent<Tape> kTapeState;
extern const StateComponent<SliceProgress> kSliceState;
extern const StateComponent<MachineControl> kControlState;
extern const StateComponent<RunCount> kExecutedState;
extern const StateComponent<Screen> kScreenState;

// Calls visit(component, object) for each component of the machine with the object it
// describes, in the order of state files and of --state. Works on a const Emulator too.
template <class E, class Visit>
requires std::same_as<std::remove_const_t<E>, Emulator>
void for_each_state_component(E& emulator, Visit&& visit) {
    visit(kCpuState, emulator.cpu);
    visit(kMemoryState, emulator.bus.memory);
    visit(kPortState, emulator.bus.ports);
    visit(kKeyboardState, emulator.bus.keyboard);
    visit(kTapeState, emulator.bus.tape);
    visit(kSliceState, emulator.slice);
    visit(kControlState, emulator.control);
    visit(kExecutedState, emulator.executed);
    visit(kScreenState, emulator.screen);
}

// The value of the scalar field of that name, if the description has one.
std::optional<std::int64_t> field_value(const Emulator& emulator, std::string_view name);

// The register text of the trace, the history and the debugger's stops: "A=02 B=00 I=00 J=00
// X=0000 Y=0000 P=00 Q=00 R=5C DP=0000 F=00", each field in hexadecimal at its width.
std::string registers_text(const Cpu& cpu);

}  // namespace tolvan
