#include "machine/slice.h"

#include <algorithm>

#include "cpu/step.h"
#include "machine/control.h"
#include "machine/debugger.h"

namespace tolvan {

namespace {

using TimePoint = std::chrono::steady_clock::time_point;

// A window's slice reads the clock after this much work, counting one unit per step and one
// per delay-loop pass: some tens of microseconds, so that the slice ends close to its deadline
// and the clock costs nothing measurable.
constexpr std::int64_t kWorkBetweenClockChecks = std::int64_t{1} << 16;

// The next waiting key goes in once the previous one is gone; a held key is let go after three
// scans.
void count_scan_pass(Keyboard& keyboard) {
    keyboard.release_address_passed = true;
    deliver_queued_key(keyboard);
    // Compared before counting, so that a count from a state file far past the limit lets the
    // key go rather than overflow.
    if (keyboard.scan_pass_counter < kKeyReleasePasses - 1) {
        ++keyboard.scan_pass_counter;
        return;
    }
    keyboard.scan_pass_counter = 0;
    release_matrix_keys(keyboard);
}

// The delay loop after each step, chosen once per slice: nothing changes MaxDelay during a
// slice (the speed box runs between slices). Each kind continues a delay from a sum, counts its
// passes and returns false when the slice must stop, the delay having been left unfinished.

// MaxDelay 0: exactly one pass, whatever the cost. That pass is the addition of the step's cost
// to the slice's count of cycles, which the loop makes for every step anyway.
class SinglePass {
  public:
    static bool after_step(const Cpu&) { return true; }
    bool finish(const Cpu& cpu, std::int64_t sum) {
        resumed_passes_ = delay_passes_up_to(sum, cpu.max_delay, delay_increment(cpu));
        return true;
    }
    std::int64_t passes(int steps) const { return resumed_passes_ + steps; }

  private:
    std::int64_t resumed_passes_ = 0;
};

// Every pass, without looking at the clock: a negative MaxDelay (no pass at all), or a slice
// given no clock.
class WholeDelay {
  public:
    bool after_step(const Cpu& cpu) { return finish(cpu, 0); }
    bool finish(const Cpu& cpu, std::int64_t sum) {
        passes_ += delay_passes_up_to(sum, cpu.max_delay, delay_increment(cpu));
        return true;
    }
    std::int64_t passes(int) const { return passes_; }

  private:
    std::int64_t passes_ = 0;
};

// No pass at all: a slice without a window, and a replay of the history. The delay changes
// nothing that the machine can see.
struct NoDelay {
    static bool after_step(const Cpu&) { return true; }
    static bool finish(const Cpu&, std::int64_t) { return true; }
    static std::int64_t passes(int) { return 0; }
};

// A window's slice with a positive MaxDelay: the passes and steps are counted against a budget
// of work, and the clock is read each time it is spent.
class ClockedDelay {
  public:
    ClockedDelay(const SliceClock& clock, SliceProgress& progress)
        : clock_(clock), progress_(progress), deadline_(clock.now(clock.context) + kSlicePeriod) {}

    bool after_step(const Cpu& cpu) {
        --budget_;
        if (!finish(cpu, 0)) return false;
        return budget_ > 0 || !deadline_passed();
    }
    bool finish(const Cpu& cpu, std::int64_t sum) {
        const std::int64_t increment = delay_increment(cpu);
        for (;;) {
            // At most the budget's number of passes.
            const std::int64_t ceiling =
                std::min<std::int64_t>(cpu.max_delay, sum + (budget_ - 1) * increment);
            const std::int64_t made = delay_passes_up_to(sum, ceiling, increment);
            passes_ += made;
            budget_ -= made;
            if (delay_finished(cpu, sum)) return true;
            if (deadline_passed()) {
                progress_.unfinished_delay = sum;
                return false;
            }
        }
    }
    std::int64_t passes(int) const { return passes_; }

  private:
    // Starts a new budget.
    bool deadline_passed() {
        budget_ = kWorkBetweenClockChecks;
        return clock_.now(clock_.context) >= deadline_;
    }

