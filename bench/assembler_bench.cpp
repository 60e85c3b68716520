// The assembler's time against the size of hostile sources, whose cost once grew with the
// square of their size: thousands of ORG blocks at one address (every pair overlaps), and one
// EQU that adds thousands of EQUs defined after it. Google Benchmark fits the complexity; both
// should come out as N or N log N.
#include <benchmark/benchmark.h>

#include <optional>
#include <string>

#include "tools/assembler.h"

namespace tolvan {
namespace {

constexpr int kSmallest = 2000;
constexpr int kLargest = 32000;
constexpr int kStep = 2;

AssemblyResult assemble_alone(const std::string& text) {
    return assemble_source(text, "bench.asm", [](const std::string&) { return std::nullopt; });
}

void overlapping_blocks(benchmark::State& state) {
    std::string text;
    for (int block = 0; block < state.range(0); ++block)
        text += "ORG &100\nDB 1\n";
    for (auto _ : state)
        benchmark::DoNotOptimize(assemble_alone(text).error_count);
    state.SetComplexityN(state.range(0));
}

void long_equ_sum(benchmark::State& state) {
    std::string text = "X EQU 0";
    std::string definitions;
    for (int term = 0; term < state.range(0); ++term) {
        const std::string number = std::to_string(term);
        text.append("+A").append(number);
        definitions.append("A").append(number).append(" EQU 1\n");
    }
    text.append("\nORG 0\nDW X\n").append(definitions);
    for (auto _ : state)
        benchmark::DoNotOptimize(assemble_alone(text).error_count);
    state.SetComplexityN(state.range(0));
}

BENCHMARK(overlapping_blocks)
    ->RangeMultiplier(kStep)
    ->Range(kSmallest, kLargest)
    ->Complexity()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(long_equ_sum)
    ->RangeMultiplier(kStep)
    ->Range(kSmallest, kLargest)
    ->Complexity()
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tolvan

BENCHMARK_MAIN();
