#include "machine/time_travel.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "cpu/opcode_table.h"
#include "machine/inputs.h"
#include "machine/slice.h"

namespace tolvan {

namespace {

// A machine replayed from the history's checkpoints and log, and where it is on the timeline.
class Replay {
  public:
    Replay(const History& history, Emulator& machine) : history_(history), machine_(machine) {
        machine_.bus.tape.replay = {&Replay::take_load, this};
    }
    ~Replay() { machine_.bus.tape.replay = {}; }
    Replay(const Replay&) = delete;
    Replay& operator=(const Replay&) = delete;

    void start_at(std::size_t checkpoint) {
        restore_checkpoint(history_, checkpoint, machine_);
        now_ = history_.checkpoints[checkpoint].at;
        next_input_ = history_.checkpoints[checkpoint].next_input;
    }
    // The machine is at `now` already, with the inputs before `next_input` made.
    void continue_from(RunCount now, std::uint64_t next_input) {
        now_ = now;
        next_input_ = next_input;
    }

    // The steps up to the moment, and the logged inputs as their moments come.
    void run_to(std::uint64_t moment, const StepProbe* probe) {
        for (;;) {
            const LoggedInput* input = logged(next_input_);
            const bool input_due = input && input->at.instructions <= moment;
            const std::uint64_t stop = input_due ? input->at.instructions : moment;
            const RunCount ran = replay_steps(machine_, stop - now_.instructions, probe);
            now_.instructions += ran.instructions;
            now_.cycles += ran.cycles;
            if (!input_due || now_.instructions != stop) return;
            static_cast<void>(apply_input(machine_, input->input));
            ++next_input_;
        }
    }

    RunCount now() const { return now_; }
    std::uint64_t next_input() const { return next_input_; }

  private:
    const LoggedInput* logged(std::uint64_t index) const {
        if (index < history_.first_input) return nullptr;
        const std::uint64_t at = index - history_.first_input;
        return at < history_.inputs.size() ? &history_.inputs[at] : nullptr;
    }

    // An open of the LOAD file gets what the next logged open got: the log holds it at the
    // moment right after the opening instruction, which the replay has not passed yet.
    static bool take_load(void* context, std::vector<std::uint8_t>& bytes) {
        const auto& replay = *static_cast<const Replay*>(context);
        for (std::uint64_t index = replay.next_input_;; ++index) {
            const LoggedInput* input = replay.logged(index);
            if (!input) break;
            if (input->input.kind == InputKind::kLoadFile) {
                bytes = input->input.bytes;
                return input->input.value != 0;
            }
        }
        bytes.clear();
        return false;
    }

    const History& history_;
    Emulator& machine_;
    RunCount now_;
    std::uint64_t next_input_ = 0;
};

// A machine of its own for looking through the past: the one that the user sees stays as it is.
std::unique_ptr<Emulator> scratch_machine(const Emulator& emulator) {
    auto scratch = std::make_unique<Emulator>();
    scratch->control.power_on_status = emulator.control.power_on_status;
    return scratch;
}

bool holds(const History& history, std::uint64_t moment) {
    return !history.checkpoints.empty() && moment >= history_start(history).instructions &&
           moment <= history.end.instructions;
}

// The machine to the moment: from where it is when it is a little before, from the latest
// checkpoint otherwise.
void move_to(Emulator& emulator, std::uint64_t moment, const StepProbe* probe = nullptr) {
    History& history = emulator.history;
    const std::size_t checkpoint = checkpoint_before(history, moment);
    Replay replay(history, emulator);
    const std::uint64_t now = history.now.instructions;
    if (now <= moment && history.checkpoints[checkpoint].at.instructions <= now) {
        replay.continue_from(history.now, history.next_input);
    } else {
        replay.start_at(checkpoint);
    }
    replay.run_to(moment, probe);
    history.now = replay.now();
    history.next_input = replay.next_input();
    history.load_opens_logged = emulator.bus.tape.load_opens;
}

// Records each replayed instruction into the debugger's history, as a debugged run would.
struct HistoryRecorder {
    Debugger& debugger;
    std::uint64_t moment;

