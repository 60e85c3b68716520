#include "tools/asm_encoder.h"

#include <algorithm>
#include <map>

#include "cpu/opcode_table.h"
#include "tools/asm_source.h"
#include "tools/hex_text.h"

namespace tolvan {

namespace {

constexpr int kOpcodeCount = 256;
constexpr std::int64_t kMaxOffset = 0xFF;
constexpr std::int64_t kAddressSpaceSize = 0x10000;
constexpr int kAddressDigits = 4;
constexpr int kByteDigits = 2;
constexpr std::size_t kReturnAddressLength = 2;
constexpr std::string_view kQuestionMark = "?";

struct ValueRange {
    std::int64_t low;
    std::int64_t high;
    int digits;  // hexadecimal digits to show the range with
};

// An immediate byte may be written signed, as -1 for &FF.
constexpr ValueRange kByteRange{-0x80, 0xFF, kByteDigits};
constexpr ValueRange kWordRange{-0x8000, 0xFFFF, kAddressDigits};
constexpr ValueRange kAddressRange{0, 0xFFFF, kAddressDigits};
constexpr ValueRange kPointerRange{0, kLastLp - kFirstLp, kByteDigits};
// CAL reaches the low ROM: the opcode's five low bits and the operand byte.
constexpr ValueRange kCallRange{0, ((0xFF - kFirstCal + 1) << 8) - 1, kAddressDigits};

bool assemblable(std::uint8_t opcode) {
    return is_defined(opcode) && kOpcodeTable[opcode].mnemonic.find('?') == std::string_view::npos;
}

std::string first_word(std::string_view text) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    return std::string(text.substr(0, text.find(' ')));
}

// Evaluates one operand and checks it against its range; errors go to `errors`.
std::optional<std::int64_t> operand_value(std::string_view operand, const Evaluate& evaluate,
                                          const ValueRange& range,
                                          std::vector<std::string>& errors) {
    const Evaluation result = evaluate(operand);
    if (!result.value) {
        errors.push_back(result.error);
        return std::nullopt;
    }
    if (*result.value < range.low || *result.value > range.high) {
        errors.push_back(out_of_range_message(*result.value, range.low, range.high, range.digits));
        return std::nullopt;
    }
    return result.value;
}

void append_word(std::vector<std::uint8_t>& bytes, std::int64_t value) {
    bytes.push_back(static_cast<std::uint8_t>(value >> 8));
    bytes.push_back(static_cast<std::uint8_t>(value));
}

std::size_t expected_operands(Operand kind) {
    switch (kind) {
        case Operand::kNone:
        case Operand::kUndefined:
        case Operand::kUndefinedMarked:
            return 0;
        case Operand::kTableJump:
            return 2;
        default:
            return 1;
    }
}

std::string byte_count(std::int64_t difference) {
    const std::int64_t count = difference < 0 ? -difference : difference;
    return std::to_string(count) + (count == 1 ? " byte" : " bytes");
}

// The offset byte of a relative jump: the distance from the offset byte (one past the
// opcode) to the target, in the direction that the mnemonic gives. Addresses wrap at 16 bits
// as the processor's do.
std::optional<std::uint8_t> relative_offset(std::uint8_t opcode, std::int64_t target,
                                            std::uint16_t address,
                                            std::vector<std::string>& errors) {
    const bool forward = kOpcodeTable[opcode].operand == Operand::kForward;
    const std::int64_t base = address + 1;
    const std::int64_t ahead =
        ((target - base) % kAddressSpaceSize + kAddressSpaceSize) % kAddressSpaceSize;
    const std::int64_t distance = forward ? ahead : (kAddressSpaceSize - ahead) % kAddressSpaceSize;
    if (distance <= kMaxOffset) return static_cast<std::uint8_t>(distance);
    const std::int64_t plain = target - base;
    const std::string where = hex_value(target, kAddressDigits) + " lies " + byte_count(plain);
    if (forward ? plain < 0 : plain > 0) {
        errors.push_back(
            "jump in the wrong direction: " + std::string(kOpcodeTable[opcode].mnemonic) +
            (forward ? " jumps forward but " : " jumps backward but ") + where +
            (forward ? " back" : " ahead"));
    } else {
        errors.push_back("jump too far: " + where + " away, at most " + std::to_string(kMaxOffset));
    }
    return std::nullopt;
}

// The operand bytes (after the opcode) and the opcode itself, which LP and CAL adjust.
void encode_operands(std::uint8_t& opcode, const std::vector<std::string>& operands,
                     std::uint16_t address, const Evaluate& evaluate, Encoding& encoding) {
    auto& errors = encoding.errors;
    auto& bytes = encoding.bytes;
    switch (kOpcodeTable[opcode].operand) {
        case Operand::kByte:
            bytes.push_back(static_cast<std::uint8_t>(
                operand_value(operands[0], evaluate, kByteRange, errors).value_or(0)));
            break;
        case Operand::kWord:
            append_word(bytes,
                        operand_value(operands[0], evaluate, kAddressRange, errors).value_or(0));
            break;
        case Operand::kForward:
        case Operand::kBackward: {
            const auto target = operand_value(operands[0], evaluate, kAddressRange, errors);
            bytes.push_back(target ? relative_offset(opcode, *target, address, errors).value_or(0)
                                   : 0);
            break;
        }
        case Operand::kPointerInOpcode:
            opcode = static_cast<std::uint8_t>(
                kFirstLp + operand_value(operands[0], evaluate, kPointerRange, errors).value_or(0));
            break;
        case Operand::kCallInOpcode: {
            const auto target =
                operand_value(operands[0], evaluate, kCallRange, errors).value_or(0);
            opcode = static_cast<std::uint8_t>(kFirstCal + (target >> 8));
            bytes.push_back(static_cast<std::uint8_t>(target));
            break;
        }
        case Operand::kTableJump:
            bytes.push_back(static_cast<std::uint8_t>(
                operand_value(operands[0], evaluate, kByteRange, errors).value_or(0)));
            if (operands.size() > 1) {
                append_word(
                    bytes, operand_value(operands[1], evaluate, kAddressRange, errors).value_or(0));
            } else {
                // The unassembler shows only the entry count: the return address is not known.
                encoding.from_base = kReturnAddressLength;
            }
            break;
        default:
            break;
    }
}

}  // namespace

