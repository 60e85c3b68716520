// The execution slice's length and its clock: full slices, no clock at MaxDelay 0, a delay cut
// at the deadline that the next slice finishes, and a window tick at the largest MaxDelay.
#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <initializer_list>
#include <memory>

#include "cpu/step.h"
#include "machine/slice.h"

namespace tolvan {
namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

constexpr std::uint16_t kProgram = 0x8000;

// A loop that waits for each 2 ms tick with TEST and counts the ticks in K and the polls in
// L: what it computes depends on where the ticks fall.
// 8000 TEST 02; JRZP 8007 (no tick yet); INCK; JRM 8000; 8007 INCL; JRM 8000
constexpr std::initializer_list<std::uint8_t> kTickCounter = {0x6B, 0x02, 0x38, 0x04, 0x48,
                                                              0x2D, 0x06, 0xC8, 0x2D, 0x09};

// A clock that moves on by a fixed step at every reading, and counts the readings.
struct SteppingClock {
    steady_clock::time_point time{};
    milliseconds step{0};
    int reads = 0;

    static steady_clock::time_point now(void* context) {
        auto& clock = *static_cast<SteppingClock*>(context);
        ++clock.reads;
        clock.time += clock.step;
        return clock.time;
    }
    SliceClock slice_clock() { return {&SteppingClock::now, this}; }
};

std::unique_ptr<Emulator> machine_running(std::initializer_list<std::uint8_t> program,
                                          std::int32_t max_delay) {
    auto emulator = std::make_unique<Emulator>();
    std::uint16_t address = kProgram;
    for (std::uint8_t byte : program)
        emulator->bus.memory.image[address++] = byte;
    Cpu& cpu = emulator->cpu;
    cpu.pc = kProgram;
    cpu.max_delay = max_delay;
    cpu.timer_limit_512ms = 50000;
    cpu.timer_limit_2ms = 20;
    return emulator;
}

TEST(Slice, RunsAllItsStepsAndReadsTheClockOnlyWithADelay) {
    struct Case {
        std::int32_t max_delay;
        bool clock;
        std::int64_t passes_per_step;  // for the loop's costs of 4 and 7 cycles, or -1
        DelayLoop delay = DelayLoop::kRun;
    };
    // Skipped, the largest delay costs nothing (run, it would take hours).
    for (const Case& c :
         {Case{0, false, 1}, Case{0, true, 1}, Case{-1, true, 0}, Case{3, false, -1},
          Case{3, true, -1}, Case{INT_MAX, false, 0, DelayLoop::kSkip},
          Case{INT_MAX, true, 0, DelayLoop::kSkip}}) {
        auto emulator = machine_running(kTickCounter, c.max_delay);
        Display display;
        SteppingClock clock;  // time stands still: the deadline never comes
        int observed = 0;
        const StepObserver observer{[](void* context, const Emulator&, std::uint16_t,
                                       std::uint8_t) { ++*static_cast<int*>(context); },
                                    &observed};
        const SliceResult result = run_slice(
            *emulator, display, {observer, c.clock ? clock.slice_clock() : SliceClock{}, c.delay});
        EXPECT_EQ(result.steps, kStepsPerSlice) << c.max_delay;
        EXPECT_EQ(observed, kStepsPerSlice) << c.max_delay;
        if (c.passes_per_step >= 0) {
            EXPECT_EQ(result.delay_passes, c.passes_per_step * kStepsPerSlice) << c.max_delay;
        }
        EXPECT_EQ(clock.reads > 0, c.clock && c.max_delay > 0 && c.delay == DelayLoop::kRun)
            << c.max_delay;
    }
}

// The passes that the delay loop has left to make from an unfinished sum.
std::int64_t remaining_passes(const Cpu& cpu, std::int64_t sum) {
    return delay_passes_up_to(sum, cpu.max_delay, delay_increment(cpu));
}

TEST(Slice, DelayCutAtTheDeadlineIsFinishedByTheNextSliceAsIfUncut) {
    // Several budgets of clock checks per step, and three readings per slice before the
    // deadline: most slices end inside a delay loop.
    constexpr std::int32_t kMaxDelay = 900'000;
    auto split = machine_running(kTickCounter, kMaxDelay);
    Display display;
    SteppingClock clock{.step = milliseconds(4)};
    int steps = 0;
    std::int64_t passes = 0;
    int cut = 0;
    int without_step = 0;
    for (int slice = 0; slice < 200; ++slice) {
        const SliceResult result = run_slice(*split, display, {{}, clock.slice_clock()});
        steps += result.steps;
        passes += result.delay_passes;
        cut += split->slice.unfinished_delay.has_value();
        without_step += result.steps == 0;
    }
    EXPECT_GT(cut, 100);
    EXPECT_GT(without_step, 10) << "a long remainder fills a whole slice";
    if (split->slice.unfinished_delay) {
        passes += remaining_passes(split->cpu, *split->slice.unfinished_delay);
    }

    auto whole = machine_running(kTickCounter, kMaxDelay);
    std::int64_t whole_passes = 0;
    for (int n = 0; n < steps; ++n) {
        execute_instruction(whole->cpu, whole->bus);
        advance_timers(whole->cpu);
        whole_passes += run_delay_loop(whole->cpu);
    }
    EXPECT_EQ(passes, whole_passes);
    const Cpu& a = split->cpu;
    const Cpu& b = whole->cpu;
    EXPECT_EQ(a.pc, b.pc);
    EXPECT_EQ(a.iram, b.iram);
    EXPECT_EQ(a.flags, b.flags);
    EXPECT_EQ(a.counter_2ms, b.counter_2ms);
    EXPECT_EQ(a.counter_512ms, b.counter_512ms);
    EXPECT_EQ(a.elapsed_2ms, b.elapsed_2ms);
    EXPECT_EQ(a.elapsed_512ms, b.elapsed_512ms);
    EXPECT_GT(a.iram[kRegisterK], 2) << "the loop saw ticks";
}

TEST(Slice, WindowTickAtTheLargestDelayReturnsSoonAndTheMachineGoesOn) {
    // JP 8000: a cheap instruction, so one step's delay takes well over a second.
    auto emulator = machine_running({0x79, 0x80, 0x00}, INT_MAX);
    Display display;
    int steps = 0;
    for (int tick = 0; tick < 5000 && steps < 2; ++tick) {
        const auto start = steady_clock::now();
        steps += run_slice(*emulator, display, {{}, wall_clock()}).steps;
        ASSERT_LT(steady_clock::now() - start, milliseconds(200)) << "tick " << tick;
    }
    EXPECT_EQ(steps, 2) << "the delay went on across ticks and the next step followed";
}

}  // namespace
}  // namespace tolvan