    static void before_step(void* context, const Emulator& emulator) {
        auto& recorder = *static_cast<HistoryRecorder*>(context);
        const std::uint16_t pc = emulator.cpu.pc;
        record_history(recorder.debugger, pc, read_program_byte(emulator.bus.memory, pc),
                       emulator.cpu, recorder.moment++);
    }
};

// Looks for moments before `before`, segment by segment between checkpoints, from the newest:
// the matcher sees every step of a segment and keeps the latest match. Returns whether one was
// found.
template <class Matcher>
bool search_back(const Emulator& emulator, std::uint64_t before, Matcher& matcher) {
    const History& history = emulator.history;
    if (history.checkpoints.empty() || before <= history_start(history).instructions) {
        return false;
    }
    auto scratch = scratch_machine(emulator);
    matcher.prepare(*scratch);
    const StepProbe probe{&Matcher::before_step, &Matcher::after_step, &matcher};
    for (std::size_t k = checkpoint_before(history, before - 1) + 1; k-- > 0;) {
        const std::uint64_t start = history.checkpoints[k].at.instructions;
        std::uint64_t end = before;
        if (k + 1 < history.checkpoints.size()) {
            end = std::min(end, history.checkpoints[k + 1].at.instructions);
        }
        Replay replay(history, *scratch);
        replay.start_at(k);
        matcher.begin_segment(start, before, *scratch);
        replay.run_to(end, &probe);
        if (matcher.found) break;
    }
    matcher.finish(*scratch);
    return matcher.found;
}

// What every matcher keeps: the step's moment, and the latest match.
struct MatcherBase {
    std::uint64_t moment = 0;  // of the step under way, before it
    std::uint64_t before = 0;
    bool found = false;
    std::uint64_t match = 0;

    void prepare(Emulator&) {}
    void finish(Emulator&) {}
    void begin_segment(std::uint64_t start, std::uint64_t limit, const Emulator&) {
        moment = start;
        before = limit;
    }
    // Whether the moment counts: one before the search's limit.
    bool found_at(std::uint64_t at) {
        if (at >= before) return false;
        found = true;
        match = at;
        return true;
    }
};

// PC at an address, before the instruction there.
struct PcAt : MatcherBase {
    std::uint16_t address = 0;

    static void before_step(void* context, const Emulator& emulator) {
        auto& self = *static_cast<PcAt*>(context);
        if (emulator.cpu.pc == self.address) self.found_at(self.moment);
    }
    static void after_step(void* context, const Emulator&) {
        ++static_cast<PcAt*>(context)->moment;
    }
};

// The data accesses of the instructions, watched as a debugged run watches them.
struct WatchingMatcher : MatcherBase {
    std::vector<Watchpoint> watchpoints;
    DataWatch watch;

    void prepare(Emulator& machine) {
        if (watchpoints.empty()) return;
        watch.watchpoints = &watchpoints;
        watch_data_accesses(machine.bus.memory, &watch);
    }
    void finish(Emulator& machine) { watch_data_accesses(machine.bus.memory, nullptr); }
    // The watched access of the instruction just run, if any.
    WatchHit take_hit(const Emulator& machine) {
        if (!machine.bus.memory.watch) return {};
        check_watched_accesses(machine.bus.memory);
        const WatchHit hit = watch.hit;
        watch.hit = {};
        return hit;
    }
};

// A breakpoint (before the instruction) or a watched access (after the instruction).
struct BreakOrWatch : WatchingMatcher {
    const Debugger* debugger = nullptr;
    std::uint16_t pc = 0;
    StopInfo stop;

