// The unassembler's mnemonic table: one 16-byte record per opcode, built from the opcode table so
// that lengths and mnemonics are written down only once.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tolvan {

inline constexpr std::size_t kTextFieldSize = 12;
inline constexpr std::size_t kMnemonicColumnWidth = 6;
inline constexpr std::size_t kOperandFieldWidth = 5;
inline constexpr char kRecordPad = ' ';

// Byte 0 the length, bytes 1-12 the text field, byte 13 the terminating zero, byte 14 the opcode,
// byte 15 a space.
struct MnemonicRecord {
    std::uint8_t length = 0;
    std::array<char, kTextFieldSize> text{};
    char terminator = '\0';
    std::uint8_t opcode = 0;
    char pad = kRecordPad;
};
static_assert(sizeof(MnemonicRecord) == 16);

// The operand field: a marker standing for operand bytes ("n", "&", "+", "-", "?"), the
// pointer of an LP ("&05"), the high part of a CAL target followed by its marker ("&01m"), or
// nothing.
std::string operand_field(std::uint8_t opcode);

// Twelve characters: a space, the mnemonic column, the operand field.
std::string text_field(std::uint8_t opcode);

MnemonicRecord make_mnemonic_record(std::uint8_t opcode);

const std::array<MnemonicRecord, 256>& mnemonic_table();

inline std::string_view record_text(const MnemonicRecord& record) {
    return {record.text.data(), record.text.size()};
}

// What a line shows of a record: the text up to the marker, and the marker that says which
// operand bytes follow ('\0' when there is none).
struct RecordText {
    std::string_view text;
    char marker = '\0';
};

RecordText split_marker(const MnemonicRecord& record);

}  // namespace tolvan
