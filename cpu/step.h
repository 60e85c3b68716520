// The instruction step: one instruction with its timing (timer counters and delay loop).
//
// The pieces are inline so that the execution slice can run them in its own loop; `step` puts
// them together for everything else.
#pragma once

#include <cstdint>

#include "bus/bus.h"
#include "cpu/opcode_table.h"
#include "cpu/state.h"

namespace tolvan {

// Fetches the opcode at PC and runs its routine, which moves PC and stores the cycle cost.
inline void execute_instruction(Cpu& cpu, Bus& bus) {
    kRoutines[read_program_byte(bus.memory, cpu.pc)](cpu, bus);
}

// The timer limits. No instruction changes them (only the speed box and the resets do, between
// slices), so a slice reads them once.
struct TimerLimits {
    std::uint32_t limit_512ms;
    std::uint32_t limit_2ms;
};

inline TimerLimits timer_limits(const Cpu& cpu) {
    return {static_cast<std::uint32_t>(cpu.timer_limit_512ms),
            static_cast<std::uint32_t>(cpu.timer_limit_2ms)};
}

namespace detail {

// Counters, limits and costs are never negative: the counters only count up from 0 to their
// limit, the configuration and the speed box keep the limits at 0 or above, and every routine
// stores a positive cost. In unsigned 32-bit arithmetic the sum of two such values cannot wrap,
// so the comparison is exact, and a state outside that range (as a fuzzer makes) stays defined.
inline void advance_counter(std::int32_t& counter, std::uint32_t limit, std::int32_t& elapsed,
                            std::uint32_t cost) {
    const std::uint32_t next = static_cast<std::uint32_t>(counter) + cost;
    if (next > limit) [[unlikely]] {
        counter = 0;
        elapsed = 1;
    } else {
        counter = static_cast<std::int32_t>(next);
    }
}

}  // namespace detail

// Adds the cycle cost to both timer counters; a counter that passes its limit restarts at 0
// (the excess is dropped) and sets its elapsed flag.
inline void advance_timers(Cpu& cpu, TimerLimits limits) {
    const auto cost = static_cast<std::uint32_t>(cpu.cycle_cost);
    detail::advance_counter(cpu.counter_512ms, limits.limit_512ms, cpu.elapsed_512ms, cost);
    detail::advance_counter(cpu.counter_2ms, limits.limit_2ms, cpu.elapsed_2ms, cost);
}

inline void advance_timers(Cpu& cpu) {
    advance_timers(cpu, timer_limits(cpu));
}

// What one pass of the delay loop adds: the cycle cost, or 1 for the cost of 0 that an
// undefined opcode can leave before any defined one ran, so that the loop still ends.
inline std::int64_t delay_increment(const Cpu& cpu) {
    return cpu.cycle_cost > 0 ? cpu.cycle_cost : 1;
}

// One pass of the delay loop. The passes are the emulator's speed control: the empty
// assembler statement keeps the compiler from folding them into one addition.
inline void delay_pass(std::int64_t& sum, std::int64_t increment) {
    sum += increment;
    asm volatile("" : "+r"(sum));
}

// Makes passes while the sum is at most `ceiling` (MaxDelay, or less to stop part of the way)
// and returns their number. The sum is 64-bit so that MaxDelay at its largest cannot
// overflow it.
inline std::int64_t delay_passes_up_to(std::int64_t& sum, std::int64_t ceiling,
                                       std::int64_t increment) {
    std::int64_t passes = 0;
    while (sum <= ceiling) {
        delay_pass(sum, increment);
        ++passes;
    }
    return passes;
}

inline bool delay_finished(const Cpu& cpu, std::int64_t sum) {
    return sum > cpu.max_delay;
}

// The whole delay loop of one step; returns the number of passes: none for a negative
// MaxDelay, MaxDelay / cost + 1 otherwise.
inline std::int64_t run_delay_loop(const Cpu& cpu) {
    std::int64_t sum = 0;
    return delay_passes_up_to(sum, cpu.max_delay, delay_increment(cpu));
}

// One instruction with its timing. The timers advance before the delay loop: the delay changes
// no emulated state, so a delay that a slice's deadline cuts short leaves the step complete.
void step(Cpu& cpu, Bus& bus);

}  // namespace tolvan