    static void before_step(void* context, const Emulator& emulator) {
        auto& self = *static_cast<BreakOrWatch*>(context);
        self.pc = emulator.cpu.pc;
        if (self.debugger->breakpoint_at[self.pc] && self.found_at(self.moment)) {
            self.stop = {StopReason::kBreakpoint, self.pc, 0, 0, false};
        }
    }
    static void after_step(void* context, const Emulator& emulator) {
        auto& self = *static_cast<BreakOrWatch*>(context);
        ++self.moment;
        const WatchHit hit = self.take_hit(emulator);
        if (hit.hit && self.found_at(self.moment)) {
            self.stop = {StopReason::kWatchpoint, emulator.cpu.pc, self.pc, hit.address, hit.write};
        }
    }
};

// A call made at a stack level that pushed a given return address: the call that a return
// came back from.
struct CallAtLevel : MatcherBase {
    std::uint8_t level = 0;
    std::uint16_t return_address = 0;
    std::uint8_t r_before = 0;
    std::uint8_t opcode = 0;

    static void before_step(void* context, const Emulator& emulator) {
        auto& self = *static_cast<CallAtLevel*>(context);
        self.r_before = emulator.cpu.r;
        self.opcode = read_program_byte(emulator.bus.memory, emulator.cpu.pc);
    }
    static void after_step(void* context, const Emulator& emulator) {
        auto& self = *static_cast<CallAtLevel*>(context);
        const Cpu& cpu = emulator.cpu;
        const auto pushed = static_cast<std::uint16_t>(
            cpu.iram[(cpu.r + 1u) & kInternalRamMask] << 8 | cpu.iram[cpu.r & kInternalRamMask]);
        if (flow_of(self.opcode) == Flow::kCall && self.r_before == self.level &&
            cpu.r != self.r_before && pushed == self.return_address) {
            self.found_at(self.moment);
        }
        ++self.moment;
    }
};

// A write that reaches an address's cell.
struct WriteTo : WatchingMatcher {
    std::uint16_t pc = 0;
    std::int64_t executed_offset = 0;  // the machine's count less the timeline's, in a segment
    LastWrite last;

