#include "tools/labelled_instruction.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace tolvan {
namespace {

void put(AddressSpace& memory, std::uint16_t address, std::initializer_list<std::uint8_t> bytes) {
    for (const std::uint8_t byte : bytes)
        memory.image[address++] = byte;
}

struct Case {
    std::uint16_t address;
    int length;
    const char* bytes;
    const char* text;
};

// Every operand kind, with and without a label at what it names.
TEST(LabelledInstruction, OperandsNameTheirTargetsByLabel) {
    AddressSpace memory;
    put(memory, 0x0100, {0x10, 0x12, 0x34, 0x28, 0x03, 0xE1, 0x23, 0x85, 0x79, 0x01, 0x00});
    put(memory, 0x0110, {0x29, 0x0C, 0x00, 0x3F, 0x78, 0x80, 0x00, 0x7A, 0x02, 0x01, 0x20});
    Symbols symbols;
    add_symbol(symbols, "start", 0x0100);
    add_symbol(symbols, "near", 0x0107);
    add_symbol(symbols, "table", 0x1234, SymbolKind::kEqu);
    const Case cases[] = {
        {0x0100, 3, "10 12 34", "LIDP  &1234"},  // an EQU is a value, not a label
        {0x0103, 2, "28 03", "JRNZP near"},     {0x0105, 2, "E1 23", "CAL   &0123"},
        {0x0107, 1, "85", "LP    &05"},         {0x0108, 3, "79 01 00", "JP    start"},
        {0x0110, 2, "29 0C", "JRNZM &0105"},    {0x0112, 2, "00 3F", "LII   &3F"},
        {0x0114, 3, "78 80 00", "CALL  &8000"}, {0x0117, 4, "7A 02 01 20", "PTJ   &02"},
    };
    for (const Case& c : cases) {
        const LabelledInstruction line = labelled_instruction(memory, symbols, c.address);
        EXPECT_EQ(line.length, c.length) << c.text;
        EXPECT_EQ(line.bytes, c.bytes) << c.text;
        EXPECT_EQ(line.text, c.text);
    }
    add_symbol(symbols, "print", 0x0123);
    EXPECT_EQ(labelled_instruction(memory, symbols, 0x0105).text, "CAL   print");
    EXPECT_EQ(label_at(symbols, 0x0107), "near");
    EXPECT_EQ(label_at(symbols, 0x0108), "");
    EXPECT_EQ(describe_with_hex(symbols, 0x0109), "near+2 (0109)");
    EXPECT_EQ(describe_with_hex(symbols, 0x4000), "4000");
}

// Only an address that a CALL or a CAL pushed reads as a return address on the stack.
TEST(LabelledInstruction, ReturnAddressesFollowACall) {
    AddressSpace memory;
    put(memory, 0x0200, {0x78, 0x12, 0x34, 0xE1, 0x23, 0x00, 0x01});
    EXPECT_TRUE(follows_call(memory, 0x0203));
    EXPECT_TRUE(follows_call(memory, 0x0205));
    EXPECT_FALSE(follows_call(memory, 0x0207));
    EXPECT_FALSE(follows_call(memory, 0x0204));
}

}  // namespace
}  // namespace tolvan
