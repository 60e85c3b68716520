// Emulated instructions per second through the real instruction step, MaxDelay 0.
//
// The program mixes register, memory, branch, call/return, block and decimal instructions, and
// its branches depend on the data it computes, so the host's branch predictor cannot learn a
// fixed pattern.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>

#include "cpu/step.h"
#include "machine/configuration.h"
#include "machine/emulator.h"

namespace tolvan {
namespace {

constexpr std::uint16_t kProgramStart = 0x8000;
constexpr std::uint16_t kSubroutine = 0x8030;

// clang-format off
constexpr std::array<std::uint8_t, 0x20> kMainLoop = {
    0x10, 0x50, 0x00,  // 8000 LIDP &5000
    0x02, 0x01,        // 8003 LIA  &01
    0x5A,              // 8005 SL             rotate through carry
    0x3A, 0x03,        // 8006 JRCP 800A      data-dependent branch
    0x74, 0x1D,        // 8008 ADIA &1D
    0x52,              // 800A STD            memory write
    0x57,              // 800B LDD            memory read
    0x78, 0x80, 0x30,  // 800C CALL 8030
    0x12, 0x10,        // 800F LIP  &10
    0x13, 0x20,        // 8011 LIQ  &20
    0x00, 0x03,        // 8013 LII  &03
    0x0C,              // 8015 ADN            four-byte decimal add
    0x08,              // 8016 MVW            four-byte block move
    0x66, 0x04,        // 8017 TSIA &04
    0x38, 0x02,        // 8019 JRZP 801C      data-dependent branch
    0x48,              // 801B INCK
    0x2D, 0x18,        // 801C JRM  8005
    0x00, 0x00,
};
constexpr std::array<std::uint8_t, 2> kSubroutineCode = {
    0x58,  // 8030 SWP
    0x37,  // 8031 RTN
};
// clang-format on

void load_program(Emulator& emulator) {
    auto& image = emulator.bus.memory.image;
    for (std::size_t n = 0; n < kMainLoop.size(); ++n)
        image[kProgramStart + n] = kMainLoop[n];
    for (std::size_t n = 0; n < kSubroutineCode.size(); ++n) {
        image[kSubroutine + n] = kSubroutineCode[n];
    }
    emulator.bus.memory.ram_size = kRamSize16K;
    emulator.cpu.pc = kProgramStart;
    emulator.cpu.r = 0x5C;
    emulator.cpu.max_delay = kDefaultMaxDelay;
    emulator.cpu.timer_limit_512ms = kDefaultTimerLimit512ms;
    emulator.cpu.timer_limit_2ms = kDefaultTimerLimit2ms;
}

void BM_InstructionStep(benchmark::State& state) {
    auto emulator = std::make_unique<Emulator>();
    load_program(*emulator);
    constexpr int kStepsPerSlice = 10000;
    for (auto _ : state) {
        for (int n = 0; n < kStepsPerSlice; ++n)
            step(emulator->cpu, emulator->bus);
    }
    benchmark::DoNotOptimize(emulator->cpu.iram);
    // A program that strayed onto an undefined opcode would make the figure meaningless.
    const std::uint16_t pc = emulator->cpu.pc;
    const bool in_program = (pc >= kProgramStart && pc < kProgramStart + kMainLoop.size()) ||
                            (pc >= kSubroutine && pc < kSubroutine + kSubroutineCode.size());
    if (!in_program || emulator->cpu.iram[kRegisterK] == 0) state.SkipWithError("program strayed");
    state.counters["instructions_per_second"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * kStepsPerSlice, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_InstructionStep)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tolvan

BENCHMARK_MAIN();
