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

// Any memory, unassembled in source format and assembled back over the same memory image, gives
// the same bytes: undefined opcodes and no-ops ("?"), PTJ with its table, text and other data,
// ranges that start inside an instruction and ranges whose last instruction runs past 0xFFFF.
// Every line must assemble, so the bytes come from the source and not only from the base.
class AnyMemory : public ::testing::TestWithParam<unsigned> {};

// Random bytes (every opcode), PTJ and DTJ tables, text, and runs of one byte.
std::vector<std::uint8_t> random_memory(std::mt19937& random) {
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> kind(0, 3);
    std::uniform_int_distribution<int> length(1, 64);
    std::vector<std::uint8_t> memory;
    while (memory.size() < 0x10000) {
        const int count = length(random);
        switch (kind(random)) {
            case 0: {
                const int entries = count % 4;
                memory.insert(memory.end(),
                              {kPtj, static_cast<std::uint8_t>(entries), 0x81, 0x23, kDtj});
                for (int i = 0; i < 3 * entries + 2; ++i)
                    memory.push_back(static_cast<std::uint8_t>(byte(random)));
                break;
            }
            case 1:
                for (int i = 0; i < count; ++i)
                    memory.push_back(static_cast<std::uint8_t>('A' + byte(random) % 26));
                break;
            case 2:
                memory.insert(memory.end(), static_cast<std::size_t>(count),
                              static_cast<std::uint8_t>(byte(random) % 2 ? 0x00 : 0xFF));
                break;
            default:
                for (int i = 0; i < count; ++i)
                    memory.push_back(static_cast<std::uint8_t>(byte(random)));
        }
    }
    memory.resize(0x10000);
    return memory;
}

// The memory as the unassembler reads it, which is what the base image must hold.
std::vector<std::uint8_t> fetched_view(const AddressSpace& memory) {
    std::vector<std::uint8_t> view(0x10000);
    for (std::uint32_t address = 0; address < view.size(); ++address)
        view[address] = read_program_byte(memory, static_cast<std::uint16_t>(address));
    return view;
}

TEST_P(AnyMemory, AssemblesBackOverItsImageToTheSameBytes) {
    std::mt19937 random(GetParam());
    AddressSpace memory;
    const std::vector<std::uint8_t> bytes = random_memory(random);
    std::copy(bytes.begin(), bytes.end(), memory.image.begin());
    BaseImage base{0, fetched_view(memory)};
    std::uniform_int_distribution<int> random_byte(0, 255);
    std::uniform_int_distribution<int> start(0, 0xFFFF);
    std::uniform_int_distribution<int> length(0, 600);
    int wrapped = 0;
    for (int iteration = 0; iteration < 200; ++iteration) {
        const bool to_the_top = iteration % 2 == 0;
        // New top bytes each time: one-byte opcodes, then an opcode that may be long, so that
        // the last instruction often runs past 0xFFFF.
        for (std::uint32_t address = 0xFFF8; to_the_top && address <= 0xFFFF; ++address) {
            auto value = static_cast<std::uint8_t>(random_byte(random));
            while (address < 0xFFFE && instruction_length(value) != 1)
                value = static_cast<std::uint8_t>(random_byte(random));
            memory.image[address] = value;
            base.bytes[address] = read_program_byte(memory, static_cast<std::uint16_t>(address));
        }
        const auto from =
            static_cast<std::uint16_t>(to_the_top ? 0xFFFF - length(random) : start(random));
        const auto to = to_the_top
                            ? std::uint16_t{0xFFFF}
                            : static_cast<std::uint16_t>(std::min(0xFFFF, from + length(random)));
        const std::string source = unassemble_text(memory, from, to, true);
        const AssemblyResult result = assemble_source(
            source, "any.asm", [](const std::string&) { return std::nullopt; }, base);
        ASSERT_TRUE(result.ok()) << format_error(result.errors.front()) << "\n" << source;
        ASSERT_FALSE(result.ranges.empty());
        EXPECT_EQ(result.ranges.front().start, from);
        EXPECT_GE(result.ranges.front().end + 4, std::uint32_t{to} + 1);
        for (const auto& [address, byte] : result.bytes)
            ASSERT_EQ(byte, base.bytes[address]) << "at " << address << "\n" << source;
        EXPECT_EQ(assembled_image(result, 0, 0xFFFF, 0, base), base.bytes);
        // The last instruction ran past 0xFFFF: its bytes went on at 0x0000.
        if (result.ranges.size() == 2 && result.ranges.back().start == 0) ++wrapped;
    }
    EXPECT_GT(wrapped, 0);
}

INSTANTIATE_TEST_SUITE_P(Seeds, AnyMemory, ::testing::Values(5u, 6u, 7u, 8u));

}  // namespace
}  // namespace tolvan
