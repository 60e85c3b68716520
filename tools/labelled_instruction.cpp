#include "tools/labelled_instruction.h"

#include "cpu/opcode_table.h"
#include "tools/hex_text.h"
#include "tools/mnemonic_table.h"

namespace tolvan {

namespace {

constexpr int kCallLength = 3;
constexpr int kCalLength = 2;
constexpr std::uint8_t kCalHighMask = 0x1F;

std::uint16_t relative_target(std::uint16_t address, char marker, std::uint8_t offset) {
    const unsigned base = address + 1u;
    return static_cast<std::uint16_t>(marker == '+' ? base + offset : base - offset);
}

std::string address_operand(const Symbols& symbols, std::uint16_t target) {
    std::string label = label_at(symbols, target);
    return label.empty() ? prefixed_hex("&", target, 4) : label;
}

// The mnemonic and its operand column, without the record's leading space and padding.
std::string trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const std::size_t last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

std::string operand_text(const Symbols& symbols, std::uint16_t address, RecordText part,
                         std::uint8_t opcode, std::uint8_t first, std::uint8_t second) {
    switch (part.marker) {
        case '+':
        case '-':
            return address_operand(symbols, relative_target(address, part.marker, first));
        case '&':
            return address_operand(symbols, static_cast<std::uint16_t>(first << 8 | second));
        case 'm':
            return address_operand(
                symbols, static_cast<std::uint16_t>((opcode & kCalHighMask) << 8 | first));
        case 'n':
            return prefixed_hex("&", first, 2);
        default:
            return {};
    }
}

}  // namespace

LabelledInstruction labelled_instruction(const AddressSpace& memory, const Symbols& symbols,
                                         std::uint16_t address) {
    const std::uint8_t opcode = read_program_byte(memory, address);
    const MnemonicRecord& record = mnemonic_table()[opcode];
    LabelledInstruction line;
    line.length = record.length;
    for (int n = 0; n < record.length; ++n) {
        if (n != 0) line.bytes += ' ';
        line.bytes += hex2(read_program_byte(memory, static_cast<std::uint16_t>(address + n)));
    }
    RecordText part = split_marker(record);
    // A CAL's record carries the high part of its target ("&01"), which the label replaces.
    if (part.marker == 'm') part.text = part.text.substr(0, part.text.rfind('&'));
    const std::uint8_t first = read_program_byte(memory, static_cast<std::uint16_t>(address + 1));
    const std::uint8_t second = read_program_byte(memory, static_cast<std::uint16_t>(address + 2));
    const std::string operand = operand_text(symbols, address, part, opcode, first, second);
    if (operand.empty()) {
        line.text = trimmed(part.text);
    } else {
        // The mnemonic column keeps its width so that operands line up.
        line.text = std::string(part.text.substr(1));
        line.text += operand;
    }
    return line;
}

std::string label_at(const Symbols& symbols, std::uint16_t address) {
    const auto found = symbols.labels.lower_bound(address);
    if (found == symbols.labels.end() || found->first != address) return {};
    return found->second;
}

std::string describe_with_hex(const Symbols& symbols, std::uint16_t address) {
    const std::string text = describe_address(symbols, address);
    if (text.empty()) return hex4(address);
    std::string result = text;
    result += " (";
    result += hex4(address);
    result += ')';
    return result;
}

bool follows_call(const AddressSpace& memory, std::uint16_t address) {
    const auto call_at = static_cast<std::uint16_t>(address - kCallLength);
    const std::uint8_t call = read_program_byte(memory, call_at);
    if (kOpcodeTable[call].mnemonic == "CALL" && instruction_length(call) == kCallLength) {
        return true;
    }
    const std::uint8_t cal =
        read_program_byte(memory, static_cast<std::uint16_t>(address - kCalLength));
    return cal >= kFirstCal;
}

}  // namespace tolvan
