// The machine state as bytes, built on the state description: what the history's checkpoints
// and the state files hold.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "machine/emulator.h"
#include "machine/state_description.h"

namespace tolvan {

// A number of a field, `size` bytes wide, lowest byte first; sign-extended when the field is
// signed.
void append_number(std::int64_t value, int size, std::vector<std::uint8_t>& out);
std::int64_t read_number(std::span<const std::uint8_t> bytes, bool is_signed);

// Every field that is the machine's own (FieldRole::kMachine), in the description's order: each
// number in its width, each block as its length in four bytes and then its bytes.
std::vector<std::uint8_t> encode_state(const Emulator& emulator);
// The same into `out`, which keeps its capacity from one state to the next.
void encode_state(const Emulator& emulator, std::vector<std::uint8_t>& out);

// Puts back a state that encode_state gave, on this version; false when the bytes are not
// one (then the fields read so far are set).
[[nodiscard]] bool decode_state(Emulator& emulator, std::span<const std::uint8_t> bytes);

// Calls visit(field, owner) for every field that is the machine's own, in the description's
// order: field is a ScalarField or a BytesField (tell them apart with is_scalar_field), owner
// the component object that it belongs to.
template <class E, class Visit>
void for_each_machine_field(E& emulator, Visit&& visit) {
    for_each_state_component(emulator, [&visit](const auto& component, auto& owner) {
        for (const auto& field : component.scalars) {
            if (field.info.role == FieldRole::kMachine) visit(field, owner);
        }
        for (const auto& field : component.bytes) {
            if (field.info.role == FieldRole::kMachine) visit(field, owner);
        }
    });
}

}  // namespace tolvan
