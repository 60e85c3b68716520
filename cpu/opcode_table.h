// The opcode table: for every opcode byte its routine, mnemonic and operand kind. It is the one
// description of the instruction set; the unassembler and the assembler read it too.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "bus/bus.h"
#include "cpu/state.h"

namespace tolvan {

using Routine = void (*)(Cpu&, Bus&);

enum class Operand : std::uint8_t {
    kNone,
    kByte,             // n: one immediate byte
    kWord,             // &: a 16-bit address, high byte first
    kForward,          // +: offset forward from the offset byte
    kBackward,         // -: offset backward from the offset byte
    kPointerInOpcode,  // LP: the low six bits of the opcode
    kCallInOpcode,     // CAL: five opcode bits, then the low address byte
    kTableJump,        // PTJ: an entry count, then a 16-bit return address
    kUndefined,        // not an instruction
    kUndefinedMarked,  // not an instruction, and its listing shows "?" as operand too
};

// How an instruction uses the stack for control flow, for the debugger's step over and step
// out: a call pushes the address that a later return pops (PTJ pushes the address in its
// operand, where its DTJ table's routines return to).
enum class Flow : std::uint8_t { kSequential, kCall, kReturn };

struct OpcodeInfo {
    Routine execute = nullptr;
    std::string_view mnemonic;
    Operand operand = Operand::kNone;
    Flow flow = Flow::kSequential;
};

constexpr int operand_length(Operand operand) {
    switch (operand) {
        case Operand::kByte:
        case Operand::kForward:
        case Operand::kBackward:
        case Operand::kCallInOpcode:
            return 2;
        case Operand::kWord:
            return 3;
        case Operand::kTableJump:
            return 4;
        default:
            return 1;
    }
}

extern const std::array<OpcodeInfo, 256> kOpcodeTable;
// The routines of kOpcodeTable alone, packed densely for the instruction step's dispatch.
extern const std::array<Routine, 256> kRoutines;

inline int instruction_length(std::uint8_t opcode) {
    return operand_length(kOpcodeTable[opcode].operand);
}
inline bool is_defined(std::uint8_t opcode) {
    const Operand operand = kOpcodeTable[opcode].operand;
    return operand != Operand::kUndefined && operand != Operand::kUndefinedMarked;
}

inline Flow flow_of(std::uint8_t opcode) {
    return kOpcodeTable[opcode].flow;
}

inline constexpr std::uint8_t kFirstLp = 0x80;
inline constexpr std::uint8_t kLastLp = 0xBF;
inline constexpr std::uint8_t kFirstCal = 0xE0;

}  // namespace tolvan
