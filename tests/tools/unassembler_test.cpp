#include "tools/unassembler.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>

#include "support/files.h"

namespace tolvan {
namespace {

void put(AddressSpace& memory, std::uint16_t address, std::initializer_list<std::uint8_t> bytes) {
    for (const std::uint8_t byte : bytes)
        memory.image[address++] = byte;
}

AddressSpace worked_example_memory() {
    AddressSpace memory;
    put(memory, 0x0100, {0x10, 0x12, 0x34, 0x28, 0x03, 0xE1, 0x23, 0x85});
    return memory;
}

TEST(Unassembler, WorkedExampleListing) {
    EXPECT_EQ(unassemble_text(worked_example_memory(), 0x0100, 0x0107, false),
              testing::expected_file("worked_example.lst"));
}

TEST(Unassembler, WorkedExampleSource) {
    EXPECT_EQ(unassemble_text(worked_example_memory(), 0x0100, 0x0107, true),
              testing::expected_file("worked_example.asm"));
}

TEST(Unassembler, FromAboveToGivesAnEmptyListingAndAHeaderAndTrailer) {
    const AddressSpace memory = worked_example_memory();
    EXPECT_EQ(unassemble_text(memory, 0x0200, 0x0100, false), "");
    EXPECT_EQ(unassemble_text(memory, 0x0200, 0x0100, true),
              "ORG &0200 ; Sets the start address of the program \n\nstart:\n"
              "; End of program = &0200\n");
}

// The loop tests the next address with the previous length: an instruction starting at To is
// written only when it is the first.
TEST(Unassembler, OneByteInstructionsStopBeforeTo) {
    AddressSpace memory;
    put(memory, 0x0100, {0x37, 0x37, 0x37, 0x37, 0x37, 0x37, 0x37});
    EXPECT_EQ(unassemble_text(memory, 0x0100, 0x0105, false),
              "0100: 37           RTN \n"
              "0101: 37           RTN \n"
              "0102: 37           RTN \n"
              "0103: 37           RTN \n"
              "0104: 37           RTN \n");
    EXPECT_EQ(unassemble_text(memory, 0x0105, 0x0105, false), "0105: 37           RTN \n");
}

TEST(Unassembler, UndefinedOpcodeLines) {
    AddressSpace memory;
    put(memory, 0x0017, {0x17});
    put(memory, 0x0033, {0x33});
    EXPECT_EQ(unassemble_text(memory, 0x0017, 0x0017, false), "0017: 17           ?   \n");
    EXPECT_EQ(unassemble_text(memory, 0x0017, 0x0017, true),
              "ORG &0017 ; Sets the start address of the program \n\nstart:\n"
              "L_0017:  ?   \n"
              "; End of program = &0018\n");
    EXPECT_EQ(unassemble_text(memory, 0x0033, 0x0033, false), "0033: 33            ?  \n");
}

TEST(Unassembler, OpcodeD3ShowsASingleQuestionMark) {
    AddressSpace memory;
    put(memory, 0x0200, {0xD3, 0x44, 0x55});
    EXPECT_EQ(unassemble_text(memory, 0x0200, 0x0200, false), "0200: D3           WRIT ?\n");
    EXPECT_NE(unassemble_text(memory, 0x0200, 0x0200, true).find("\nL_0200:  WRIT ?\n"),
              std::string::npos);
}

TEST(Unassembler, LpShowsItsPointerAndNoOperandBytes) {
    AddressSpace memory;
    put(memory, 0x0300, {0x85, 0xBF, 0x80});
    EXPECT_EQ(unassemble_text(memory, 0x0300, 0x0303, false),
              "0300: 85           LP    &05\n"
              "0301: BF           LP    &3F\n"
              "0302: 80           LP    &00\n");
    EXPECT_NE(unassemble_text(memory, 0x0300, 0x0300, true).find("\nL_0300:  LP    &05\n"),
              std::string::npos);
}

TEST(Unassembler, PtjTakesFourBytesAndHasNoBytesColumn) {
    AddressSpace memory;
    put(memory, 0x0400, {0x7A, 0x03, 0x12, 0x34, 0x37, 0x37, 0x37, 0x37, 0x37});
    // After the four-byte PTJ the next line needs four bytes of room before To.
    EXPECT_EQ(unassemble_text(memory, 0x0400, 0x0407, false), " PTJ   03\n");
    EXPECT_EQ(unassemble_text(memory, 0x0400, 0x0408, false),
              " PTJ   03\n"
              "0404: 37           RTN \n"
              "0405: 37           RTN \n"
              "0406: 37           RTN \n"
              "0407: 37           RTN \n");
    EXPECT_EQ(unassemble_text(memory, 0x0400, 0x0404, true),
              "ORG &0400 ; Sets the start address of the program \n\nstart:\n"
              "L_0400:  PTJ   &03\n"
              "; End of program = &0404\n");
}

TEST(Unassembler, ImmediatesAreHexWithAnAmpersandOnlyInSource) {
    AddressSpace memory;
    put(memory, 0x0500, {0x02, 0x0A});
    EXPECT_EQ(unassemble_text(memory, 0x0500, 0x0500, false), "0500: 02 0A        LIA   0A\n");
    EXPECT_NE(unassemble_text(memory, 0x0500, 0x0500, true).find("\nL_0500:  LIA   &0A\n"),
              std::string::npos);
}

TEST(Unassembler, ReferencesInsideTheRangeBecomeLabelsEvenMidInstruction) {
    AddressSpace memory;
    // LIDP 0x0101 (into its own operand), JRM 3 back to 0x0101, JRP 0x20 forward out of range,
    // JP 0x9000 out of range, CAL 0x0107 which stays an address.
    put(memory, 0x0100, {0x10, 0x01, 0x01, 0x2D, 0x03, 0x2C, 0x20, 0x79, 0x90, 0x00, 0xE1, 0x07});
    EXPECT_EQ(unassemble_text(memory, 0x0100, 0x010D, true),
              "ORG &0100 ; Sets the start address of the program \n\nstart:\n"
              "L_0100:  LIDP  L_0101\n"
              "L_0103:  JRM   L_0101\n"
              "L_0105:  JRP   &0126\n"
              "L_0107:  JP    &9000\n"
              "L_010A:  CAL   &0107\n"
              "; End of program = &010C\n");
    EXPECT_EQ(unassemble_text(memory, 0x0100, 0x010D, false),
              "0100: 10 01 01     LIDP  0101\n"
              "0103: 2D 03        JRM   0101\n"
              "0105: 2C 20        JRP   0126\n"
              "0107: 79 90 00     JP    9000\n"
              "010A: E1 07        CAL   &0107\n");
}

TEST(Unassembler, RelativeTargetsWrapAtSixteenBits) {
    AddressSpace memory;
    put(memory, 0xFFF8, {0x2C, 0x10});
    put(memory, 0x0002, {0x2D, 0x10});
    EXPECT_EQ(unassemble_text(memory, 0xFFF8, 0xFFF8, false), "FFF8: 2C 10        JRP   0009\n");
    EXPECT_EQ(unassemble_text(memory, 0x0002, 0x0002, false), "0002: 2D 10        JRM   FFF3\n");
}

TEST(Unassembler, EndOfTheAddressSpaceEndsTheRunWithoutWrapping) {
    AddressSpace memory;
    put(memory, 0x0000, {0x37, 0x37});
    put(memory, 0xFFFC, {0x37, 0x10, 0x12, 0x34});
    EXPECT_EQ(unassemble_text(memory, 0xFFFC, 0xFFFF, false),
              "FFFC: 37           RTN \n"
              "FFFD: 10 12 34     LIDP  1234\n");
    EXPECT_EQ(unassemble_text(memory, 0xFFFC, 0xFFFF, true),
              "ORG &FFFC ; Sets the start address of the program \n\nstart:\n"
              "L_FFFC:  RTN \n"
              "L_FFFD:  LIDP  &1234\n"
              "; End of program = &0000\n");
}

// Operand bytes past 0xFFFF are read from 0x0000 on, as the instruction fetch reads them.
TEST(Unassembler, OperandBytesWrapToTheStartOfTheAddressSpace) {
    AddressSpace memory;
    put(memory, 0x0000, {0x56, 0x78});
    put(memory, 0xFFFE, {0x37, 0x10});
    EXPECT_EQ(unassemble_text(memory, 0xFFFF, 0xFFFF, false), "FFFF: 10 56 78     LIDP  5678\n");
    // Following a one-byte instruction, 0xFFFF is past the loop's limit.
    EXPECT_EQ(unassemble_text(memory, 0xFFFE, 0xFFFF, false), "FFFE: 37           RTN \n");
}

// The low ROM is visible to instruction fetches but not to data reads.
TEST(Unassembler, ReadsMemoryAsTheInstructionFetchDoes) {
    AddressSpace memory;
    put(memory, 0x0010, {0x02, 0x99});
    EXPECT_EQ(unassemble_text(memory, 0x0010, 0x0010, false), "0010: 02 99        LIA   99\n");
}

}  // namespace
}  // namespace tolvan
