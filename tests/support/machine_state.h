// Comparing two machines field by field through the state description, and running a machine
// to an exact count of instructions on its history's timeline, as headless --steps does.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "machine/emulator.h"
#include "machine/slice.h"
#include "machine/state_codec.h"

namespace tolvan::testing {

// The names of the machine's fields that differ ("memory at 0x2A00" for a block), empty when
// the two are the same machine.
inline std::string state_differences(const Emulator& a, const Emulator& b) {
    std::vector<std::string> names;
    for_each_machine_field(
        a, [&names](const auto& field, const auto&) { names.emplace_back(field.info.name); });
    std::vector<std::string> a_values;
    std::vector<std::string> b_values;
    const auto collect = [](const Emulator& emulator, std::vector<std::string>& values) {
        for_each_machine_field(emulator, [&values](const auto& field, const auto& owner) {
            std::vector<std::uint8_t> bytes;
            if constexpr (is_scalar_field<std::remove_cvref_t<decltype(field)>>) {
                append_number(field.get(owner), 8, bytes);
            } else {
                field.get(owner, bytes);
            }
            values.emplace_back(bytes.begin(), bytes.end());
        });
    };
    collect(a, a_values);
    collect(b, b_values);
    std::string differences;
    for (std::size_t n = 0; n < names.size(); ++n) {
        if (a_values[n] == b_values[n]) continue;
        differences += names[n];
        const auto [first, second] = std::ranges::mismatch(a_values[n], b_values[n]);
        if (a_values[n].size() > 8 && first != a_values[n].end() && second != b_values[n].end()) {
            char at[32];
            std::snprintf(at, sizeof at, " at %zu",
                          static_cast<std::size_t>(first - a_values[n].begin()));
            differences += at;
        }
        differences += ' ';
    }
    return differences;
}

// Slices of the steps left up to the moment; false when the machine stopped short.
inline bool run_to_moment(Emulator& emulator, Display& display, std::uint64_t moment) {
    while (emulator.history.now.instructions < moment) {
        const auto left = moment - emulator.history.now.instructions;
        const int limit = static_cast<int>(std::min<std::uint64_t>(left, kStepsPerSlice));
        if (run_slice(emulator, display, {{}, {}, DelayLoop::kRun, limit}).steps == 0) return false;
    }
    return true;
}

}  // namespace tolvan::testing
