#include "machine/history.h"

#include <algorithm>
#include <limits>

#include "base/zero_runs.h"
#include "machine/emulator.h"
#include "machine/slice.h"
#include "machine/state_codec.h"

namespace tolvan {

namespace {

// What an entry of the log or a checkpoint takes beside its bytes, roughly.
constexpr std::size_t kEntryOverhead = 64;

std::size_t size_of(const Checkpoint& checkpoint) {
    return checkpoint.coded.capacity() + kEntryOverhead;
}

std::size_t size_of(const LoggedInput& logged) {
    return logged.input.bytes.capacity() + logged.input.name.capacity() + kEntryOverhead;
}

// Drops what lies after `now`: the machine goes on from there.
void drop_future(History& history) {
    while (!history.checkpoints.empty() &&
           history.checkpoints.back().at.instructions > history.now.instructions) {
        history.memory -= size_of(history.checkpoints.back());
        history.checkpoints.pop_back();
    }
    while (history.first_input + history.inputs.size() > history.next_input) {
        history.memory -= size_of(history.inputs.back());
        history.inputs.pop_back();
    }
    // The next checkpoint is a whole one: the reference may have been a dropped one.
    history.reference.clear();
    history.end = history.now;
    history.next_checkpoint_cycles = history.now.cycles + kCheckpointCycles;
}

// The oldest group of checkpoints (a whole one and those coded against it) goes while what
// stays still covers the length kept, or while the memory is over its limit; one group always
// stays.
void drop_oldest(History& history) {
    while (!history.checkpoints.empty()) {
        const auto second =
            std::find_if(history.checkpoints.begin() + 1, history.checkpoints.end(),
                         [](const Checkpoint& c) { return c.keyframe_distance == 0; });
        if (second == history.checkpoints.end()) return;
        const bool long_enough =
            history.end.cycles - second->at.cycles >= history.settings.length_cycles;
        if (!long_enough && history.memory <= history.settings.memory_limit) return;
        const std::uint64_t kept_inputs = second->next_input;
        for (auto it = history.checkpoints.begin(); it != second; ++it)
            history.memory -= size_of(*it);
        history.checkpoints.erase(history.checkpoints.begin(), second);
        while (history.first_input < kept_inputs) {
            history.memory -= size_of(history.inputs.front());
            history.inputs.pop_front();
            ++history.first_input;
        }
    }
}

void take_checkpoint(Emulator& emulator) {
    History& history = emulator.history;
    std::vector<std::uint8_t>& state = history.state;
    encode_state(emulator, state);
    Checkpoint checkpoint{history.now, history.next_input, 0, {}};
    const bool whole = history.reference.size() != state.size() || history.checkpoints.empty() ||
                       history.checkpoints.back().keyframe_distance + 1 >= kCheckpointsPerKeyframe;
    if (whole) {
        append_zero_runs(state, {}, checkpoint.coded);
        history.reference.swap(state);
    } else {
        append_zero_runs(state, history.reference, checkpoint.coded);
        checkpoint.keyframe_distance = history.checkpoints.back().keyframe_distance + 1;
    }
    checkpoint.coded.shrink_to_fit();
    history.memory += size_of(checkpoint);
    history.checkpoints.push_back(std::move(checkpoint));
    history.next_checkpoint_cycles = history.now.cycles + kCheckpointCycles;
    drop_oldest(history);
}

}  // namespace

bool recording(const History& history) {
    return history.settings.length_cycles != 0;
}

void set_history_minutes(History& history, int minutes) {
    constexpr std::uint64_t kSecondsPerMinute = 60;
    history.settings.length_cycles =
        static_cast<std::uint64_t>(minutes) * kSecondsPerMinute * kCyclesPerSecond;
    if (minutes != 0) return;
    history.checkpoints.clear();
    history.inputs.clear();
    history.first_input = history.next_input;
    history.reference.clear();
    history.memory = 0;
    history.end = history.now;
}

RunCount history_start(const History& history) {
    return history.checkpoints.empty() ? history.now : history.checkpoints.front().at;
}

std::size_t history_memory(const History& history) {
    return history.memory + history.reference.capacity() + history.state.capacity();
}

void begin_live_change(Emulator& emulator) {
    History& history = emulator.history;
    if (!recording(history)) return;
    if (history.end != history.now ||
        history.first_input + history.inputs.size() != history.next_input) [[unlikely]] {
        drop_future(history);
    }
    if (history.checkpoints.empty()) [[unlikely]] {
        history.load_opens_logged = emulator.bus.tape.load_opens;
        take_checkpoint(emulator);
    }
}

void end_live_steps(Emulator& emulator, const SliceResult& result) {
    History& history = emulator.history;
    history.now.instructions += static_cast<std::uint64_t>(result.steps);
    history.now.cycles += result.cycles;
    history.end = history.now;
    if (!recording(history)) return;
    const Tape& tape = emulator.bus.tape;
    // A slice ends at the instruction that opened the LOAD file: the bytes are logged there.
    if (tape.load_opens != history.load_opens_logged) [[unlikely]] {
        history.load_opens_logged = tape.load_opens;
        log_input(history, {InputKind::kLoadFile, tape.load_open, 0, {}, tape.load_bytes});
    }
    if (history.now.cycles >= history.next_checkpoint_cycles) [[unlikely]] {
        take_checkpoint(emulator);
    }
}

void log_input(History& history, Input input) {
    if (!recording(history)) return;
    LoggedInput logged{history.now, std::move(input)};
    history.memory += size_of(logged);
    history.inputs.push_back(std::move(logged));
    ++history.next_input;
}

void record_new_state(Emulator& emulator) {
    History& history = emulator.history;
    if (!recording(history)) return;
    begin_live_change(emulator);
    log_input(history, {InputKind::kNewState, 0, 0, {}, {}});
    history.reference.clear();
    history.load_opens_logged = emulator.bus.tape.load_opens;
    take_checkpoint(emulator);
}

void restore_checkpoint(const History& history, std::size_t index, Emulator& machine) {
    const Checkpoint& checkpoint = history.checkpoints[index];
    const Checkpoint& whole = history.checkpoints[index - checkpoint.keyframe_distance];
    // The history's own bytes: they decode.
    std::vector<std::uint8_t> state =
        decode_zero_runs(whole.coded, std::numeric_limits<std::size_t>::max()).value();
    if (&whole != &checkpoint) static_cast<void>(xor_zero_runs(checkpoint.coded, state));
    static_cast<void>(decode_state(machine, state));
}

std::size_t checkpoint_before(const History& history, std::uint64_t moment) {
    const auto after = std::upper_bound(
        history.checkpoints.begin(), history.checkpoints.end(), moment,
        [](std::uint64_t m, const Checkpoint& c) { return m < c.at.instructions; });
    return after == history.checkpoints.begin()
               ? 0
               : static_cast<std::size_t>(after - history.checkpoints.begin() - 1);
}

}  // namespace tolvan
