// The time machine's answers at the far end of a full history: ten minutes of emulated time
// (some 12 million instructions), recorded as the window records it with the debugger's window
// open, of the loop program (argument 0: memory traffic and a call) and of the demo firmware
// (argument 1: idle, its cursor blinking).
// - StepBack: one instruction back from the end (and on back, one at a time).
// - ReverseContinue: back to a breakpoint that the history never reached, so across all of it
//   to its start.
// Each reports the history's length in emulated seconds, its checkpoints and its memory.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <fstream>
#include <memory>
#include <string>

#include "bench/bench_program.h"
#include "machine/debugger.h"
#include "machine/slice.h"
#include "machine/time_travel.h"

namespace tolvan {
namespace {

// The demo firmware's images, as power-on loads them.
std::unique_ptr<Emulator> demo_firmware() {
    auto emulator = std::make_unique<Emulator>();
    const auto read = [&](const char* name, std::uint16_t start) {
        std::ifstream file(std::string(TOLVAN_FIRMWARE_DIR) + "/" + name, std::ios::binary);
        file.read(reinterpret_cast<char*>(&emulator->bus.memory.image[start]), 0x8000);
    };
    read("TOLVANL.ROM", 0x0000);
    read("TOLVANH.ROM", 0x8000);
    emulator->bus.memory.ram_size = kRamSize16K;
    emulator->cpu.timer_limit_512ms = 50000;
    emulator->cpu.timer_limit_2ms = 20;
    return emulator;
}

// A machine that has run ten minutes of emulated time, and a little more.
std::unique_ptr<Emulator> ten_minutes_run(std::unique_ptr<Emulator> emulator) {
    // The debugger's window is open (its slices record the last instructions, and a stop shows
    // the instructions that led there), but nothing stops the machine.
    emulator->debugger.attached = true;
    Display display = make_display();
    const std::uint64_t length = emulator->history.settings.length_cycles;
    while (emulator->history.now.cycles < length + kCyclesPerSecond)
        static_cast<void>(run_slice(*emulator, display));
    return emulator;
}

void report_history(benchmark::State& state, const Emulator& emulator) {
    const History& history = emulator.history;
    const double seconds = static_cast<double>(history.end.cycles - history_start(history).cycles) /
                           static_cast<double>(kCyclesPerSecond);
    state.counters["history_s"] = seconds;
    state.counters["history_instructions"] =
        static_cast<double>(history.end.instructions - history_start(history).instructions);
    state.counters["checkpoints"] = static_cast<double>(history.checkpoints.size());
    state.counters["history_MB"] = static_cast<double>(history_memory(history)) / (1 << 20);
}

// The loop program (state.range(0) 0) or the demo firmware, idle with its cursor blinking (1).
std::unique_ptr<Emulator> machine(const benchmark::State& state) {
    static const Program program = assemble(kLoopProgram);
    return ten_minutes_run(state.range(0) == 0 ? load(program) : demo_firmware());
}

void BM_StepBack(benchmark::State& state) {
    auto emulator = machine(state);
    for (auto _ : state) {
        if (!step_back(*emulator)) state.SkipWithError("no step back");
    }
    report_history(state, *emulator);
}
BENCHMARK(BM_StepBack)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(50);

void BM_ReverseContinue(benchmark::State& state) {
    auto emulator = machine(state);
    const std::uint64_t end = emulator->history.end.instructions;
    set_breakpoint(emulator->debugger, 0x9000, true);  // never reached
    for (auto _ : state) {
        state.PauseTiming();
        if (!travel_to(*emulator, end)) state.SkipWithError("no end");
        state.ResumeTiming();
        if (!reverse_continue(*emulator)) state.SkipWithError("no reverse continue");
    }
    if (emulator->debugger.last_stop.reason != StopReason::kHistoryStart) {
        state.SkipWithError("stopped before the start");
    }
    report_history(state, *emulator);
}
BENCHMARK(BM_ReverseContinue)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
}  // namespace tolvan

BENCHMARK_MAIN();
