// The debugger through the real execution slice, on small assembled programs: where a stop
// lands and what has run by then, step over and out, watched writes by every kind of store,
// run to an address, the history's order, and a machine that runs the same under an idle
// debugger.
#include "machine/debugger.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "machine/emulator.h"
#include "machine/slice.h"
#include "tools/assembler.h"

namespace tolvan {
namespace {

constexpr std::uint8_t kStackTop = 0x5C;

class Machine {
  public:
    explicit Machine(const std::string& source) {
        const AssemblyResult result = assemble_source(
            source, "test.asm", [](const std::string&) { return std::optional<std::string>(); });
        for (const AssemblyError& error : result.errors)
            ADD_FAILURE() << format_error(error);
        for (const auto& [address, byte] : result.bytes)
            emulator_->bus.memory.image[address] = byte;
        symbols_ = assembly_symbols(result);
        Cpu& cpu = emulator_->cpu;
        emulator_->bus.memory.ram_size = kRamSize16K;
        cpu.pc = at("start");
        cpu.r = kStackTop;
        cpu.timer_limit_512ms = 50000;
        cpu.timer_limit_2ms = 20;
        display_.case_bitmap = Image(kClientWidth, kClientHeight);
        display_.pixel_bitmap = Image(kPixelBitmapWidth, kPixelBitmapHeight);
    }

    Emulator& emulator() { return *emulator_; }
    Debugger& debugger() { return emulator_->debugger; }
    Cpu& cpu() { return emulator_->cpu; }
    std::uint8_t a() const { return emulator_->cpu.iram[kRegisterA]; }
    std::uint8_t b() const { return emulator_->cpu.iram[kRegisterB]; }
    std::uint16_t at(const std::string& label) const { return *find_symbol(symbols_, label); }
    SliceResult slice(const StepObserver& observer = {}) {
        return run_slice(*emulator_, display_, {observer, {}});
    }
    StopInfo step() {
        const StepResult result = step_into(*emulator_, display_);
        EXPECT_TRUE(result.failures.ok());
        return result.stop;
    }

