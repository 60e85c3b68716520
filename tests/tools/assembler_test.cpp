#include "tools/assembler.h"

#include <gtest/gtest.h>

#include <map>

namespace tolvan {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Sources that include other files get them from this map, by path.
AssemblyResult assemble(const std::string& text,
                        const std::map<std::string, std::string>& files = {}) {
    return assemble_source(text, "test.asm", [&files](const std::string& path) {
        const auto found = files.find(path);
        return found == files.end() ? std::nullopt : std::optional<std::string>(found->second);
    });
}

Bytes bytes_at(const AssemblyResult& result, std::uint16_t from, std::size_t count) {
    Bytes bytes;
    for (std::size_t i = 0; i < count; ++i) {
        const auto found = result.bytes.find(static_cast<std::uint16_t>(from + i));
        EXPECT_NE(found, result.bytes.end()) << "nothing at " << from + i;
        bytes.push_back(found == result.bytes.end() ? 0 : found->second);
    }
    return bytes;
}

std::vector<std::string> messages(const AssemblyResult& result) {
    std::vector<std::string> texts;
    for (const AssemblyError& error : result.errors)
        texts.push_back(format_error(error));
    return texts;
}

// One error expected: returns its "file:line: message".
std::string only_error(const std::string& text) {
    const AssemblyResult result = assemble(text);
    EXPECT_EQ(result.errors.size(), 1u) << ::testing::PrintToString(messages(result));
    return result.errors.empty() ? "" : format_error(result.errors.front());
}

TEST(Assembler, ReadsTheUnassemblersSourceFormat) {
    const AssemblyResult result = assemble(
        "ORG &0100 ; Sets the start address of the program \n\nstart:\n"
        "L_0100:  LIDP  &1234\n"
        "L_0103:  JRNZP L_0107\n"
        "L_0105:  CAL   &0123\n"
        "L_0107:  LP    &05\n"
        "L_0108:  LII   &FF\n"
        "L_010A:  JRM   L_0101\n"
        "L_010C:  RTN \n"
        "; End of program = &010D\n");
    ASSERT_TRUE(result.ok()) << messages(result).front();
    EXPECT_EQ(bytes_at(result, 0x0100, 13), (Bytes{0x10, 0x12, 0x34, 0x28, 0x03, 0xE1, 0x23, 0x85,
                                                   0x00, 0xFF, 0x2D, 0x0A, 0x37}));
    EXPECT_EQ(result.symbols.at("start"), 0x0100);
    EXPECT_EQ(result.symbols.at("L_010C"), 0x010C);
    ASSERT_EQ(result.ranges.size(), 1u);
    EXPECT_EQ(result.ranges[0].start, 0x0100);
    EXPECT_EQ(result.ranges[0].end, 0x010Du);
}

TEST(Assembler, UndefinedAddressLabelsStandForTheirAddress) {
    const AssemblyResult result = assemble("ORG &0200\nJP L_12aB\nJRP L_0210\n");
    ASSERT_TRUE(result.ok()) << messages(result).front();
    EXPECT_EQ(bytes_at(result, 0x0200, 5), (Bytes{0x79, 0x12, 0xAB, 0x2C, 0x0C}));
    // A defined L_ label wins over its spelling.
    const AssemblyResult defined = assemble("ORG &0300\nJP L_0000\nL_0000: RTN\n");
    EXPECT_EQ(bytes_at(defined, 0x0300, 3), (Bytes{0x79, 0x03, 0x03}));
}

TEST(Assembler, MnemonicsAndDirectivesIgnoreCaseButLabelsDoNot) {
    const AssemblyResult result = assemble("org 0x10\nLoop: inca\njrm Loop\n");
    ASSERT_TRUE(result.ok()) << messages(result).front();
    EXPECT_EQ(bytes_at(result, 0x10, 3), (Bytes{0x42, 0x2D, 0x02}));
    EXPECT_EQ(only_error("ORG 0\nLoop: JRM loop\n"), "test.asm:2: undefined label 'loop'");
}

TEST(Assembler, EquAndExpressions) {
    const AssemblyResult result = assemble(
        "BASE EQU &8000\n"
        "LATER EQU END - 1         ; forward reference\n"
        "SIZE: EQU 3 + 0x10 - 2\n"
        "      ORG BASE + 2\n"
        "here: LIA SIZE\n"
        "      LIB -(1 + 1)\n"
        "      LIDP LATER\n"
        "      LIDP $\n"
        "      LII END - here\n"
        "END:\n");
    ASSERT_TRUE(result.ok()) << messages(result).front();
    EXPECT_EQ(bytes_at(result, 0x8002, 12),
              (Bytes{0x02, 17, 0x03, 0xFE, 0x10, 0x80, 0x0D, 0x10, 0x80, 0x09, 0x00, 12}));
    EXPECT_EQ(result.symbols.at("LATER"), 0x800D);
    EXPECT_EQ(result.symbols.at("SIZE"), 17);
}

TEST(Assembler, DbBytesAndStrings) {
    const AssemblyResult result = assemble("ORG 0\nDB 1, &FF, -1, \"A;B,\\\"\\\\\\n\", 0x7F\n");
    ASSERT_TRUE(result.ok()) << messages(result).front();
    EXPECT_EQ(bytes_at(result, 0, 11),
              (Bytes{1, 0xFF, 0xFF, 'A', ';', 'B', ',', '"', '\\', '\n', 0x7F}));
}

// A character constant is its code anywhere a number goes; ';' and ',' inside quotes are text.
TEST(Assembler, CharacterConstants) {
    const AssemblyResult result =
        assemble("ORG 0\nCPIA ';'\nDB ',', 'A' + 1, '\\'', '\"', '\\n' ; a comment, 'x'\n");
    ASSERT_TRUE(result.ok()) << messages(result).front();
    EXPECT_EQ(bytes_at(result, 0, 7), (Bytes{0x67, ';', ',', 'B', '\'', '"', '\n'}));
    EXPECT_EQ(only_error("LIA 'AB'\n"),
              "test.asm:1: a character constant holds one character: 'AB");
    EXPECT_EQ(only_error("LIA ''\n"), "test.asm:1: a character constant holds one character: ''");
    EXPECT_EQ(only_error("LIA '\\q'\n"), "test.asm:1: unknown escape in character");
    EXPECT_EQ(only_error("LIA ';\n"), "test.asm:1: unterminated character");
}

TEST(Assembler, DwStoresHighByteFirst) {
    const AssemblyResult result = assemble("ORG 0x20\nDW &1234, next, -2\nnext:\n");
    ASSERT_TRUE(result.ok()) << messages(result).front();
    EXPECT_EQ(bytes_at(result, 0x20, 6), (Bytes{0x12, 0x34, 0x00, 0x26, 0xFF, 0xFE}));
}

TEST(Assembler, DsReservesCellsThatTheImageFills) {
    const AssemblyResult result = assemble("ORG &100\nDB 1\nbuffer: DS 3\nafter: DB 2\n");
    ASSERT_TRUE(result.ok()) << messages(result).front();
    EXPECT_EQ(result.symbols.at("after"), 0x104);
    EXPECT_EQ(assembled_image(result, 0x100, 0x104, 0xAA), (Bytes{1, 0xAA, 0xAA, 0xAA, 2}));
    EXPECT_EQ(assembled_extent(result), (std::pair<std::uint16_t, std::uint16_t>{0x100, 0x104}));
}

TEST(Assembler, PtjTakesACountAndAReturnAddress) {
    const AssemblyResult result = assemble("ORG &40\nPTJ 2, back\nDTJ\nback: RTN\n");
    ASSERT_TRUE(result.ok()) << messages(result).front();
    EXPECT_EQ(bytes_at(result, 0x40, 6), (Bytes{0x7A, 0x02, 0x00, 0x45, 0x69, 0x37}));
    EXPECT_EQ(only_error("PTJ &03, 1, 2\n"),
              "test.asm:1: wrong number of operands: PTJ takes 2, got 3");
}

TEST(Assembler, CalAndLpTakeTheirOperandIntoTheOpcode) {
    const AssemblyResult result = assemble("ORG 0\nCAL &1FFF\nCAL 0\nLP &3F\nLP 0\n");
    ASSERT_TRUE(result.ok()) << messages(result).front();
    EXPECT_EQ(bytes_at(result, 0, 6), (Bytes{0xFF, 0xFF, 0xE0, 0x00, 0xBF, 0x80}));
}

TEST(Assembler, RelativeJumpsReachExactlyTwoHundredFiftyFiveBytes) {
    // The offset counts from the offset byte: a jump at 0 reaches 1 + 255 forward.
    const AssemblyResult result = assemble("ORG &1000\nJRP &1100\nJRM &0F04\n");
    ASSERT_TRUE(result.ok()) << messages(result).front();
    EXPECT_EQ(bytes_at(result, 0x1000, 4), (Bytes{0x2C, 0xFF, 0x2D, 0xFF}));
    // Offsets wrap with the addresses, as the processor's do.
    const AssemblyResult wrapped = assemble("ORG &FFF8\nJRP &0009\n");
    EXPECT_EQ(bytes_at(wrapped, 0xFFF8, 2), (Bytes{0x2C, 0x10}));
}

TEST(Assembler, IncludeReadsFilesRelativeToTheIncludingFile) {
    const std::map<std::string, std::string> files{
        {"lib/defs.asm", "VALUE EQU &42\nINCLUDE \"more.asm\"\n"},
        {"lib/more.asm", "OTHER EQU 7\n"},
        {"code.asm", "sub: RTN\n"}};
    const AssemblyResult result = assemble(
        "ORG &10\nINCLUDE \"lib/defs.asm\"\nLIA VALUE\nLIB OTHER\nINCLUDE \"code.asm\"\n", files);
    ASSERT_TRUE(result.ok()) << messages(result).front();
    EXPECT_EQ(bytes_at(result, 0x10, 5), (Bytes{0x02, 0x42, 0x03, 7, 0x37}));
    EXPECT_EQ(result.symbols.at("sub"), 0x14);
}

TEST(AssemblerErrors, EachProblemHasItsMessage) {
    EXPECT_EQ(only_error("ORG 0\n  FOO 1\n"), "test.asm:2: unknown mnemonic 'FOO'");
    EXPECT_EQ(only_error("JP nowhere\n"), "test.asm:1: undefined label 'nowhere'");
    EXPECT_EQ(only_error("a: RTN\na: RTN\n"),
              "test.asm:2: duplicate label 'a' (first defined at test.asm:1)");
    EXPECT_EQ(only_error("LII 256\n"),
              "test.asm:1: operand out of range: &100 (allowed -&80 to &FF)");
    EXPECT_EQ(only_error("LP &40\n"), "test.asm:1: operand out of range: &40 (allowed &00 to &3F)");
    EXPECT_EQ(only_error("CAL &2000\n"),
              "test.asm:1: operand out of range: &2000 (allowed &0000 to &1FFF)");
    EXPECT_EQ(only_error("JP &10000\n"),
              "test.asm:1: operand out of range: &10000 (allowed &0000 to &FFFF)");
    EXPECT_EQ(
        only_error("ORG &100\nback: RTN\nJRP back\n"),
        "test.asm:3: jump in the wrong direction: JRP jumps forward but &0100 lies 2 bytes back");
    EXPECT_EQ(only_error("ORG &100\nJRZM ahead\nahead: RTN\n"),
              "test.asm:2: jump in the wrong direction: JRZM jumps backward but &0102 lies 1 byte "
              "ahead");
    EXPECT_EQ(only_error("ORG &100\nJRNCP &0201\n"),
              "test.asm:2: jump too far: &0201 lies 256 bytes away, at most 255");
    EXPECT_EQ(only_error("ORG &1000\nLOOP &0F00\n"),
              "test.asm:2: jump too far: &0F00 lies 257 bytes away, at most 255");
    EXPECT_EQ(only_error("ORG &100\nDB 1,2,3,4\nORG &102\nRTN\n"),
              "test.asm:3: overlapping ORG ranges: &0102-&0102 overlaps &0100-&0103 (test.asm:1)");
}

TEST(AssemblerErrors, SyntaxAndOperandProblems) {
    EXPECT_EQ(only_error("LII\n"), "test.asm:1: wrong number of operands: LII takes 1, got 0");
    EXPECT_EQ(only_error("RTN 1\n"), "test.asm:1: wrong number of operands: RTN takes 0, got 1");
    EXPECT_EQ(only_error("DB 1,,2\n"), "test.asm:1: missing operand");
    EXPECT_EQ(only_error("DB \"abc\n"), "test.asm:1: unterminated string");
    EXPECT_EQ(only_error("DB \"a\\q\"\n"), "test.asm:1: unknown escape in string");
    EXPECT_EQ(only_error("LII 12AB\n"), "test.asm:1: malformed number '12AB'");
    EXPECT_EQ(only_error("LII &\n"), "test.asm:1: malformed number ''");
    EXPECT_EQ(only_error("LII 1 2\n"), "test.asm:1: unexpected '2' in expression");
    EXPECT_EQ(only_error("LII (1\n"), "test.asm:1: missing ')' in expression");
    EXPECT_EQ(only_error("ORG later\nlater:\n"), "test.asm:1: undefined label 'later'");
    EXPECT_EQ(only_error("ORG &FFFF\nLIDP 0\nRTN\n"),
              "test.asm:3: code runs past the end of the address space");
    EXPECT_EQ(only_error("ORG &FFFF\nDB 1, 2\n"),
              "test.asm:2: code runs past the end of the address space");
    EXPECT_EQ(only_error("INCLUDE \"none.asm\"\n"),
              "test.asm:1: cannot read include file 'none.asm'");
    EXPECT_EQ(only_error("INCLUDE none.asm\n"),
              "test.asm:1: INCLUDE needs one file name in quotes");
}

TEST(AssemblerErrors, CircularEquIsReportedAtEachEqu) {
    EXPECT_EQ(messages(assemble("A EQU B\nB EQU A + 1\nLII A\n")),
              (std::vector<std::string>{"test.asm:1: EQU 'A' refers to itself",
                                        "test.asm:2: EQU 'B' refers to itself",
                                        "test.asm:3: EQU 'A' refers to itself"}));
}

// Without the memory image, a "?" line cannot say its byte, but it keeps its length: the jump
// across it is right, and only the "?" line is in error.
TEST(AssemblerErrors, QuestionMarkLinesNeedTheBaseImageButKeepTheirLength) {
    EXPECT_EQ(only_error("ORG &17\nL_0017:  ?   \nJRM L_0017\n"),
              "test.asm:2: '?' does not say which undefined opcode it stands for: assemble over "
              "the memory image with --base, or write the byte with DB");
    EXPECT_EQ(only_error("ORG &40\nPTJ 2\n"),
              "test.asm:2: PTJ with its entry count only does not give the return address: "
              "assemble over the memory image with --base, or give the address as second operand");
    EXPECT_EQ(only_error("L_0200:  WRIT 1\n"),
              "test.asm:1: 'WRIT' marks an undefined opcode but not as the unassembler writes it "
              "(use DB)");
    // "WRIT ?" stands for one opcode only.
    const AssemblyResult written = assemble("ORG &200\nL_0200:  WRIT ?\n");
    EXPECT_TRUE(written.ok());
    EXPECT_EQ(bytes_at(written, 0x200, 1), Bytes{0xD3});
}

TEST(AssemblerErrors, IncludeOfItselfStops) {
    const AssemblyResult result =
        assemble("INCLUDE \"loop.asm\"\n", {{"loop.asm", "INCLUDE \"loop.asm\"\n"}});
    ASSERT_EQ(result.errors.size(), 1u);
    EXPECT_EQ(result.errors[0].message, "INCLUDE of 'loop.asm' within itself");
    EXPECT_EQ(result.errors[0].file, "loop.asm");
}

TEST(AssemblerErrors, AllErrorsOfARunComeInSourceOrderWithTheirFiles) {
    const AssemblyResult result = assemble(
        "ORG &100\n"
        "  BAD\n"
        "INCLUDE \"part.asm\"\n"
        "  JP missing\n"
        "x: RTN\n"
        "x: RTN\n"
        "  LII 300\n",
        {{"part.asm", "RTN\n  JRM &0000\n"}});
    EXPECT_EQ(messages(result),
              (std::vector<std::string>{
                  "test.asm:2: unknown mnemonic 'BAD'",
                  "part.asm:2: jump too far: &0000 lies 258 bytes away, at most 255",
                  "test.asm:4: undefined label 'missing'",
                  "test.asm:6: duplicate label 'x' (first defined at test.asm:5)",
                  "test.asm:7: operand out of range: &12C (allowed -&80 to &FF)"}));
}

TEST(AssemblerListing, UsesTheUnassemblersListingFormat) {
    const AssemblyResult result = assemble(
        "ORG &0100\nLIDP &1234\nJRNZP &0107\nCAL &0123\nLP 5\nPTJ 3, &4567\nDB 1, 2, 3, 4\nDW "
        "&ABCD\nDS 20\nRTN\n");
    ASSERT_TRUE(result.ok()) << messages(result).front();
    EXPECT_EQ(assembly_listing(result),
              "0100: 10 12 34     LIDP  1234\n"
              "0103: 28 03        JRNZP 0107\n"
              "0105: E1 23        CAL   &0123\n"
              "0107: 85           LP    &05\n"
              "0108: 7A 03 45 67  PTJ   03\n"
              "010C: 01 02 03     DB    &01,&02,&03\n"
              "010F: 04           DB    &04\n"
              "0110: AB CD        DB    &AB,&CD\n"
              "0112:              DS    &0014\n"
              "0126: 37           RTN \n");
}

TEST(AssemblerImage, FillsUnusedCellsAndKeepsOnlyTheRange) {
    const AssemblyResult result = assemble("ORG 2\nDB 1,2\nORG 6\nDB 3\n");
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(assembled_image(result, 0, 7, 0xFF), (Bytes{0xFF, 0xFF, 1, 2, 0xFF, 0xFF, 3, 0xFF}));
    EXPECT_EQ(assembled_image(result, 3, 3, 0), (Bytes{2}));
    EXPECT_EQ(assembled_extent(result), (std::pair<std::uint16_t, std::uint16_t>{2, 6}));
    EXPECT_FALSE(assembled_extent(assemble("; nothing\n")).has_value());
}

TEST(AssemblerFile, ReportsAnUnreadableSource) {
    const AssemblyResult result = assemble_file("/nonexistent/dir/source.asm");
    ASSERT_EQ(result.errors.size(), 1u);
    EXPECT_EQ(
        format_error(result.errors[0]),
        "/nonexistent/dir/source.asm: cannot read the source file: No such file or directory");
}

}  // namespace
}  // namespace tolvan
