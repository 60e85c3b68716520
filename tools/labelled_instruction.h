// One instruction as the debugger shows it: the unassembler's mnemonic table, with every address
// that the instruction names shown as its label when the symbols have one.
#pragma once

#include <cstdint>
#include <string>

#include "bus/address_space.h"
#include "tools/symbols.h"

namespace tolvan {

struct LabelledInstruction {
    int length = 1;
    std::string bytes;  // "79 00 00"
    std::string text;   // "JP    main_loop"
};

// Memory is read as the instruction fetch reads it, without side effects.
LabelledInstruction labelled_instruction(const AddressSpace& memory, const Symbols& symbols,
                                         std::uint16_t address);

// The label at exactly this address, or empty.
std::string label_at(const Symbols& symbols, std::uint16_t address);

// "main_loop+3 (0123)", or "0123" when no label is at or below the address.
std::string describe_with_hex(const Symbols& symbols, std::uint16_t address);

// The return address that a call left on the stack: true when the instruction just before it is
// a CALL or a CAL, so that pushed data are not taken for addresses.
bool follows_call(const AddressSpace& memory, std::uint16_t address);

}  // namespace tolvan
