// The instruction step's timing: delay-loop passes, the two timer counters, undefined opcodes.
#include <gtest/gtest.h>

#include <climits>
#include <initializer_list>

#include "cpu/step.h"
#include "machine/emulator.h"

namespace tolvan {
namespace {

constexpr std::uint16_t kProgram = 0x8000;

struct StepTest : testing::Test {
    Emulator emulator;
    Cpu& cpu = emulator.cpu;

    void load(std::initializer_list<std::uint8_t> bytes, std::uint16_t at = kProgram) {
        for (std::uint8_t byte : bytes)
            emulator.bus.memory.image[at++] = byte;
        cpu.pc = kProgram;
    }
    void run(int steps = 1) {
        for (int n = 0; n < steps; ++n)
            step(cpu, emulator.bus);
    }
};

TEST(DelayLoop, PassesFollowMaxDelayOverCost) {
    Cpu cpu;
    cpu.cycle_cost = 4;
    cpu.max_delay = 0;
    EXPECT_EQ(run_delay_loop(cpu), 1);
    cpu.max_delay = 10;  // sums 4, 8, 12
    EXPECT_EQ(run_delay_loop(cpu), 3);
    cpu.max_delay = -1;
    EXPECT_EQ(run_delay_loop(cpu), 0);
    cpu.cycle_cost = 1537;  // a costlier instruction makes fewer passes
    cpu.max_delay = 10000;
    EXPECT_EQ(run_delay_loop(cpu), 10000 / 1537 + 1);
}

TEST(DelayLoop, ZeroCostStillEnds) {
    Cpu cpu;
    cpu.cycle_cost = 0;
    cpu.max_delay = 5;
    EXPECT_EQ(run_delay_loop(cpu), 6);
}

TEST(DelayLoop, LargestMaxDelayDoesNotOverflowTheSum) {
    Cpu cpu;
    cpu.cycle_cost = 1 << 30;  // few passes, each close to the 32-bit limit
    cpu.max_delay = INT_MAX;
    EXPECT_EQ(run_delay_loop(cpu), 2);
}

TEST(Timers, CounterEqualToItsLimitDoesNotTick) {
    Cpu cpu;
    cpu.timer_limit_2ms = 20;
    cpu.timer_limit_512ms = 50000;
    cpu.cycle_cost = 4;
    for (int n = 0; n < 5; ++n)
        advance_timers(cpu);
    EXPECT_EQ(cpu.counter_2ms, 20);
    EXPECT_EQ(cpu.elapsed_2ms, 0);
    advance_timers(cpu);  // 24 is past 20: tick, and the excess is dropped
    EXPECT_EQ(cpu.counter_2ms, 0);
    EXPECT_EQ(cpu.elapsed_2ms, 1);
    EXPECT_EQ(cpu.counter_512ms, 24);
}

TEST(Timers, FurtherTickKeepsTheFlagAndRestartsTheCounter) {
    Cpu cpu;
    cpu.timer_limit_2ms = 5;
    cpu.timer_limit_512ms = 5;
    cpu.elapsed_2ms = 1;
    cpu.counter_2ms = 5;
    cpu.counter_512ms = 3;
    cpu.cycle_cost = 9;
    advance_timers(cpu);
    EXPECT_EQ(cpu.elapsed_2ms, 1);
    EXPECT_EQ(cpu.counter_2ms, 0);
    EXPECT_EQ(cpu.elapsed_512ms, 1);
}

TEST(Timers, CounterNearTheSignedLimitWrapsToATick) {
    Cpu cpu;
    cpu.timer_limit_512ms = INT_MAX;
    cpu.timer_limit_2ms = INT_MAX;
    cpu.counter_512ms = INT_MAX - 1;
    cpu.cycle_cost = 1537;
    advance_timers(cpu);
    EXPECT_EQ(cpu.counter_512ms, 0);
    EXPECT_EQ(cpu.elapsed_512ms, 1);
}

TEST_F(StepTest, UndefinedOpcodeRepeatsWithThePreviousCost) {
    cpu.timer_limit_512ms = 50000;
    cpu.timer_limit_2ms = 1000;
    load({0x02, 0x55, 0x3C});  // LIA 0x55 (4 cycles), then an undefined opcode
    run();
    const std::uint8_t flags_before = cpu.flags;
    run(3);
    EXPECT_EQ(cpu.pc, kProgram + 2);
    EXPECT_EQ(cpu.cycle_cost, 4);
    EXPECT_EQ(cpu.flags, flags_before);
    EXPECT_EQ(cpu.iram[kRegisterA], 0x55);
    EXPECT_EQ(cpu.counter_2ms, 16);  // four steps of the one cost
}

TEST_F(StepTest, OneByteInstructionAtTheTopWrapsPc) {
    emulator.bus.memory.image[0xFFFF] = 0x4D;  // NOPW
    cpu.pc = 0xFFFF;
    run();
    EXPECT_EQ(cpu.pc, 0x0000);
}

TEST_F(StepTest, NoOperationOpcodesCostTwoAndChangeNothingElse) {
    for (std::uint8_t opcode : {0x72, 0x73, 0x76, 0x77}) {
        load({opcode});
        cpu.flags = kFlagC;
        cpu.iram[kRegisterA] = 0x12;
        run();
        EXPECT_EQ(cpu.pc, kProgram + 1);
        EXPECT_EQ(cpu.cycle_cost, 2);
        EXPECT_EQ(cpu.flags, kFlagC);
        EXPECT_EQ(cpu.iram[kRegisterA], 0x12);
    }
}

TEST_F(StepTest, PointersOutsideInternalRamStayInside) {
    // STP with A = 0xFF, then LDM and EXAM through the out-of-range pointer.
    load({0x02, 0xFF, 0x30, 0x59, 0xDB});
    const Cpu before = cpu;
    run(3);
    EXPECT_EQ(cpu.p, 0xFF);
    EXPECT_EQ(cpu.iram[kRegisterA], 0x00) << "LDM reads the byte at 0xFF modulo 128";
    run();
    EXPECT_EQ(cpu.iram[0x7F], 0x00);
    EXPECT_EQ(cpu.dp, before.dp);
    EXPECT_EQ(cpu.r, before.r);
}

TEST_F(StepTest, StackPushBelowZeroWrapsInsideInternalRam) {
    load({0x34});  // PUSH with R = 0
    cpu.iram[kRegisterA] = 0xAB;
    cpu.r = 0;
    run();
    EXPECT_EQ(cpu.r, 0xFF);
    EXPECT_EQ(cpu.iram[0x7F], 0xAB);
}

}  // namespace
}  // namespace tolvan
