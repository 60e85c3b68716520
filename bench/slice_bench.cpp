// Emulated instructions per second through the real execution slice, MaxDelay 0, with the
// history recording (and the loop once without it), on three programs assembled at start-up:
// - Loop: a loop of about 30 distinct opcodes with data-dependent branches, memory traffic
//   and a call; the host's branch predictor learns most of it.
// - Run300 and Run4000: straight runs of 300 and 4,000 random instructions of the common
//   kinds, repeated; the longer one no longer fits the predictor's history.
//
// Each benchmark reports ns per emulated instruction and emulated instructions per second,
// and a check value computed from the machine state after a fixed number of slices, equal in
// every build that executes the same instructions.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "bench/bench_program.h"
#include "machine/emulator.h"
#include "machine/slice.h"

namespace tolvan {
namespace {

// Every slice of these programs runs its full count: none of them switches the display on.
constexpr int kInstructionsPerSlice = 10000;
constexpr int kCheckSlices = 50;

// A small deterministic generator, the same on every host.
class Random {
  public:
    explicit Random(std::uint32_t seed) : state_(seed) {}
    std::uint32_t below(std::uint32_t limit) {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_ % limit;
    }

  private:
    std::uint32_t state_;
};

const char* const kNoOperand[] = {
    "INCA", "DECA", "INCB", "DECB", "INCI", "DECI", "INCJ", "DECJ", "INCK", "DECK", "INCL", "DECL",
    "INCM", "DECM", "INCN", "DECN", "INCP", "DECP", "IX",   "DX",   "IY",   "DY",   "IXL",  "DXL",
    "IYS",  "DYS",  "LDM",  "EXAM", "ADM",  "SBM",  "ANMA", "ORMA", "TSMA", "CPMA", "LDD",  "STD",
    "MVDM", "MVMD", "EXAB", "SWP",  "SL",   "SR",   "SC",   "RC",   "RA",   "LDP",  "LDQ",  "LDR",
};
const char* const kByteOperand[] = {
    "LIA",  "LIB",  "LII",  "LIJ",  "LIQ",  "LIDL", "ADIA", "SBIA", "ANIA", "ORIA", "TSIA",
    "CPIA", "ADIM", "SBIM", "ANIM", "ORIM", "TSIM", "CPIM", "ANID", "ORID", "TSID",
};
const char* const kSkips[] = {"JRZP", "JRNZP", "JRCP", "JRNCP"};

// X, Y and DP restart in RAM on every pass, so that the run reads and writes the same places
// each time; the stack instructions come in pairs.
std::string random_run(int count, std::uint32_t seed) {
    Random random(seed);
    std::string text =
        "        ORG &8000\n"
        "start:  LIDP &2800\n"
        "        LIP 4\n        ANIM 0\n        LIP 5\n        ANIM 0\n        ORIM &30\n"
        "        LIP 6\n        ANIM 0\n        LIP 7\n        ANIM 0\n        ORIM &38\n";
    const auto emit = [&text](std::string_view mnemonic, const std::string& operand = {}) {
        text += "        ";
        text += mnemonic;
        if (!operand.empty()) {
            text += ' ';
            text += operand;
        }
        text += '\n';
    };
    int pushed = 0;
    for (int n = 0; n < count; ++n) {
        const std::uint32_t kind = random.below(100);
        const std::string byte = std::to_string(random.below(256));
        if (kind < 45) {
            emit(kNoOperand[random.below(std::size(kNoOperand))]);
        } else if (kind < 80) {
            emit(kByteOperand[random.below(std::size(kByteOperand))], byte);
        } else if (kind < 86) {
            emit("LP", std::to_string(8 + random.below(0x38)));
        } else if (kind < 90) {
            emit("LIP", std::to_string(8 + random.below(0x54)));
        } else if (kind < 96) {
            // A conditional skip over the next one-byte instruction.
            std::string label = "skip";
            label += std::to_string(n);
            emit(kSkips[random.below(std::size(kSkips))], label);
            emit(kNoOperand[random.below(std::size(kNoOperand))]);
            text += label;
            text += ":\n";
            ++n;
        } else if (pushed < 4 && random.below(2) == 0) {
            emit("PUSH");
            ++pushed;
        } else if (pushed > 0) {
            emit("POP");
            --pushed;
        } else {
            emit("EXAB");
        }
    }
    for (; pushed > 0; --pushed)
        emit("POP");
    text += "        JP start\nend:\n";
    return text;
}

// The processor state and RAM after a fixed number of slices, folded into one number.
std::uint64_t state_check(const Program& program) {
    auto emulator = load(program);
    Display display = make_display();
    for (int n = 0; n < kCheckSlices; ++n)
        static_cast<void>(run_slice(*emulator, display));
    const Cpu& cpu = emulator->cpu;
    std::uint64_t hash = 14695981039346656037u;
    const auto mix = [&hash](std::uint64_t value) { hash = (hash ^ value) * 1099511628211u; };
    for (std::uint8_t byte : cpu.iram)
        mix(byte);
    for (std::uint64_t value :
         {std::uint64_t{cpu.pc}, std::uint64_t{cpu.dp}, std::uint64_t{cpu.p}, std::uint64_t{cpu.q},
          std::uint64_t{cpu.r}, std::uint64_t{cpu.flags},
          static_cast<std::uint64_t>(cpu.counter_512ms),
          static_cast<std::uint64_t>(cpu.counter_2ms)}) {
        mix(value);
    }
    for (std::uint32_t address = 0x2000; address < 0x8000; ++address)
        mix(emulator->bus.memory.image[address]);
    return hash;
}

// With the history recording, as the window and the headless program run, or without.
enum class Recording : bool { kOn, kOff };

void run_program(benchmark::State& state, const Program& program,
                 Recording recording = Recording::kOn) {
    if (program.bytes.empty()) {
        state.SkipWithError("the program does not assemble");
        return;
    }
    auto emulator = load(program);
    if (recording == Recording::kOff) emulator->history.settings.length_cycles = 0;
    Display display = make_display();
    for (auto _ : state)
        static_cast<void>(run_slice(*emulator, display));
    // A program that strayed onto other code would make the figures meaningless.
    const std::uint16_t pc = emulator->cpu.pc;
    if (pc < kProgramStart || pc >= program.end || emulator->bus.ports.refresh_request) {
        state.SkipWithError("the program strayed");
    }
    const double instructions = static_cast<double>(state.iterations()) * kInstructionsPerSlice;
    state.counters["ns_per_instruction"] =
        benchmark::Counter(instructions, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["instructions_per_s"] =
        benchmark::Counter(instructions, benchmark::Counter::kIsRate);
    char label[32];
    std::snprintf(label, sizeof label, "check %016llx",
                  static_cast<unsigned long long>(state_check(program)));
    state.SetLabel(label);
}

void BM_SliceLoop(benchmark::State& state) {
    static const Program program = assemble(kLoopProgram);
    run_program(state, program);
}
BENCHMARK(BM_SliceLoop)->Unit(benchmark::kMicrosecond);

// The same without the history: what recording costs is the difference.
void BM_SliceLoopNotRecorded(benchmark::State& state) {
    static const Program program = assemble(kLoopProgram);
    run_program(state, program, Recording::kOff);
}
BENCHMARK(BM_SliceLoopNotRecorded)->Unit(benchmark::kMicrosecond);

void BM_SliceRun300(benchmark::State& state) {
    static const Program program = assemble(random_run(300, 12345));
    run_program(state, program);
}
BENCHMARK(BM_SliceRun300)->Unit(benchmark::kMicrosecond);

void BM_SliceRun4000(benchmark::State& state) {
    static const Program program = assemble(random_run(4000, 67890));
    run_program(state, program);
}
BENCHMARK(BM_SliceRun4000)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tolvan

BENCHMARK_MAIN();