    const SliceClock& clock_;
    SliceProgress& progress_;
    TimePoint deadline_;
    std::int64_t budget_ = kWorkBetweenClockChecks;
    std::int64_t passes_ = 0;
};

// What a slice checks around each step besides the delay, chosen once per slice, so that a
// slice without an observer or a debugger pays nothing for them. `before_step` returns false
// to stop before the instruction, `after_step` true to stop after it.
struct Unwatched {
    static bool before_step(const Emulator&) { return true; }
    static bool after_step(const Emulator&) { return false; }
};

class Observed {
  public:
    explicit Observed(const StepObserver& observer) : observer_(observer) {}
    bool before_step(const Emulator& emulator) {
        address_ = emulator.cpu.pc;
        opcode_ = read_program_byte(emulator.bus.memory, address_);
        return true;
    }
    bool after_step(const Emulator& emulator) {
        observer_.after_step(observer_.context, emulator, address_, opcode_);
        return false;
    }

  private:
    const StepObserver& observer_;
    std::uint16_t address_ = 0;
    std::uint8_t opcode_ = 0;
};

// A replay looking for a moment in the history.
class Probed {
  public:
    explicit Probed(const StepProbe& probe) : probe_(probe) {}
    bool before_step(const Emulator& emulator) {
        if (probe_.before_step) probe_.before_step(probe_.context, emulator);
        return true;
    }
    bool after_step(const Emulator& emulator) {
        if (probe_.after_step) probe_.after_step(probe_.context, emulator);
        return false;
    }

  private:
    const StepProbe& probe_;
};

// If the firmware has switched the display on: clears the request and, if a display byte
// changed since the last drawing, keeps the display area as the LCD now shows it and draws it
// (when there is a display: a replay has none). Returns whether it drew.
bool serve_refresh_request(Emulator& emulator, Display* display) {
    Bus& bus = emulator.bus;
    if (!bus.ports.refresh_request) return false;
    bus.ports.refresh_request = false;
    const bool draw = bus.memory.lcd_redraw;
    bus.memory.lcd_redraw = false;
    if (!draw) return false;
    std::copy_n(&bus.memory.image[kDisplayStart], kDrawnDisplaySize, emulator.screen.cells.begin());
    if (display) draw_lcd(*display, emulator.screen.cells);
    return true;
}

// Under the debugger: it stops before an instruction at a breakpoint or the run's target, and
// after one that ends a step or touched a watched address; each instruction goes into the
// history, and to the observer if there is one.
class Debugged {
  public:
    Debugged(Emulator& emulator, const StepObserver& observer)
        : run_(emulator), observer_(observer), moment_(emulator.history.now.instructions) {}
    bool before_step(Emulator& emulator) {
        if (stop_before_step(emulator)) return false;
        address_ = emulator.cpu.pc;
        opcode_ = read_program_byte(emulator.bus.memory, address_);
        record_history(emulator.debugger, address_, opcode_, emulator.cpu, moment_++);
        return true;
    }
    bool after_step(Emulator& emulator) {
        if (observer_.after_step)
            observer_.after_step(observer_.context, emulator, address_, opcode_);
        return stop_after_step(emulator, address_, opcode_);
    }

