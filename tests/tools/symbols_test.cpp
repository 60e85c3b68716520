// Symbols from an assembly to a symbol file and back, the names that addresses take in the
// debugger and the listing, and the address text that users type.
#include "tools/symbols.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "support/files.h"
#include "support/scratch_directory.h"
#include "tools/assembler.h"
#include "tools/tolvan_asm_cli.h"
#include "tools/unassembler.h"

namespace tolvan {
namespace {

constexpr const char* kProgram = R"(
SCREEN  EQU &7000
LIMIT   EQU 3
        ORG &8000
start:  LIDP SCREEN
loop:   INCA
        CPIA LIMIT
        JRNZM loop
        CALL routine
        JP start
routine: RTN
)";

Symbols program_symbols() {
    const AssemblyResult result = assemble_source(
        kProgram, "p.asm", [](const std::string&) { return std::optional<std::string>(); });
    EXPECT_TRUE(result.ok());
    return assembly_symbols(result);
}

TEST(Symbols, TolvanAsmWritesAFileThatReadsBackTheSame) {
    testing::ScratchDirectory directory;
    const std::string source = directory.file("p.asm");
    const std::string symbols_file = directory.file("p.sym");
    testing::write_file(source, kProgram);
    const std::string image = directory.file("p.bin");
    const char* argv[] = {"tolvan-asm",         "-o",          image.c_str(), "--symbols",
                          symbols_file.c_str(), source.c_str()};
    std::ostringstream out;
    std::ostringstream err;
    ASSERT_EQ(run_tolvan_asm(6, argv, out, err), kAsmSuccess) << err.str();

    const std::string text = testing::read_file(symbols_file);
    for (const char* line : {"\nLIMIT 0003 EQU\n", "\nSCREEN 7000 EQU\n", "\nloop 8003\n",
                             "\nroutine 800E\n", "\nstart 8000\n"}) {
        EXPECT_NE(text.find(line), std::string::npos) << line << " in\n" << text;
    }
    Symbols read;
    ASSERT_TRUE(read_symbol_file(symbols_file, read));
    const Symbols assembled = program_symbols();
    EXPECT_EQ(read.by_name, assembled.by_name);
    EXPECT_EQ(read.labels, assembled.labels);
    EXPECT_EQ(read.equates, assembled.equates);
}

TEST(Symbols, ABadLineAddsNothingAndSaysWhere) {
    Symbols symbols;
    add_symbol(symbols, "kept", 0x1234);
    const SymbolFileStatus status =
        parse_symbol_text("; comment\nfirst 0100\n\nsecond 12345\n", symbols);
    EXPECT_EQ(status.error, SymbolFileError::kBadLine);
    EXPECT_EQ(status.line, 4);
    EXPECT_EQ(describe_symbol_file_status("x.sym", status),
              "x.sym:4: not a symbol line (NAME HHHH)");
    EXPECT_EQ(symbols.by_name.size(), 1u);
    EXPECT_FALSE(read_symbol_file("/nonexistent/x.sym", symbols));
}

TEST(Symbols, AddressesAreDescribedByTheNearestLabelBelow) {
    const Symbols symbols = program_symbols();
    const std::pair<std::uint16_t, const char*> cases[] = {
        {0x8000, "start"}, {0x8002, "start+2"}, {0x8003, "loop"}, {0x7000, "SCREEN"},
        {0x0003, ""},      {0x7FFF, ""},        {0x8111, ""},     {0x810E, "routine+256"},
    };
    for (const auto& [address, text] : cases)
        EXPECT_EQ(describe_address(symbols, address), text) << std::hex << address;
}

TEST(Symbols, AddressTextAsUsersTypeIt) {
    const Symbols symbols = program_symbols();
    struct Case {
        const char* text;
        PlainDigits plain;
        std::optional<std::uint16_t> address;
    };
    const Case cases[] = {
        {"1A2F", PlainDigits::kAsHexadecimal, 0x1A2F},
        {"0x1A2F", PlainDigits::kAsDecimal, 0x1A2F},
        {"&1a2f", PlainDigits::kAsDecimal, 0x1A2F},
        {"4096", PlainDigits::kAsDecimal, 4096},
        {"4096", PlainDigits::kAsHexadecimal, 0x4096},
        {"loop", PlainDigits::kAsHexadecimal, 0x8003},
        {" loop+3 ", PlainDigits::kAsDecimal, 0x8006},
        {"loop+10", PlainDigits::kAsHexadecimal, 0x8013},
        {"loop-0x3", PlainDigits::kAsDecimal, 0x8000},
        {"SCREEN+&7C", PlainDigits::kAsDecimal, 0x707C},
        {"LIMIT", PlainDigits::kAsHexadecimal, 0x0003},
        {"FFFF", PlainDigits::kAsHexadecimal, 0xFFFF},
        {"10000", PlainDigits::kAsHexadecimal, std::nullopt},
        {"65536", PlainDigits::kAsDecimal, std::nullopt},
        {"start-1", PlainDigits::kAsDecimal, 0x7FFF},
        {"nowhere", PlainDigits::kAsDecimal, std::nullopt},
        {"1A2F", PlainDigits::kAsDecimal, std::nullopt},
        {"loop+", PlainDigits::kAsDecimal, std::nullopt},
        {"", PlainDigits::kAsHexadecimal, std::nullopt},
        {"-5", PlainDigits::kAsDecimal, std::nullopt},
    };
    for (const Case& test : cases)
        EXPECT_EQ(parse_address(symbols, test.text, test.plain), test.address) << test.text;
}

TEST(Symbols, TheListingShowsLabelsWhereItHasThem) {
    const AssemblyResult result = assemble_source(
        kProgram, "p.asm", [](const std::string&) { return std::optional<std::string>(); });
    AddressSpace memory;
    for (const auto& [address, byte] : result.bytes)
        memory.image[address] = byte;
    const Symbols symbols = assembly_symbols(result);
    EXPECT_EQ(unassemble_text(memory, 0x8000, 0x8011, false, &symbols),
              "start:\n"
              "8000: 10 70 00     LIDP  SCREEN\n"
              "loop:\n"
              "8003: 42           INCA\n"
              "8004: 67 03        CPIA  03\n"
              "8006: 29 04        JRNZM loop\n"
              "8008: 78 80 0E     CALL  routine\n"
              "800B: 79 80 00     JP    start\n"
              "routine:\n"
              "800E: 37           RTN \n"
              "800F: 00 00        LII   00\n");
    EXPECT_EQ(unassemble_text(memory, 0x8000, 0x800E, true, &symbols),
              unassemble_text(memory, 0x8000, 0x800E, true))
        << "the source format stays as it assembles";
}

}  // namespace
}  // namespace tolvan