  private:
    std::unique_ptr<Emulator> emulator_ = std::make_unique<Emulator>();
    Display display_;
    Symbols symbols_;
};

TEST(Debugger, BreakpointStopsBeforeItsInstructionAndResumesPastIt) {
    Machine machine(R"(
        ORG &0100
start:  LIA 0
loop:   INCA
mark:   INCB
        JRM loop
)");
    set_breakpoint(machine.debugger(), machine.at("mark"), true);
    const SliceResult first = machine.slice();
    EXPECT_TRUE(first.stopped);
    EXPECT_EQ(machine.cpu().pc, machine.at("mark"));
    EXPECT_EQ(machine.a(), 1);
    EXPECT_EQ(machine.b(), 0) << "the instruction at the breakpoint has not run";
    EXPECT_EQ(machine.debugger().last_stop.reason, StopReason::kBreakpoint);
    EXPECT_TRUE(is_paused(machine.emulator()));

    EXPECT_EQ(machine.slice().steps, 0) << "a paused machine runs nothing";

    resume(machine.emulator());
    EXPECT_TRUE(machine.slice().stopped);
    EXPECT_EQ(machine.cpu().pc, machine.at("mark"));
    EXPECT_EQ(machine.a(), 2) << "once round the loop, not stopped at once again";
    EXPECT_EQ(machine.b(), 1);
    EXPECT_EQ(machine.debugger().stop_count, 2u);
}

TEST(Debugger, StepOverRunsTheCalledRoutineAndStopsAfterTheCall) {
    for (const char* call : {"CALL routine", "CAL routine"}) {
        Machine machine(std::string(R"(
        ORG &0100
start:  )") + call + R"(
after:  INCB
        JRM after
routine: INCA
        CALL inner
        RTN
inner:  INCA
        RTN
)");
        pause(machine.emulator());
        step_over(machine.emulator());
        EXPECT_TRUE(machine.slice().stopped) << call;
        EXPECT_EQ(machine.debugger().last_stop.reason, StopReason::kStepOver) << call;
        EXPECT_EQ(machine.cpu().pc, machine.at("after")) << call;
        EXPECT_EQ(machine.a(), 2) << call << ": the routine ran, its own call included";
        EXPECT_EQ(machine.b(), 0) << call;
        EXPECT_EQ(machine.cpu().r, kStackTop) << call;
    }
}

TEST(Debugger, StepOverAnyOtherInstructionStepsOnce) {
    Machine machine(R"(
        ORG &0100
start:  INCA
        INCA
        JRM start
)");
    pause(machine.emulator());
    step_over(machine.emulator());
    EXPECT_TRUE(machine.slice().stopped);
    EXPECT_EQ(machine.debugger().last_stop.reason, StopReason::kStep);
    EXPECT_EQ(machine.cpu().pc, machine.at("start") + 1);
    EXPECT_EQ(machine.a(), 1);
}

TEST(Debugger, StepOutRunsUntilTheRoutineReturns) {
    Machine machine(R"(
        ORG &0100
start:  CALL routine
after:  INCB
        JRM after
routine: INCA
        CALL inner
        INCA
        RTN
inner:  INCA
        RTN
)");
    pause(machine.emulator());
    EXPECT_EQ(machine.step().pc, machine.at("routine"));
    EXPECT_EQ(machine.step().pc, machine.at("routine") + 1);
    step_out(machine.emulator());
    EXPECT_TRUE(machine.slice().stopped);
    EXPECT_EQ(machine.debugger().last_stop.reason, StopReason::kStepOut);
    EXPECT_EQ(machine.cpu().pc, machine.at("after")) << "not stopped by the inner return";
    EXPECT_EQ(machine.a(), 3);
    EXPECT_EQ(machine.b(), 0);
}

struct WatchCase {
    const char* name;
    const char* code;  // from "start"; "touch" labels the instruction of interest
    Watchpoint watchpoint;
    bool stops;
    std::uint16_t data_address;  // the access reported
};

TEST(Debugger, WatchpointStopsAfterAWriteOfAnyKindButNotAfterARead) {
    const WatchCase cases[] = {
        {"block fill",
         "LIDP &2840\nLII 3\nLIA 7\ntouch: FILD",
         {0x2842, 0x2842, false, true},
         true,
         0x2842},
        {"block exchange",
         "LIDP &2840\nLII 3\nLP 16\ntouch: EXWD",
         {0x2843, 0x2850, false, true},
         true,
         0x2843},
        {"plain store",
         "LIDP &2842\nLIA 7\ntouch: STD",
         {0x2800, 0x28FF, false, true},
         true,
         0x2842},
        {"display, second view",
         "LIDP &7105\nLIA 7\ntouch: STD",
         {0x7005, 0x7005, false, true},
         true,
         0x7105},
        {"ROM, which keeps its byte",
         "LIDP &8800\ntouch: STD",
         {0x8800, 0x8800, false, true},
         true,
         0x8800},
        {"read, watched for writes",
         "LIDP &2842\ntouch: LDD",
         {0x2842, 0x2842, false, true},
         false,
         0},
        {"read, watched for reads",
         "LIDP &2842\ntouch: LDD",
         {0x2842, 0x2842, true, false},
         true,
         0x2842},
        {"ROM data read", "LIDP &9000\ntouch: LDD", {0x9000, 0x9000, true, false}, true, 0x9000},
    };
    for (const WatchCase& test : cases) {
        Machine machine(std::string("ORG &8000\nstart: ") + test.code + "\nnext: JRM next\n");
        add_watchpoint(machine.debugger(), test.watchpoint);
        const SliceResult result = machine.slice();
        EXPECT_EQ(result.stopped, test.stops) << test.name;
        if (!test.stops) continue;
        const StopInfo& stop = machine.debugger().last_stop;
        EXPECT_EQ(stop.reason, StopReason::kWatchpoint) << test.name;
        EXPECT_EQ(stop.instruction_address, machine.at("touch")) << test.name;
        EXPECT_EQ(stop.data_address, test.data_address) << test.name;
        EXPECT_EQ(stop.write, test.watchpoint.writes) << test.name;
        EXPECT_EQ(machine.cpu().pc, machine.at("next")) << test.name << ": after the access";
    }
}

TEST(Debugger, RunToStopsAtTheAddressOrRunsOnUntilStopped) {
    Machine machine(R"(
        ORG &0100
start:  INCA
        JRNZM start
        INCB
far:    JRM far
never:  INCB
)");
    run_to(machine.emulator(), machine.at("never"));
    for (int n = 0; n < 3; ++n)
        EXPECT_FALSE(machine.slice().stopped);
    EXPECT_EQ(machine.debugger().mode, RunMode::kRunTo);

    Machine again(R"(
        ORG &0100
start:  INCA
        JRNZM start
        INCB
far:    JRM far
)");
    run_to(again.emulator(), again.at("far"));
    EXPECT_TRUE(again.slice().stopped);
    EXPECT_EQ(again.debugger().last_stop.reason, StopReason::kRunTo);
    EXPECT_EQ(again.cpu().pc, again.at("far"));
    EXPECT_EQ(again.b(), 1);
}

TEST(Debugger, HistoryHoldsTheLastThousandInstructionsOldestFirst) {
    Machine machine(R"(
        ORG &0100
start:  INCA
        INCB
        JRM start
)");
    machine.debugger().attached = true;
    static_cast<void>(machine.slice());
    const std::vector<HistoryEntry> entries = history(machine.debugger());
    ASSERT_EQ(entries.size(), kHistorySize);
    const std::uint16_t start = machine.at("start");
    const std::vector<std::uint16_t> loop = {start, static_cast<std::uint16_t>(start + 1),
                                             static_cast<std::uint16_t>(start + 2)};
    // The last one ran just before the current instruction.
    EXPECT_EQ(entries.back().pc,
              loop[(std::find(loop.begin(), loop.end(), machine.cpu().pc) - loop.begin() + 2) % 3]);
    for (std::size_t n = 1; n < entries.size(); ++n) {
        const HistoryEntry& before = entries[n - 1];
        const HistoryEntry& after = entries[n];
        const auto position = std::find(loop.begin(), loop.end(), before.pc) - loop.begin();
        EXPECT_EQ(after.pc, loop[(position + 1) % 3]) << n;
        // The registers are those before each instruction: INCA shows in the next entry.
        const int a_increase = before.pc == start ? 1 : 0;
        EXPECT_EQ(after.cpu.iram[kRegisterA], (before.cpu.iram[kRegisterA] + a_increase) & 0xFF)
            << n;
    }
}

struct TraceLine {
    std::uint16_t address;
    std::uint8_t opcode;
    std::string registers;
    bool operator==(const TraceLine&) const = default;
};

void record(void* context, const Emulator& emulator, std::uint16_t address, std::uint8_t opcode) {
    static_cast<std::vector<TraceLine>*>(context)->push_back(
        {address, opcode, registers_text(emulator.cpu)});
}

// Reads and writes of every area, block moves, calls, the stack and the timers.
constexpr const char* kBusyProgram = R"(
        ORG &8000
start:  LIDP &2840
        LII 5
        LIA &A5
        FILD
        LIDP &7105
        STD
        LIDP &7010
        LIA &3C
        STD
        LIDP &8800
        STD
        LIDP &1234
        LDD
        LIDP &9000
        LDD
        LIDP &7105
        LDD
        LIDP &2840
        LP 16
        LII 3
        EXWD
        MVWD
        CALL twist
        TEST 2
        JRZM start
        INCK
        JP start
twist:  PUSH
        SWP
        ORID 1
        POP
        RTN
)";

TEST(Debugger, AnIdleDebuggerChangesNothingThatRuns) {
    Machine plain(kBusyProgram);
    Machine watched(kBusyProgram);
    watched.debugger().attached = true;
    set_breakpoint(watched.debugger(), 0x0010, true);
    add_watchpoint(watched.debugger(), {0x6000, 0x6FFF, true, true});
    std::vector<TraceLine> plain_trace;
    std::vector<TraceLine> watched_trace;
    for (int n = 0; n < 3; ++n) {
        EXPECT_FALSE(watched.slice({&record, &watched_trace}).stopped);
        static_cast<void>(plain.slice({&record, &plain_trace}));
    }
    EXPECT_EQ(plain_trace.size(), 3u * kStepsPerSlice);
    EXPECT_TRUE(plain_trace == watched_trace);
    EXPECT_EQ(plain.emulator().bus.memory.image, watched.emulator().bus.memory.image);
    EXPECT_EQ(plain.cpu().counter_2ms, watched.cpu().counter_2ms);
    EXPECT_EQ(plain.cpu().counter_512ms, watched.cpu().counter_512ms);
    EXPECT_EQ(watched.emulator().bus.memory.watch, nullptr) << "the watch ends with the slice";
}

}  // namespace
}  // namespace tolvan