    void begin_segment(std::uint64_t start, std::uint64_t limit, const Emulator& machine) {
        WatchingMatcher::begin_segment(start, limit, machine);
        executed_offset = static_cast<std::int64_t>(machine.executed.instructions - start);
    }
    static void before_step(void* context, const Emulator& emulator) {
        static_cast<WriteTo*>(context)->pc = emulator.cpu.pc;
    }
    static void after_step(void* context, const Emulator& emulator) {
        auto& self = *static_cast<WriteTo*>(context);
        const WatchHit hit = self.take_hit(emulator);
        if (hit.hit && hit.write && self.found_at(self.moment)) {
            const auto after = static_cast<std::int64_t>(self.moment + 1) + self.executed_offset;
            self.last = {self.moment, static_cast<std::uint64_t>(after), self.pc, hit.value};
        }
        ++self.moment;
    }
};

// The debugger stops at the moment reached.
void stop_there(Emulator& emulator, StopInfo info) {
    info.pc = emulator.cpu.pc;
    mark_stop(emulator, info);
}

bool travel_and_stop(Emulator& emulator, std::uint64_t moment, StopInfo info) {
    // A debugger's stop shows the instructions that led there.
    allocate_history(emulator.debugger);
    if (!travel_to(emulator, moment)) return false;
    stop_there(emulator, info);
    return true;
}

bool at_history_start(const Emulator& emulator) {
    const History& history = emulator.history;
    return history.checkpoints.empty() ||
           history.now.instructions <= history_start(history).instructions;
}

}  // namespace

bool travel_to(Emulator& emulator, std::uint64_t moment) {
    History& history = emulator.history;
    if (!holds(history, moment)) return false;
    Debugger& debugger = emulator.debugger;
    if (!debugger.attached && debugger.history_ring.empty()) {
        move_to(emulator, moment);
        return true;
    }
    // The debugger's history shows the instructions that led here.
    const std::uint64_t from =
        std::max(history_start(history).instructions, moment - std::min(moment, kHistorySize));
    move_to(emulator, from);
    allocate_history(debugger);
    clear_history(debugger);
    HistoryRecorder recorder{debugger, from};
    const StepProbe probe{&HistoryRecorder::before_step, nullptr, &recorder};
    move_to(emulator, moment, &probe);
    return true;
}

bool travel_back_in_time(Emulator& emulator, std::uint64_t cycles) {
    if (at_history_start(emulator)) return false;
    const History& history = emulator.history;
    const RunCount start = history_start(history);
    const double span_cycles = static_cast<double>(history.end.cycles - start.cycles);
    const double span_instructions =
        static_cast<double>(history.end.instructions - start.instructions);
    const double per_cycle = span_cycles > 0 ? span_instructions / span_cycles : 1;
    const auto back = std::max<std::uint64_t>(
        1, static_cast<std::uint64_t>(static_cast<double>(cycles) * per_cycle));
    const std::uint64_t now = history.now.instructions;
    return travel_to(emulator, now - std::min(back, now - start.instructions));
}

bool step_back(Emulator& emulator) {
    if (at_history_start(emulator)) return false;
    return travel_and_stop(emulator, emulator.history.now.instructions - 1,
                           {StopReason::kStepBack, 0, 0, 0, false});
}

bool step_back_over(Emulator& emulator) {
    if (at_history_start(emulator)) return false;
    const History& history = emulator.history;
    const std::uint64_t previous = history.now.instructions - 1;
    // The instruction that led here, as it ran.
    auto scratch = scratch_machine(emulator);
    {
        Replay replay(history, *scratch);
        replay.start_at(checkpoint_before(history, previous));
        replay.run_to(previous, nullptr);
    }
    const std::uint8_t opcode = read_program_byte(scratch->bus.memory, scratch->cpu.pc);
    const std::uint8_t r_before = scratch->cpu.r;
    std::uint64_t target = previous;
    if (flow_of(opcode) == Flow::kReturn && emulator.cpu.r != r_before) {
        CallAtLevel call;
        call.level = emulator.cpu.r;
        call.return_address = emulator.cpu.pc;
        if (search_back(emulator, previous, call)) target = call.match;
    }
    return travel_and_stop(emulator, target, {StopReason::kStepBackOver, 0, 0, 0, false});
}

bool reverse_continue(Emulator& emulator) {
    if (at_history_start(emulator)) return false;
    const Debugger& debugger = emulator.debugger;
    BreakOrWatch matcher;
    matcher.debugger = &debugger;
    matcher.watchpoints = debugger.watchpoints;
    const bool anything_set = debugger.breakpoint_count != 0 || !debugger.watchpoints.empty();
    if (anything_set && search_back(emulator, emulator.history.now.instructions, matcher)) {
        return travel_and_stop(emulator, matcher.match, matcher.stop);
    }
    return travel_and_stop(emulator, history_start(emulator.history).instructions,
                           {StopReason::kHistoryStart, 0, 0, 0, false});
}

bool reverse_run_to(Emulator& emulator, std::uint16_t address) {
    PcAt matcher;
    matcher.address = address;
    if (!search_back(emulator, emulator.history.now.instructions, matcher)) return false;
    return travel_and_stop(emulator, matcher.match, {StopReason::kReverseRunTo, 0, 0, 0, false});
}

std::optional<LastWrite> find_last_write(const Emulator& emulator, std::uint16_t address) {
    WriteTo matcher;
    matcher.watchpoints = {{address, address, false, true}};
    if (!search_back(emulator, emulator.history.now.instructions, matcher)) return std::nullopt;
    return matcher.last;
}

bool go_to_last_write(Emulator& emulator, std::uint16_t address) {
    const auto last = find_last_write(emulator, address);
    if (!last) return false;
    return travel_and_stop(emulator, last->moment,
                           {StopReason::kLastWrite, 0, last->pc, address, true});
}

}  // namespace tolvan
