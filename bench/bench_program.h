// The programs that the benchmarks run, assembled at start-up, and a machine that runs one.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "machine/display.h"
#include "machine/emulator.h"
#include "tools/assembler.h"

namespace tolvan {

inline constexpr std::uint16_t kProgramStart = 0x8000;
inline constexpr std::uint8_t kStackTop = 0x5C;

// A loop of about 30 distinct opcodes with data-dependent branches, memory traffic and a call.
inline const char* const kLoopProgram = R"(
        ORG &8000
start:  LIDP &2800
        LIA  &35
        LIB  0
        LP   8
        ANIM 0
loop:   SL
        JRCP carried
        ADIA &1D
carried: STD
        LDD
        CALL twist
        LIP  &10
        LIQ  &20
        LII  3
        ADN
        MVW
        TSIA 4
        JRZP clear
        INCK
clear:  EXAB
        ORIA &40
        SBIA 3
        EXAB
        LP   9
        EXAM
        LDM
        ANIA 7
        CPIA 3
        JRNCP high
        DECA
high:   INCP
        ADM
        IX
        DY
        LIDL 0
        JRM  loop
twist:  PUSH
        SWP
        ORID 1
        POP
        RTN
end:
)";

struct Program {
    std::vector<std::pair<std::uint16_t, std::uint8_t>> bytes;
    std::uint16_t end = 0;
};

inline Program assemble(const std::string& text) {
    const AssemblyResult result = assemble_source(
        text, "bench.asm", [](const std::string&) { return std::optional<std::string>(); });
    Program program;
    if (!result.ok()) return program;
    for (const auto& [address, byte] : result.bytes)
        program.bytes.emplace_back(address, byte);
    program.end = static_cast<std::uint16_t>(result.symbols.at("end"));
    return program;
}

inline std::unique_ptr<Emulator> load(const Program& program) {
    auto emulator = std::make_unique<Emulator>();
    for (const auto& [address, byte] : program.bytes)
        emulator->bus.memory.image[address] = byte;
    emulator->bus.memory.ram_size = kRamSize16K;
    Cpu& cpu = emulator->cpu;
    cpu.pc = kProgramStart;
    cpu.r = kStackTop;
    cpu.max_delay = 0;
    cpu.timer_limit_512ms = 50000;
    cpu.timer_limit_2ms = 20;
    return emulator;
}

inline Display make_display() {
    Display display;
    display.case_bitmap = Image(kClientWidth, kClientHeight);
    display.pixel_bitmap = Image(kPixelBitmapWidth, kPixelBitmapHeight);
    return display;
}

}  // namespace tolvan
