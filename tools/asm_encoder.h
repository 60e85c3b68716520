// Turning one statement into bytes: instructions through the opcode table, and the data
// directives DB and DW.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/asm_expression.h"

namespace tolvan {

// The opcode for a mnemonic (the first of its group for LP and CAL), for the mnemonics that
// can be assembled: every defined instruction whose text is not a "?".
std::optional<std::uint8_t> find_opcode(std::string_view mnemonic);

// True for words that only ever name undefined opcodes ("?", and the first word of a "?"
// record such as 0xD3's): such lines come from the unassembler and cannot be assembled.
bool names_undefined_opcode(std::string_view operation);

// True for the opcodes whose line shows only "?": the undefined ones and the no-ops. Such a
// line does not say which of them it stands for.
bool shows_as_question_mark(std::uint8_t opcode);

// The one undefined opcode whose line reads `operation ?` (0xD3's "WRIT ?"), if any.
std::optional<std::uint8_t> find_marked_undefined(std::string_view operation,
                                                  const std::vector<std::string>& operands);

using Evaluate = std::function<Evaluation(std::string_view expression)>;

struct Encoding {
    std::vector<std::uint8_t> bytes;
    std::vector<std::string> errors;
    // How many of the last bytes the source does not give (the return address of a PTJ
    // written with its entry count only); they are zero in `bytes`.
    std::size_t from_base = 0;
};

// Always yields the instruction's full length; an operand in error is encoded as zero. PTJ may
// have its entry count only, as the unassembler writes it.
Encoding encode_instruction(std::uint8_t opcode, const std::vector<std::string>& operands,
                            std::uint16_t address, const Evaluate& evaluate);

// DB takes bytes and "strings"; DW takes 16-bit words, stored high byte first as the
// processor reads its operands.
std::uint32_t data_size(std::string_view directive, const std::vector<std::string>& operands);
Encoding encode_data(std::string_view directive, const std::vector<std::string>& operands,
                     const Evaluate& evaluate);

// "&1F", "-&80": numbers in messages, in the notation of the source.
std::string hex_value(std::int64_t value, int digits);
std::string out_of_range_message(std::int64_t value, std::int64_t low, std::int64_t high,
                                 int digits);

inline constexpr std::string_view kDefineBytes = "DB";
inline constexpr std::string_view kDefineWords = "DW";

}  // namespace tolvan
