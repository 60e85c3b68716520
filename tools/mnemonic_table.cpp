#include "tools/mnemonic_table.h"

#include "cpu/opcode_table.h"
#include "tools/hex_text.h"

namespace tolvan {

namespace {

constexpr std::string_view kMarkers = "?mn&+-";
// Text positions (counting the leading space as 1) where the marker search looks, from the
// last one back; position 5 is taken when the positions after it are all spaces.
constexpr std::size_t kLastSearchIndex = kTextFieldSize - 1;
constexpr std::size_t kFirstSearchIndex = 5;
constexpr std::size_t kFallbackIndex = 4;

std::string padded(std::string_view text, std::size_t width) {
    std::string result(text.substr(0, width));
    result.resize(width, ' ');
    return result;
}

}  // namespace

std::string operand_field(std::uint8_t opcode) {
    switch (kOpcodeTable[opcode].operand) {
        case Operand::kByte:
        case Operand::kTableJump:
            return "n";
        case Operand::kWord:
            return "&";
        case Operand::kForward:
            return "+";
        case Operand::kBackward:
            return "-";
        case Operand::kPointerInOpcode:
            return prefixed_hex("&", opcode - kFirstLp, 2);
        case Operand::kCallInOpcode:
            return prefixed_hex("&", opcode - kFirstCal, 2) + "m";
        case Operand::kUndefinedMarked:
            return "?";
        case Operand::kNone:
        case Operand::kUndefined:
            break;
    }
    return "";
}

std::string text_field(std::uint8_t opcode) {
    std::string text(1, ' ');
    text += padded(kOpcodeTable[opcode].mnemonic, kMnemonicColumnWidth);
    text += padded(operand_field(opcode), kOperandFieldWidth);
    return text;
}

MnemonicRecord make_mnemonic_record(std::uint8_t opcode) {
    MnemonicRecord record;
    record.length = static_cast<std::uint8_t>(instruction_length(opcode));
    const std::string text = text_field(opcode);
    text.copy(record.text.data(), record.text.size());
    record.opcode = opcode;
    return record;
}

const std::array<MnemonicRecord, 256>& mnemonic_table() {
    static const std::array<MnemonicRecord, 256> table = [] {
        std::array<MnemonicRecord, 256> records{};
        for (std::size_t opcode = 0; opcode < records.size(); ++opcode) {
            records[opcode] = make_mnemonic_record(static_cast<std::uint8_t>(opcode));
        }
        return records;
    }();
    return table;
}

RecordText split_marker(const MnemonicRecord& record) {
    const std::string_view text = record_text(record);
    std::size_t index = kFallbackIndex;
    for (std::size_t i = kLastSearchIndex; i >= kFirstSearchIndex; --i) {
        if (text[i] != ' ') {
            index = i;
            break;
        }
    }
    if (kMarkers.find(text[index]) != std::string_view::npos) {
        return {text.substr(0, index), text[index]};
    }
    return {text.substr(0, index + 1), '\0'};
}

}  // namespace tolvan
