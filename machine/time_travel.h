// The time machine: the machine put back to any moment of its history (see history.h), and
// the debugger's commands that run backwards. The window, the headless program and a debug
// adapter call these; none of them needs a window.
//
// A moment is a count of instructions on the history's timeline. Going back leaves what came
// after in the history, so that the machine can be taken forwards again to any moment up to
// the latest; once the machine runs on from an earlier moment (a slice, a key, any input), the
// moments after it are dropped.
#pragma once

#include <cstdint>
#include <optional>

#include "machine/emulator.h"

namespace tolvan {

// The machine at the moment, and the debugger's history of the instructions that led there
// (when the debugger keeps one); false, and nothing changed, when the history does not hold it
// (see history_start and History::end).
[[nodiscard]] bool travel_to(Emulator& emulator, std::uint64_t moment);

// About `cycles` of emulated time back (the instructions that they took on average in the
// history); as far as the start of the history at most. False when the machine is there already.
[[nodiscard]] bool travel_back_in_time(Emulator& emulator, std::uint64_t cycles);

// The debugger's commands. Each leaves the debugger paused at the moment reached, with the
// reason as its last stop, and returns false (the machine unchanged) when the history holds no
// earlier moment.
//
// One instruction back.
[[nodiscard]] bool step_back(Emulator& emulator);
// One instruction back; when that instruction returned from a call (CALL, CAL, PTJ), back to
// before the call, as Step over would have passed it going forwards.
[[nodiscard]] bool step_back_over(Emulator& emulator);
// Back to the most recent breakpoint (the moment before the instruction there) or watched
// access (the moment after the instruction that made it); to the start of the history when
// there is none (then the stop's reason is StopReason::kHistoryStart).
[[nodiscard]] bool reverse_continue(Emulator& emulator);
// Back to the most recent moment at which PC was at the address; false, and the machine
// unchanged, when the history holds none.
[[nodiscard]] bool reverse_run_to(Emulator& emulator, std::uint16_t address);

// The last write to an address before now: the instruction that made it and what it wrote.
struct LastWrite {
    std::uint64_t moment = 0;        // before the instruction, on the history's timeline
    std::uint64_t instructions = 0;  // the machine's count of instructions once it had run
    std::uint16_t pc = 0;            // the instruction's address
    std::uint8_t value = 0;
};
// Looks through the history without moving the machine. A write is any store that reaches the
// address's cell (a mirror of the RAM window, the second view of the display area), a write to
// ROM included.
std::optional<LastWrite> find_last_write(const Emulator& emulator, std::uint16_t address);
// Goes to the moment before that instruction; false when the history holds no write.
[[nodiscard]] bool go_to_last_write(Emulator& emulator, std::uint16_t address);

}  // namespace tolvan