std::string hex_value(std::int64_t value, int digits) {
    constexpr std::uint64_t kShownLimit = 0xFFFFFFFF;
    // Computed unsigned: the most negative value has no positive counterpart.
    const auto bits = static_cast<std::uint64_t>(value);
    const std::uint64_t magnitude = std::min(value < 0 ? 0 - bits : bits, kShownLimit);
    return prefixed_hex(value < 0 ? "-&" : "&", static_cast<std::uint32_t>(magnitude), digits);
}

std::string out_of_range_message(std::int64_t value, std::int64_t low, std::int64_t high,
                                 int digits) {
    return "operand out of range: " + hex_value(value, digits) + " (allowed " +
           hex_value(low, digits) + " to " + hex_value(high, digits) + ")";
}

std::optional<std::uint8_t> find_opcode(std::string_view mnemonic) {
    // Looked up for every line: an index instead of a pass over the table.
    static const std::map<std::string_view, std::uint8_t, std::less<>> index = [] {
        std::map<std::string_view, std::uint8_t, std::less<>> opcodes;
        for (int opcode = 0; opcode < kOpcodeCount; ++opcode) {
            const auto code = static_cast<std::uint8_t>(opcode);
            if (assemblable(code)) opcodes.try_emplace(kOpcodeTable[code].mnemonic, code);
        }
        return opcodes;
    }();
    const auto found = index.find(mnemonic);
    if (found == index.end()) return std::nullopt;
    return found->second;
}

bool shows_as_question_mark(std::uint8_t opcode) {
    return first_word(kOpcodeTable[opcode].mnemonic) == kQuestionMark;
}

std::optional<std::uint8_t> find_marked_undefined(std::string_view operation,
                                                  const std::vector<std::string>& operands) {
    if (operands.size() != 1 || operands[0] != kQuestionMark) return std::nullopt;
    for (int opcode = 0; opcode < kOpcodeCount; ++opcode) {
        const auto code = static_cast<std::uint8_t>(opcode);
        if (kOpcodeTable[code].operand == Operand::kUndefinedMarked &&
            first_word(kOpcodeTable[code].mnemonic) == operation) {
            return code;
        }
    }
    return std::nullopt;
}

bool names_undefined_opcode(std::string_view operation) {
    if (operation.find('?') != std::string_view::npos) return true;
    for (int opcode = 0; opcode < kOpcodeCount; ++opcode) {
        const auto code = static_cast<std::uint8_t>(opcode);
        if (!assemblable(code) && first_word(kOpcodeTable[code].mnemonic) == operation) return true;
    }
    return false;
}

Encoding encode_instruction(std::uint8_t opcode, const std::vector<std::string>& operands,
                            std::uint16_t address, const Evaluate& evaluate) {
    Encoding encoding;
    const int length = instruction_length(opcode);
    const std::size_t wanted = expected_operands(kOpcodeTable[opcode].operand);
    const bool count_only =
        kOpcodeTable[opcode].operand == Operand::kTableJump && operands.size() == 1;
    if (operands.size() != wanted && !count_only) {
        encoding.errors.push_back(
            "wrong number of operands: " + std::string(kOpcodeTable[opcode].mnemonic) + " takes " +
            std::to_string(wanted) + ", got " + std::to_string(operands.size()));
    } else {
        encode_operands(opcode, operands, address, evaluate, encoding);
    }
    encoding.bytes.insert(encoding.bytes.begin(), opcode);
    encoding.bytes.resize(static_cast<std::size_t>(length), 0);
    return encoding;
}

std::uint32_t data_size(std::string_view directive, const std::vector<std::string>& operands) {
    if (directive == kDefineWords) return static_cast<std::uint32_t>(2 * operands.size());
    std::uint32_t size = 0;
    for (const std::string& operand : operands) {
        std::string ignored;
        if (!is_string_literal(operand)) {
            ++size;
        } else if (const auto text = decode_string_literal(operand, ignored)) {
            size += static_cast<std::uint32_t>(text->size());
        }
    }
    return size;
}

Encoding encode_data(std::string_view directive, const std::vector<std::string>& operands,
                     const Evaluate& evaluate) {
    Encoding encoding;
    if (operands.empty()) encoding.errors.push_back(std::string(directive) + " needs operands");
    for (const std::string& operand : operands) {
        if (directive == kDefineWords) {
            append_word(encoding.bytes,
                        operand_value(operand, evaluate, kWordRange, encoding.errors).value_or(0));
        } else if (is_string_literal(operand)) {
            std::string error;
            const auto text = decode_string_literal(operand, error);
            if (text) {
                encoding.bytes.insert(encoding.bytes.end(), text->begin(), text->end());
            } else {
                encoding.errors.push_back(error);
            }
        } else {
            encoding.bytes.push_back(static_cast<std::uint8_t>(
                operand_value(operand, evaluate, kByteRange, encoding.errors).value_or(0)));
        }
    }
    return encoding;
}

}  // namespace tolvan
