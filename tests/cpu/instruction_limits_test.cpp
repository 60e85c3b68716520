// Block, decimal and table instructions at their limits: full 256-byte counts, spans that wrap
// around internal RAM or memory, and spans that pass over their own count register.
#include <gtest/gtest.h>

#include <initializer_list>

#include "cpu/step.h"
#include "machine/emulator.h"

namespace tolvan {
namespace {

constexpr std::uint16_t kProgram = 0x8000;

struct Limits : testing::Test {
    Emulator emulator;
    Cpu& cpu = emulator.cpu;
    AddressSpace& memory = emulator.bus.memory;

    Limits() { memory.ram_size = kRamSize16K; }
    void run(std::initializer_list<std::uint8_t> bytes) {
        std::uint16_t at = kProgram;
        for (std::uint8_t byte : bytes)
            memory.image[at++] = byte;
        cpu.pc = kProgram;
        step(cpu, emulator.bus);
    }
};

TEST_F(Limits, MvwOf256BytesLeavesThePointersWhereTheyStarted) {
    cpu.iram[kRegisterI] = 255;
    cpu.p = 0x40;
    cpu.q = 0x10;
    cpu.iram[0x10] = 0x77;
    run({0x08});
    EXPECT_EQ(cpu.p, 0x40);
    EXPECT_EQ(cpu.q, 0x10);
    EXPECT_EQ(cpu.cycle_cost, 2 * 255 + 10);
}

TEST_F(Limits, MvwOneAboveSourceRepeatsTheFirstByte) {
    cpu.iram[kRegisterI] = 3;
    cpu.q = 0x20;
    cpu.p = 0x21;
    cpu.iram[0x20] = 0x5A;
    run({0x08});
    for (int index = 0x21; index <= 0x24; ++index)
        EXPECT_EQ(cpu.iram[index], 0x5A) << index;
}

TEST_F(Limits, MvwOverItsOwnCountRegisterKeepsTheStartingCount) {
    cpu.iram[kRegisterI] = 1;
    cpu.p = 0;
    cpu.q = 0x30;
    cpu.iram[0x30] = 0x05;
    cpu.iram[0x31] = 0x66;
    run({0x08});
    EXPECT_EQ(cpu.iram[kRegisterI], 0x05);
    EXPECT_EQ(cpu.iram[kRegisterJ], 0x66);
    EXPECT_EQ(cpu.p, 2);
}

TEST_F(Limits, FildWrapsAtTheTopOfMemory) {
    cpu.iram[kRegisterI] = 1;
    cpu.iram[kRegisterA] = 0x99;
    cpu.dp = 0xFFFF;
    cpu.p = 0x12;
    run({0x1F});
    EXPECT_EQ(cpu.dp, 0x0001);
    EXPECT_EQ(cpu.p, 0x12) << "FILD walks DP only";
    EXPECT_EQ(memory.image[0x0000], 0x00) << "low ROM ignores writes";
}

TEST_F(Limits, FilmWrapsAroundInternalRam) {
    cpu.iram[kRegisterI] = 3;
    cpu.iram[kRegisterA] = 0x42;
    cpu.p = 126;
    run({0x1E});
    EXPECT_EQ(cpu.iram[126], 0x42);
    EXPECT_EQ(cpu.iram[127], 0x42);
    EXPECT_EQ(cpu.iram[0], 0x42);
    EXPECT_EQ(cpu.iram[1], 0x42);
    EXPECT_EQ(cpu.p, 2);
}

TEST_F(Limits, ExwdOf256BytesCostsItsFormula) {
    cpu.iram[kRegisterI] = 255;
    cpu.dp = 0x5000;
    run({0x19});
    EXPECT_EQ(cpu.cycle_cost, 1537);
    EXPECT_EQ(cpu.dp, 0x5100);
}

TEST_F(Limits, DataReadsTheLowRomThroughProgramReads) {
    memory.image[0x1234] = 0xA1;
    memory.image[0x1235] = 0xA2;
    memory.image[0x1236] = 0xA3;
    cpu.iram[kRegisterI] = 2;
    cpu.iram[kRegisterA] = 0x34;
    cpu.iram[kRegisterB] = 0x12;
    cpu.p = 0x20;
    cpu.dp = 0x4444;
    run({0x35});
    EXPECT_EQ(cpu.iram[0x20], 0xA1);
    EXPECT_EQ(cpu.iram[0x22], 0xA3);
    EXPECT_EQ(cpu.p, 0x23);
    EXPECT_EQ(cpu.dp, 0x4444);
}

TEST_F(Limits, AdnOf256BytesKeepsItsCountWhileRewritingI) {
    cpu.iram.fill(0x99);
    cpu.iram[kRegisterI] = 255;
    cpu.iram[kRegisterA] = 0x01;
    cpu.p = 0x7F;
    run({0x0C});
    EXPECT_EQ(cpu.cycle_cost, 1034);
    EXPECT_EQ(cpu.p, 0x7F) << "256 steps down come back to the start";
    // The carry runs down to A (0x01 + carry), then dies; I itself (0xFF, decimal 65) is
    // rewritten as valid BCD while the count fixed at the start stays 256.
    EXPECT_EQ(cpu.iram[0x7F], 0x00);
    EXPECT_EQ(cpu.iram[kRegisterA], 0x02);
    EXPECT_EQ(cpu.iram[kRegisterJ], 0x99);
    EXPECT_EQ(cpu.iram[kRegisterI], 0x65);
    EXPECT_EQ(cpu.flags, 0x00);
}

TEST_F(Limits, AdnAtZeroContinuesAtTheTopOfInternalRam) {
    cpu.iram[kRegisterI] = 1;
    cpu.iram[kRegisterA] = 0x01;
    cpu.iram[127] = 0x47;
    cpu.p = 0;
    run({0x0C});
    EXPECT_EQ(cpu.iram[0], 0x02);
    EXPECT_EQ(cpu.iram[127], 0x47);
    EXPECT_EQ(cpu.p, 126);
}

TEST_F(Limits, InvalidBcdComesOutValid) {
    cpu.iram[kRegisterI] = 0;
    cpu.iram[kRegisterA] = 0x00;
    cpu.p = 0x30;
    cpu.iram[0x30] = 0x0A;
    run({0x0C});
    EXPECT_EQ(cpu.iram[0x30], 0x10);
    EXPECT_FALSE(carry_flag(cpu));
}

TEST_F(Limits, SbwOfEqualSpansLeavesZeros) {
    cpu.iram[kRegisterI] = 2;
    cpu.p = 0x32;
    cpu.q = 0x42;
    for (int n = 0; n < 3; ++n)
        cpu.iram[0x30 + n] = cpu.iram[0x40 + n] = 0x37;
    run({0x0F});
    EXPECT_EQ(cpu.flags, kFlagZ);
    EXPECT_EQ(cpu.iram[0x30], 0x00);
    EXPECT_EQ(cpu.p, 0x2F);
    EXPECT_EQ(cpu.q, 0x3F);
}

// Over more than 128 bytes the shift passes some bytes twice and sees its own new digits.
TEST_F(Limits, SrwOverMoreThan128BytesReadsBytesAsTheyAreThen) {
    for (int index = 0; index < kInternalRamSize; ++index)
        cpu.iram[index] = 0x12;
    cpu.iram[kRegisterI] = 129;  // 130 bytes: 0x10..0x7F, 0x00..0x11
    cpu.p = 0x10;
    run({0x1C});
    EXPECT_EQ(cpu.cycle_cost, 134);
    EXPECT_EQ(cpu.p, 0x12);
    // The second pass over 0x10 reads the 0x01 that the first pass wrote there.
    EXPECT_EQ(cpu.iram[0x10], 0x20);
    EXPECT_EQ(cpu.iram[0x11], 0x12);
    EXPECT_EQ(cpu.iram[0x00], 0x28) << "the count register is shifted like any byte";
    EXPECT_EQ(cpu.iram[0x20], 0x21);
}

TEST_F(Limits, SlwShiftsADigitIn) {
    cpu.iram[kRegisterI] = 1;
    cpu.p = 0x31;
    cpu.iram[0x30] = 0x12;
    cpu.iram[0x31] = 0x34;
    run({0x1D});
    EXPECT_EQ(cpu.iram[0x30], 0x23);
    EXPECT_EQ(cpu.iram[0x31], 0x40);
    EXPECT_EQ(cpu.p, 0x2F);
}

TEST_F(Limits, DtjWithCaseCounterZeroReads256Entries) {
    // DTJ at 0x8000, then 256 entries of value 0x00 (no match for A = 0x01) and a default.
    memory.image[kProgram] = 0x69;
    std::uint16_t at = kProgram + 1;
    for (int entry = 0; entry < 256; ++entry) {
        memory.image[at++] = 0x00;
        memory.image[at++] = 0x90;
        memory.image[at++] = 0x00;
    }
    memory.image[at++] = 0xA0;
    memory.image[at++] = 0x00;
    cpu.case_counter = 0;
    cpu.iram[kRegisterA] = 0x01;
    cpu.pc = kProgram;
    step(cpu, emulator.bus);
    EXPECT_EQ(cpu.pc, 0xA000);
    EXPECT_EQ(cpu.cycle_cost, 3 * 256 + 4);
    EXPECT_EQ(cpu.flags, kFlagZ);
    EXPECT_EQ(cpu.case_counter, 0);
}

TEST_F(Limits, CallAtTheTopPushesTheWrappedReturnAddress) {
    memory.image[0xFFFE] = 0x78;
    memory.image[0xFFFF] = 0x12;
    memory.image[0x0000] = 0x34;
    cpu.pc = 0xFFFE;
    cpu.r = 0x5C;
    step(cpu, emulator.bus);
    EXPECT_EQ(cpu.pc, 0x1234);
    EXPECT_EQ(cpu.iram[0x5B], 0x00);
    EXPECT_EQ(cpu.iram[0x5A], 0x01);
}

TEST_F(Limits, LoopRunsItsBodyCounterPlusOneTimes) {
    // LIA 2; PUSH; INCK; LOOP back to INCK.
    run({0x02, 0x02, 0x34, 0x48, 0x2F, 0x02});
    cpu.r = 0x20;
    for (int n = 0; n < 7; ++n)
        step(cpu, emulator.bus);
    EXPECT_EQ(cpu.iram[kRegisterK], 3);
    EXPECT_EQ(cpu.r, 0x20);
    EXPECT_EQ(cpu.flags, kFlagC);
    EXPECT_EQ(cpu.pc, kProgram + 6);
}

}  // namespace
}  // namespace tolvan
