// The execution slice: up to 10,000 instruction steps per call of the window's 10 ms timer (or
// per --slices step of the headless program), ending early when the firmware switches the
// display on, and then drawing the LCD if a display byte changed.
#pragma once

#include <chrono>
#include <cstdint>

#include "machine/display.h"
#include "machine/emulator.h"
#include "machine/failures.h"

namespace tolvan {

// The firmware passes this address once per keyboard scan; a held key is let go after three.
inline constexpr std::uint16_t kKeyReleaseAddress = 0x1330;
inline constexpr int kKeyReleasePasses = 3;
inline constexpr int kStepsPerSlice = 10000;
// The period of the window's timer; a window's slice never runs much longer than that.
inline constexpr std::chrono::milliseconds kSlicePeriod{10};

// Called after every instruction step of a slice, with the address and opcode it executed; for
// tracing. A slice without one pays nothing for it.
struct StepObserver {
    void (*after_step)(void* context, const Emulator& emulator, std::uint16_t address,
                       std::uint8_t opcode) = nullptr;
    void* context = nullptr;
};

// The wall clock that a window's slice watches, so that a large MaxDelay slows the machine
// down without freezing the window. Headless slices have none, so that they do the same every
// time. Only a slice with a positive MaxDelay reads it.
struct SliceClock {
    std::chrono::steady_clock::time_point (*now)(void* context) = nullptr;
    void* context = nullptr;
};

// The host's steady clock.
SliceClock wall_clock();

// Whether the steps spend host time in the delay loop. Its passes change nothing that the
// emulated machine can see (the timers count cycle costs, not passes): they only slow the machine
// down for the one who watches it in the window. A run without a window skips them, so that a
// large MaxDelay costs it nothing; MaxDelay itself is kept and saved all the same.
enum class DelayLoop : std::uint8_t { kRun, kSkip };

struct SliceOptions {
    StepObserver observer;
    SliceClock clock;
    DelayLoop delay = DelayLoop::kRun;
    // Fewer for the last part of a headless --steps N.
    int step_limit = kStepsPerSlice;
};

struct SliceResult {
    int steps = 0;
    // What the steps cost: the emulated time they took.
    std::uint64_t cycles = 0;
    // Passes of the delay loop made in this slice, an unfinished delay's included.
    std::int64_t delay_passes = 0;
    bool drew_lcd = false;
    // The debugger stopped the slice (breakpoint, watchpoint, end of a step).
    bool stopped = false;
    // What failed during the slice (a tape SAVE that could not be written), told once.
    Failures failures;
};

// One execution slice. With a clock, a slice that reaches the end of its period stops, within
// a step's delay loop if need be; the next slice finishes that delay first, so the machine
// does exactly what an uninterrupted run would, spread over more slices.
//
// Under the debugger (see debugging()) a slice checks around each step for breakpoints,
// watchpoints and the end of a step over or out, records the history, and stops there; while
// the debugger is paused it runs no step at all.
[[nodiscard]] SliceResult run_slice(Emulator& emulator, Display& display,
                                    const SliceOptions& options = {});

// Called around each step that the history replays, to look for a moment in it.
struct StepProbe {
    void (*before_step)(void* context, const Emulator& emulator) = nullptr;
    void (*after_step)(void* context, const Emulator& emulator) = nullptr;
    void* context = nullptr;
};

// For the history: exactly `count` steps as slices run them (key scans, timers, refresh
// requests served, the shown LCD kept), at full speed, with no delay, debugger, drawing or
// file written, and the probe called around each step if there is one.
// Returns what ran: `count` steps, unless the machine has no ROM images to run.
RunCount replay_steps(Emulator& emulator, std::uint64_t count, const StepProbe* probe = nullptr);

// One instruction step as a slice runs it (key scan, timers, delay loop, display refresh),
// under the debugger; for its Step command. Nothing runs while another slice is running or the
// ROM images are missing.
[[nodiscard]] SliceResult run_single_step(Emulator& emulator, Display& display);

}  // namespace tolvan
