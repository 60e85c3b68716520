// The recorded session. While the machine runs, the history keeps checkpoints of its state
// (one every four seconds of emulated time, each coded as its difference from the last whole
// one) and a log of every input with the moment it took effect (see inputs.h). From the latest
// checkpoint before a moment, replaying the steps and the logged inputs gives that moment
// again, instruction for instruction: the time machine of time_travel.h stands on this.
//
// Moments are counted on the history's own timeline: the instructions executed since the
// history began, which a loaded state or Load RAM does not reset (the machine's own count,
// Emulator::executed, starts again at power-on). A moment is the machine after that many
// instructions and after every input logged at it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "machine/inputs.h"

namespace tolvan {

struct Emulator;
struct SliceResult;

// Instructions executed and the cycles that they cost: emulated time, since the 512 ms timer
// counts 50,000 of them by default.
struct RunCount {
    std::uint64_t instructions = 0;
    std::uint64_t cycles = 0;
    bool operator==(const RunCount&) const = default;
};

// Emulated time at the default speed of the 512 ms timer: 50,000 cycles per 512 ms.
inline constexpr std::uint64_t kCyclesPerSecond = 97'656;
inline constexpr int kDefaultHistoryMinutes = 10;
// The most that the user may ask to keep; the memory limit may keep less.
inline constexpr int kMostHistoryMinutes = 120;
inline constexpr std::size_t kDefaultHistoryMemory = std::size_t{64} << 20;
// A checkpoint every four seconds of emulated time: often enough that a replay to any moment
// takes a millisecond or so, seldom enough that recording costs the slices a few percent.
inline constexpr std::uint64_t kCheckpointCycles = 4 * kCyclesPerSecond;
// A whole one every this many, the others coded against it: restoring any decodes two.
inline constexpr std::size_t kCheckpointsPerKeyframe = 16;

struct LoggedInput {
    RunCount at;
    Input input;
};

struct Checkpoint {
    RunCount at;
    // The index in the log of the first input after the checkpoint.
    std::uint64_t next_input = 0;
    // Whole: the coded state. Otherwise the coded difference from the whole one `keyframe_distance`
    // checkpoints before.
    std::size_t keyframe_distance = 0;
    std::vector<std::uint8_t> coded;  // see append_zero_runs
};

struct HistorySettings {
    // How much emulated time is kept at least (0: no history at all), and at most how much
    // memory: the older checkpoints go first.
    std::uint64_t length_cycles = kDefaultHistoryMinutes * 60 * kCyclesPerSecond;
    std::size_t memory_limit = kDefaultHistoryMemory;
};

struct History {
    HistorySettings settings;
    // Where the machine is on the timeline, and the latest moment recorded: later than `now`
    // after the machine was taken back, until it runs on from there (the rest is then dropped).
    RunCount now;
    RunCount end;
    std::deque<Checkpoint> checkpoints;
    std::deque<LoggedInput> inputs;
    std::uint64_t first_input = 0;  // the index in the log of inputs.front()
    std::uint64_t next_input = 0;   // the index of the first input not made at `now`
    // The coded state of the newest whole checkpoint, which the next ones are compared with,
    // and room for the state of the next one.
    std::vector<std::uint8_t> reference;
    std::vector<std::uint8_t> state;
    std::uint64_t next_checkpoint_cycles = 0;
    std::size_t memory = 0;
    // Opens of the LOAD file that the log holds, as the tape counts them.
    std::uint32_t load_opens_logged = 0;
};

bool recording(const History& history);
// Keeps that many minutes of emulated time from now on; none forgets the whole history and
// records nothing more.
void set_history_minutes(History& history, int minutes);
// The earliest moment that the history can give again.
RunCount history_start(const History& history);
// The bytes that the checkpoints and the log take.
std::size_t history_memory(const History& history);

// For the live machine, around everything that changes it: before, the moments after `now`
// are dropped (the machine goes on from here) and a machine that has no checkpoint yet gets its
// first; after its steps, the timeline moves on, an opened LOAD file is logged, and a checkpoint
// is taken when one is due.
void begin_live_change(Emulator& emulator);
void end_live_steps(Emulator& emulator, const SliceResult& result);
void log_input(History& history, Input input);
// The machine was replaced as a whole (power-on, Load RAM, a loaded state): logged, and kept
// in a checkpoint of its own, from which replays start.
void record_new_state(Emulator& emulator);

// Puts a machine into the state of checkpoint `index` (of history.checkpoints): the machine
// whose history it is, or another one that looks for something in the past.
void restore_checkpoint(const History& history, std::size_t index, Emulator& machine);
// The latest checkpoint at or before the moment (the first when none is).
std::size_t checkpoint_before(const History& history, std::uint64_t moment);

}  // namespace tolvan
