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
};

struct SliceResult {
    int steps = 0;
    // Passes of the delay loop made in this slice, an unfinished delay's included.
    std::int64_t delay_passes = 0;
    bool drew_lcd = false;
    // The debugger stopped the slice (breakpoint, watchpoint, end of a step).
    bool stopped = false;
    // What failed during the slice (a tape SAVE that could not be written), told once.
    Failures failures;
};

// One instruction step, reported to the observer if there is one.
void observed_step(Emulator& emulator, const StepObserver& observer, DelayLoop delay);

// The same under the debugger (no key scan, no refresh). Returns true when the debugger
// stopped, before the instruction (which then has not run) or after it.
bool debugged_step(Emulator& emulator, const StepObserver& observer, DelayLoop delay);

// If the firmware has switched the display on: clears the request and draws the LCD if a
// display byte changed since the last drawing. Returns whether it drew.
bool serve_refresh_request(Emulator& emulator, Display& display);

// One execution slice. With a clock, a slice that reaches the end of its period stops, within
// a step's delay loop if need be; the next slice finishes that delay first, so the machine
// does exactly what an uninterrupted run would, spread over more slices.
//
// Under the debugger (see debugging()) a slice checks around each step for breakpoints,
// watchpoints and the end of a step over or out, records the history, and stops there; while
// the debugger is paused it runs no step at all.
[[nodiscard]] SliceResult run_slice(Emulator& emulator, Display& display,
                                    const SliceOptions& options = {});

// One instruction step as a slice runs it (key scan, timers, delay loop, display refresh),
// under the debugger; for its Step command. Nothing runs while another slice is running or the
// ROM images are missing.
[[nodiscard]] SliceResult run_single_step(Emulator& emulator, Display& display);

}  // namespace tolvan
