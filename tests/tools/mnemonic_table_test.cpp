#include "tools/mnemonic_table.h"

#include <gtest/gtest.h>

#include <sstream>

#include "support/files.h"

namespace tolvan {
namespace {

// The expected file holds, per opcode, the text field and the length as the machine's
// documentation tables give them: "OP|text field|length".
TEST(MnemonicTable, EveryRecordMatchesTheDocumentedTable) {
    std::istringstream expected(testing::expected_file("mnemonic_records.txt"));
    std::string line;
    int opcode = 0;
    while (std::getline(expected, line)) {
        SCOPED_TRACE(line);
        const MnemonicRecord& record = mnemonic_table()[opcode];
        EXPECT_EQ(std::stoi(line.substr(0, 2), nullptr, 16), opcode);
        EXPECT_EQ(record_text(record), line.substr(3, kTextFieldSize));
        EXPECT_EQ(record.length, std::stoi(line.substr(4 + kTextFieldSize)));
        ++opcode;
    }
    EXPECT_EQ(opcode, 256);
}

TEST(MnemonicTable, RecordsAreSixteenBytesEndingWithZeroOpcodeAndSpace) {
    for (int opcode = 0; opcode < 256; ++opcode) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(&mnemonic_table()[opcode]);
        EXPECT_EQ(bytes[13], 0) << opcode;
        EXPECT_EQ(bytes[14], opcode);
        EXPECT_EQ(bytes[15], ' ');
        EXPECT_EQ(bytes[0], mnemonic_table()[opcode].length);
    }
}

TEST(MnemonicTable, MarkerSplitsTheTextWhereOperandBytesAreShown) {
    const auto split = [](int opcode) { return split_marker(mnemonic_table()[opcode]); };
    // Undefined: a space, "?" and three spaces, no marker; 0x33 has its "?" one place later.
    EXPECT_EQ(split(0x17).text, " ?   ");
    EXPECT_EQ(split(0x17).marker, '\0');
    EXPECT_EQ(split(0x33).text, "  ?  ");
    EXPECT_EQ(split(0xD3).text, " WRIT ?");
    EXPECT_EQ(split(0xD3).marker, '?');
    EXPECT_EQ(split(0x85).text, " LP    &05");
    EXPECT_EQ(split(0x85).marker, '\0');
    EXPECT_EQ(split(0xE1).text, " CAL   &01");
    EXPECT_EQ(split(0xE1).marker, 'm');
    EXPECT_EQ(split(0x28).text, " JRNZP ");
    EXPECT_EQ(split(0x28).marker, '+');
    EXPECT_EQ(split(0x2F).marker, '-');
    EXPECT_EQ(split(0x10).text, " LIDP  ");
    EXPECT_EQ(split(0x10).marker, '&');
    EXPECT_EQ(split(0x7A).marker, 'n');
    EXPECT_EQ(split(0x37).text, " RTN ");
    EXPECT_EQ(split(0xD8).text, " LEAVE");
    EXPECT_EQ(split(0x54).text, " READM");
}

}  // namespace
}  // namespace tolvan
