// Unassembling code in source format and assembling the text gives back the same bytes.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "cpu/opcode_table.h"
#include "tools/assembler.h"
#include "tools/unassembler.h"

namespace tolvan {
namespace {

constexpr std::uint8_t kPtj = 0x7A;
constexpr std::uint8_t kDtj = 0x69;

// The source format cannot carry PTJ and DTJ tables, and "?" lines do not assemble.
std::vector<std::uint8_t> round_trip_opcodes() {
    std::vector<std::uint8_t> opcodes;
    for (int opcode = 0; opcode < 256; ++opcode) {
        const auto code = static_cast<std::uint8_t>(opcode);
        if (!is_defined(code) || code == kPtj || code == kDtj) continue;
        if (kOpcodeTable[code].mnemonic.find('?') != std::string_view::npos) continue;
        opcodes.push_back(code);
    }
    return opcodes;
}

// Whole instructions with random operand bytes, `length` bytes or a few more.
std::vector<std::uint8_t> random_code(std::mt19937& random, std::size_t length) {
    static const std::vector<std::uint8_t> opcodes = round_trip_opcodes();
    std::uniform_int_distribution<std::size_t> pick(0, opcodes.size() - 1);
    std::uniform_int_distribution<int> byte(0, 255);
    std::vector<std::uint8_t> code;
    while (code.size() < length) {
        const std::uint8_t opcode = opcodes[pick(random)];
        code.push_back(opcode);
        for (int i = 1; i < instruction_length(opcode); ++i)
            code.push_back(static_cast<std::uint8_t>(byte(random)));
    }
    return code;
}

// Unassembles from..to, assembles the text and checks every assembled byte against memory, and
// that the bytes run without a gap from `from` to where the unassembler stopped.
void expect_round_trip(const AddressSpace& memory, std::uint16_t from, std::uint16_t to) {
    const std::string source = unassemble_text(memory, from, to, true);
    const AssemblyResult result = assemble_source(
        source, "round-trip.asm", [](const std::string&) { return std::optional<std::string>{}; });
    ASSERT_TRUE(result.ok()) << format_error(result.errors.front()) << "\n" << source;
    ASSERT_EQ(result.ranges.size(), 1u) << source;
    const OrgRange& range = result.ranges.front();
    EXPECT_EQ(range.start, from);
    // The run stops once an instruction could pass To: at most the last instruction is left out.
    EXPECT_GE(range.end + 4, std::uint32_t{to} + 1) << source;
    EXPECT_EQ(result.bytes.size(), range.end - range.start);
    for (const auto& [address, byte] : result.bytes) {
        ASSERT_EQ(byte, memory.image[address]) << "at " << address << "\n" << source;
    }
}

class RoundTrip : public ::testing::TestWithParam<unsigned> {};

TEST_P(RoundTrip, RandomCodeInTheRomAreas) {
    std::mt19937 random(GetParam());
    std::uniform_int_distribution<int> length(1, 400);
    std::uniform_int_distribution<int> low_start(0, 0x1C00);
    std::uniform_int_distribution<int> high_start(0x8000, 0xFC00);
    for (int iteration = 0; iteration < 300; ++iteration) {
        AddressSpace memory;
        const auto start =
            static_cast<std::uint16_t>(iteration % 2 ? low_start(random) : high_start(random));
        const std::vector<std::uint8_t> code =
            random_code(random, static_cast<std::size_t>(length(random)));
        std::copy(code.begin(), code.end(), memory.image.begin() + start);
        expect_round_trip(memory, start, static_cast<std::uint16_t>(start + code.size() - 1));
        if (HasFatalFailure()) return;
    }
}

// Code that ends with the address space, unassembled up to 0xFFFF.
TEST_P(RoundTrip, RandomCodeEndingAtTheTopOfMemory) {
    std::mt19937 random(GetParam());
    std::uniform_int_distribution<int> length(1, 300);
    for (int iteration = 0; iteration < 100; ++iteration) {
        AddressSpace memory;
        const std::vector<std::uint8_t> code =
            random_code(random, static_cast<std::size_t>(length(random)));
        const auto start = static_cast<std::uint16_t>(0x10000 - code.size());
        std::copy(code.begin(), code.end(), memory.image.begin() + start);
        expect_round_trip(memory, start, 0xFFFF);
        if (HasFatalFailure()) return;
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, RoundTrip, ::testing::Values(1u, 2u, 3u, 20240601u, 77u, 4242u));

// Every assemblable opcode once, with operands that reach the extremes of their ranges.
TEST(RoundTripEdges, EveryOpcodeWithExtremeOperands) {
    for (const std::uint8_t operand :
         {std::uint8_t{0x00}, std::uint8_t{0xFF}, std::uint8_t{0x01}}) {
        AddressSpace memory;
        std::uint16_t address = 0x9000;
        for (const std::uint8_t opcode : round_trip_opcodes()) {
            memory.image[address] = opcode;
            for (int i = 1; i < instruction_length(opcode); ++i)
                memory.image[address + i] = operand;
            address = static_cast<std::uint16_t>(address + instruction_length(opcode));
        }
        expect_round_trip(memory, 0x9000, static_cast<std::uint16_t>(address - 1));
    }
}

}  // namespace
}  // namespace tolvan