  private:
    const DebuggedRun run_;
    const StepObserver& observer_;
    std::uint64_t moment_;
    std::uint16_t address_ = 0;
    std::uint8_t opcode_ = 0;
};

template <class Delay, class Watch>
SliceResult run_steps(Emulator& emulator, Display* display, Delay delay, Watch& watch,
                      int step_limit) {
    Cpu& cpu = emulator.cpu;
    Bus& bus = emulator.bus;
    const TimerLimits limits = timer_limits(cpu);
    SliceResult result;
    if (const auto unfinished = emulator.slice.unfinished_delay) {
        emulator.slice.unfinished_delay.reset();
        if (!delay.finish(cpu, *unfinished)) {
            result.delay_passes = delay.passes(0);
            return result;
        }
    }
    // A refresh request that a loaded state holds is served after the first step, as if an
    // instruction had just raised it.
    bus.slice_stop = bus.ports.refresh_request;
    std::uint64_t cycles = 0;
    int left = step_limit;
    while (left != 0) {
        if (!watch.before_step(emulator)) {
            result.stopped = true;
            break;
        }
        if (cpu.pc == kKeyReleaseAddress) [[unlikely]] {
            count_scan_pass(bus.keyboard);
        }
        execute_instruction(cpu, bus);
        advance_timers(cpu, limits);
        cycles += static_cast<std::uint32_t>(cpu.cycle_cost);
        const bool go_on = delay.after_step(cpu);
        --left;
        const bool stop_here = watch.after_step(emulator);
        if (bus.slice_stop) [[unlikely]] {
            bus.slice_stop = false;
            result.drew_lcd = serve_refresh_request(emulator, display);
            result.stopped = stop_here;
            break;
        }
        if (stop_here) {
            result.stopped = true;
            break;
        }
        if (!go_on) break;
    }
    result.steps = step_limit - left;
    result.cycles = cycles;
    result.delay_passes = delay.passes(result.steps);
    emulator.executed.instructions += static_cast<std::uint64_t>(result.steps);
    emulator.executed.cycles += cycles;
    return result;
}

template <class Watch>
SliceResult run_watched(Emulator& emulator, Display* display, const SliceOptions& options,
                        Watch& watch, int step_limit) {
    if (options.delay == DelayLoop::kSkip) {
        return run_steps(emulator, display, NoDelay{}, watch, step_limit);
    }
    const std::int32_t max_delay = emulator.cpu.max_delay;
    if (max_delay == 0) return run_steps(emulator, display, SinglePass{}, watch, step_limit);
    if (max_delay < 0 || !options.clock.now) {
        return run_steps(emulator, display, WholeDelay{}, watch, step_limit);
    }
    return run_steps(emulator, display, ClockedDelay(options.clock, emulator.slice), watch,
                     step_limit);
}

SliceResult run_chosen_steps(Emulator& emulator, Display* display, const SliceOptions& options,
                             int step_limit, bool debugged) {
    if (debugged) [[unlikely]] {
        Debugged watch(emulator, options.observer);
        return run_watched(emulator, display, options, watch, step_limit);
    }
    if (options.observer.after_step) {
        Observed watch(options.observer);
        return run_watched(emulator, display, options, watch, step_limit);
    }
    Unwatched watch;
    return run_watched(emulator, display, options, watch, step_limit);
}

TimePoint read_steady_clock(void*) {
    return std::chrono::steady_clock::now();
}

// Runs up to step_limit steps, unless another slice is running or no firmware is loaded; under
// the debugger when `debugged`.
SliceResult run_guarded(Emulator& emulator, Display* display, const SliceOptions& options,
                        bool debugged) {
    MachineControl& control = emulator.control;
    if (control.slice_busy || control.power_on_status != PowerOnStatus::kOk) return {};
    control.slice_busy = true;
    begin_live_change(emulator);
    SliceResult result = run_chosen_steps(emulator, display, options, options.step_limit, debugged);
    end_live_steps(emulator, result);
    control.slice_busy = false;
    result.failures = take_tape_failure(emulator.bus.tape);
    return result;
}

}  // namespace

SliceClock wall_clock() {
    return {&read_steady_clock, nullptr};
}

SliceResult run_slice(Emulator& emulator, Display& display, const SliceOptions& options) {
    if (is_paused(emulator)) return {};
    return run_guarded(emulator, &display, options, debugging(emulator.debugger));
}

RunCount replay_steps(Emulator& emulator, std::uint64_t count, const StepProbe* probe) {
    RunCount ran;
    if (emulator.control.power_on_status != PowerOnStatus::kOk) return ran;
    // A replay stops where a slice would, and goes on at once.
    constexpr std::uint64_t kChunk = 1 << 20;
    while (ran.instructions != count) {
        const int limit = static_cast<int>(std::min(count - ran.instructions, kChunk));
        SliceResult result;
        if (probe) {
            Probed watch(*probe);
            result = run_steps(emulator, nullptr, NoDelay{}, watch, limit);
        } else {
            Unwatched watch;
            result = run_steps(emulator, nullptr, NoDelay{}, watch, limit);
        }
        ran.instructions += static_cast<std::uint64_t>(result.steps);
        ran.cycles += result.cycles;
    }
    return ran;
}

SliceResult run_single_step(Emulator& emulator, Display& display) {
    return run_guarded(emulator, &display, {{}, {}, DelayLoop::kRun, 1}, true);
}

}  // namespace tolvan
