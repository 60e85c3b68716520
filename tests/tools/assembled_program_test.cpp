// Programs assembled from source and run on the emulated processor.
#include <gtest/gtest.h>

#include "cpu/step.h"
#include "machine/emulator.h"
#include "tools/assembler.h"

namespace tolvan {
namespace {

constexpr std::uint8_t kStackTop = 0x5C;
constexpr int kStepLimit = 10000;

// Assembles `text`, loads every assembled byte and runs from `start` until PC reaches the
// "halt" label.
Emulator run_program(const std::string& text,
                     const std::map<std::string, std::string>& files = {}) {
    const AssemblyResult result =
        assemble_source(text, "program.asm", [&files](const std::string& path) {
            const auto found = files.find(path);
            return found == files.end() ? std::nullopt : std::optional<std::string>(found->second);
        });
    Emulator emulator;
    EXPECT_TRUE(result.ok()) << format_error(result.errors.front());
    if (!result.ok()) return emulator;
    for (const auto& [address, byte] : result.bytes)
        emulator.bus.memory.image[address] = byte;
    emulator.cpu.pc = static_cast<std::uint16_t>(result.symbols.at("start"));
    emulator.cpu.r = kStackTop;
    const auto halt = static_cast<std::uint16_t>(result.symbols.at("halt"));
    int steps = 0;
    while (emulator.cpu.pc != halt && steps++ < kStepLimit)
        step(emulator.cpu, emulator.bus);
    EXPECT_EQ(emulator.cpu.pc, halt) << "the program did not reach halt";
    return emulator;
}

TEST(AssembledProgram, CountsDownWithARelativeLoopAndCallsASubroutine) {
    Emulator emulator = run_program(
        "        ORG &8000\n"
        "start:  LII 4\n"
        "        RA\n"
        "again:  INCA\n"
        "        DECI\n"
        "        JRNZM again\n"
        "        CALL add_one\n"
        "        JP finish\n"
        "add_one: INCA\n"
        "        RTN\n"
        "finish: LIB &42\n"
        "halt:   JRM halt\n");
    EXPECT_EQ(register_a(emulator.cpu), 5);
    EXPECT_EQ(register_b(emulator.cpu), 0x42);
    EXPECT_EQ(register_i(emulator.cpu), 0);
    EXPECT_EQ(emulator.cpu.r, kStackTop);
}

TEST(AssembledProgram, PtjAndADtjTableOfDbAndDw) {
    const std::string table =
        "        PTJ 3, back\n"
        "        DTJ\n"
        "        DB 1\n"
        "        DW case1\n"
        "        DB 2\n"
        "        DW case2\n"
        "        DB 3\n"
        "        DW case3\n"
        "        DW other\n";
    const std::string cases =
        "case1:  LIB 1\n        RTN\n"
        "case2:  LIB 2\n        RTN\n"
        "case3:  LIB 3\n        RTN\n"
        "other:  LIB &FF\n        RTN\n"
        "back:   LII &99\n"
        "halt:   JRM halt\n";
    Emulator second = run_program("ORG &9000\nstart: LIA 2\n" + table + cases);
    EXPECT_EQ(register_b(second.cpu), 2);
    EXPECT_EQ(register_i(second.cpu), 0x99);
    EXPECT_EQ(second.cpu.r, kStackTop);
    Emulator none = run_program("ORG &9000\nstart: LIA 7\n" + table + cases);
    EXPECT_EQ(register_b(none.cpu), 0xFF);
}

TEST(AssembledProgram, CalIntoLowRomLoopAndIncludedDefinitions) {
    Emulator emulator = run_program(
        "        INCLUDE \"defs.asm\"\n"
        "        ORG &8000\n"
        "start:  LIA COUNT\n"
        "        PUSH\n"
        "        LIB 0\n"
        "body:   CAL add_one\n"
        "        LOOP body\n"
        "        LP TARGET\n"
        "halt:   JRM halt\n"
        "        ORG &1F00\n"
        "add_one: INCB\n"
        "        RTN\n",
        {{"defs.asm", "COUNT EQU 3\nTARGET EQU &20 + 1\n"}});
    // A LOOP whose counter starts at 3 runs its body four times.
    EXPECT_EQ(register_b(emulator.cpu), 4);
    EXPECT_EQ(emulator.cpu.p, 0x21);
    EXPECT_EQ(emulator.cpu.r, kStackTop);
}

}  // namespace
}  // namespace tolvan
